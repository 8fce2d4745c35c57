#include <QDirIterator>
#include <QMap>
#include <functional>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "GeneratorTestSupport.h"

namespace {

QMap<QString, QByteArray> Tree(const QString& folder);

QStringList FixedSupportLines(const QString& base) {
    QStringList lines;
    for (const char* file :
         {"test/TestUtil.java", "utils/HibernateUtil.java", "utils/CardIdFieldValidator.java",
          "action/LoginAction.java", "action/LoginAction-login_CheckLogin-validation.xml",
          "action/UserAction.java", "action/ChangePasswordAction.java", "dao/AdminDAO.java",
          "domain/Admin.java", "domain/Admin.hbm.xml", "domain/Admin-admin-validation.xml",
          "utils/LoginGuardFilter.java", "utils/LoginThrottle.java",
          "utils/FormValueValidator.java", "utils/ReferenceChoices.java", "utils/FailureLog.java"})
        lines << base + "com/pkg/" + file + "移动完毕!";
    return lines << base + "validators.xml移动完毕!" << base + "simplelogger.properties移动完毕!";
}

} // namespace

class RunTest : public GeneratorTest {
protected:
    // The first key member of the class, as the store holds it.
    static TMember KeyMember(int classId) {
        TResultSetPtr rows = TMemberDAO().OpenClassMembers(classId);
        for (rows->First(); !rows->Eof(); rows->Next())
            if (rows->AsInteger("memberIsPri") == 1)
                return TMemberDAO::ReadMember(*rows);
        ADD_FAILURE() << "class " << classId << " has no key";
        return {};
    }

    QStringList RootEntries() const {
        return QDir(root_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }
};

TEST_F(RunTest, ProgressLogOfTwoClassesInOrder) {
    MakeBak();
    const int project = AddProject("图书");
    AddKeyOnlyClass(project, "A");
    AddKeyOnlyClass(project, "B");
    const TRecordingListener run = Run(project, "图书");
    const QString base = "projects/图书/src/";
    QStringList expected{base + "struts.xml生成完成!", base + "beans.xml生成完成!",
                         base + "hibernate.cfg.xml生成完成!",
                         base + "com/pkg/domain/A.hbm.xml生成完成!",
                         base + "com/pkg/domain/B.hbm.xml生成完成!"};
    expected << FixedSupportLines(base);
    for (const char* file :
         {"domain/A.java", "domain/B.java", "action/AAction.java", "action/BAction.java",
          "dao/ADAO.java", "dao/BDAO.java", "action/AAction-A_AddA-validation.xml",
          "action/AAction-A_ModifyA-validation.xml", "action/BAction-B_AddB-validation.xml",
          "action/BAction-B_ModifyB-validation.xml"})
        expected << base + "com/pkg/" + file + "生成完毕!";
    expected << "正在移动资源文件。。。"
             << "移动projects/图书/.myeclipse文件夹完毕！"
             << "移动projects/图书/.settings文件夹完毕！"
             << "移动projects/图书/WebRoot文件夹完毕！"
             << "移动资源文件完毕!";
    for (const char* file : {"A_add.jsp", "A_query_result.jsp", "A_modify.jsp", "B_add.jsp",
                             "B_query_result.jsp", "B_modify.jsp", "menu.jsp"})
        expected << QString("projects/图书/WebRoot/") + file + "生成完毕!";
    // Last, what the run wrote: on a fresh folder, every file there.
    const qsizetype files = Tree(Path("projects/图书")).size();
    expected << QString("本次生成: 改写%1个文件, 0个文件没有变化, 保留0个已修改的文件").arg(files);
    EXPECT_EQ(run.lines, expected);
    EXPECT_EQ(run.events, QStringList{"finished"});
    // Every line but the five of the scaffolding and the summary names a file.
    EXPECT_EQ(run.planned, expected.size() - 6);
    EXPECT_EQ(Read("projects/图书/WebRoot/sub/inner.txt"), "inner");
    EXPECT_EQ(Read("projects/图书/.project"), "project");
    EXPECT_FALSE(Exists("projects/图书/.classpath"));
}

// The run reports each written file by its path, once, right after its line; the planned count
// is the number of those files.
TEST_F(RunTest, WrittenFilesAreReportedByPathAndMatchThePlan) {
    MakeBak();
    const int project = AddProject("P");
    AddKeyOnlyClass(project, "A");
    AddKeyOnlyClass(project, "B");
    const TRecordingListener run = Run(project);
    EXPECT_EQ(run.events, QStringList{"finished"});
    EXPECT_EQ(run.written.size(), run.planned);
    EXPECT_EQ(run.written.value(0), "projects/P/src/struts.xml");
    EXPECT_EQ(run.written.value(run.written.size() - 1), "projects/P/WebRoot/menu.jsp");
    for (const QString& path : run.written)
        EXPECT_EQ(run.lines.filter(path + "生成").size() + run.lines.filter(path + "移动").size(),
                  1)
            << path.toStdString();
}

// The key and display checks name the class as the run's snapshot holds it.
TEST_F(RunTest, FailedChecksCarryTheClassName) {
    const int project = AddProject("P");
    AddKeyOnlyClass(project, "Good");
    AddClass(project, "Keyless");
    EXPECT_EQ(Run(project).classNames, QStringList{"Keyless"});
}

TEST_F(RunTest, FixedSupportSourcesAreFilledOrCopiedUnchanged) {
    MakeBak();
    WriteTemplate("src/com/packageName/test/TestUtil.java",
                  "package com.$packageName.test; // 测试");
    WriteTemplate("src/com/packageName/domain/Admin-admin-validation.xml", "<!-- $packageName -->");
    WriteTemplate("src/validators.xml", "<validator class=\"com.$packageName.utils.V\"/>");
    EXPECT_EQ(Run(AddProject("P"), "P", "my").events, QStringList{"finished"});
    EXPECT_EQ(Read("projects/P/src/validators.xml"), "<validator class=\"com.my.utils.V\"/>\r\n");
    EXPECT_EQ(Read("projects/P/src/com/my/test/TestUtil.java"),
              TFileOperate::EncodeGbk("package com.my.test; // 测试\r\n"));
    EXPECT_EQ(Read("projects/P/src/com/my/domain/Admin-admin-validation.xml"),
              "<!-- $packageName -->");
    EXPECT_EQ(Read("projects/P/src/com/my/utils/HibernateUtil.java"), "");
}

TEST_F(RunTest, FailedChecksNameOnlyTheFirstClassAndWriteNothing) {
    MakeBak();
    const int project = AddProject("P");
    const int noDisplay = AddClass(project, "NoDisplay");
    AddMember(project, noDisplay, "id", "整型", 1, 0);
    const int noKey = AddClass(project, "NoKey");
    AddMember(project, noKey, "name", "字符串", 0, 1);
    const int twoKeys = AddClass(project, "TwoKeys");
    AddMember(project, twoKeys, "id", "整型", 1, 1);
    AddMember(project, twoKeys, "id2", "整型", 1, 0);
    const TRecordingListener keys = Run(project);
    EXPECT_EQ(keys.events, QStringList{"key " + QString::number(noKey)});
    EXPECT_TRUE(keys.lines.isEmpty());

    TMemberDAO().DeleteMember(KeyMember(twoKeys).memberId);
    AddMember(project, noKey, "id", "整型", 1, 0);
    const TRecordingListener display = Run(project);
    EXPECT_EQ(display.events, QStringList{"display " + QString::number(noDisplay)});
    EXPECT_TRUE(display.lines.isEmpty());
    EXPECT_FALSE(Exists("projects"));
}

TEST_F(RunTest, MissingBakEndsTheRunWithAnError) {
    const TRecordingListener run = Run(AddProject("P"));
    const QString reason = "无法进入文件夹: " + Path("bak/.myeclipse");
    ASSERT_GE(run.lines.size(), 2);
    EXPECT_EQ(run.lines.mid(run.lines.size() - 2),
              QStringList({"正在移动资源文件。。。", "生成失败: " + reason}));
    EXPECT_EQ(run.events, QStringList{"error " + reason});
}

TEST_F(RunTest, DatabaseErrorEndsTheRunWithAnError) {
    TDbHelper::SetDatabaseFile(Path("absent/projects.db"));
    const TRecordingListener run = Run(1);
    ASSERT_EQ(run.events.size(), 1);
    EXPECT_TRUE(run.events[0].startsWith("error "));
    EXPECT_EQ(run.lines, QStringList{"生成失败: " + run.events[0].mid(6)});
}

TEST_F(RunTest, SecondRunReplacesAllButTopLevelScaffoldingFiles) {
    MakeBak();
    const int project = AddProject("P");
    AddKeyOnlyClass(project, "A");
    Run(project);
    for (const char* file : {".settings/top.txt", ".settings/sub/inner.txt", "src/struts.xml",
                             "src/com/pkg/domain/A.hbm.xml", ".project"})
        Write(QString("projects/P/") + file, "mine");
    EXPECT_EQ(Run(project).events, QStringList{"finished"});
    EXPECT_EQ(Read("projects/P/.settings/top.txt"), "mine");
    EXPECT_EQ(Read("projects/P/.settings/sub/inner.txt"), "inner");
    EXPECT_EQ(Read("projects/P/src/struts.xml"), kBom);
    EXPECT_EQ(Read("projects/P/src/com/pkg/domain/A.hbm.xml"), kBom);
    EXPECT_EQ(Read("projects/P/.project"), "project");
}

TEST_F(RunTest, UnsafeNamesAreRefusedBeforeAnythingIsWritten) {
    MakeBak();
    const int project = AddProject("P");
    AddKeyOnlyClass(project, "A");
    const int unsafe = AddProject("Q");
    AddKeyOnlyClass(unsafe, "../Evil");
    const QStringList before = RootEntries();
    const QList<QPair<TGenerationSettings, QString>> cases = {
        {{root_.path(), project, "../P", "pkg"}, "工程名称\"../P\""},
        {{root_.path(), project, "a\\b", "pkg"}, "工程名称\"a\\b\""},
        {{root_.path(), project, "..", "pkg"}, "工程名称\"..\""},
        {{root_.path(), project, "", "pkg"}, "工程名称\"\""},
        {{root_.path(), project, "P\tQ", "pkg"}, "工程名称\"P\\tQ\""},
        {{root_.path(), project, "P", "a/b"}, "包名\"a/b\""},
        {{root_.path(), project, "P", "."}, "包名\".\""},
        {{root_.path(), unsafe, "Q", "pkg"}, "类名\"../Evil\""},
        {{"relative", project, "P", "pkg"}, "程序目录必须是绝对路径"},
    };
    for (const auto& [settings, name] : cases) {
        TRecordingListener listener;
        TAutoCode(settings, &listener).Execute();
        ASSERT_EQ(listener.events.size(), 1) << name.toStdString();
        EXPECT_TRUE(listener.events[0].startsWith("error " + name)) << name.toStdString();
        EXPECT_EQ(listener.lines, QStringList{"生成失败: " + listener.events[0].mid(6)});
    }
    EXPECT_EQ(RootEntries(), before);
}

// The model rules come after the key and display checks and, like them, stop the run before
// anything is written; the first rule broken is the one reported.
TEST_F(RunTest, ModelRulesRefuseBeforeAnythingIsWritten) {
    MakeBak();
    const int project = AddProject("P");
    const int book = AddKeyOnlyClass(project, "Book");
    AddMember(project, book, "shelf", "Shelf", 0, 0, 0, "书架");
    AddMember(project, book, "class", "字符串");
    const QStringList before = RootEntries();
    EXPECT_EQ(Run(project).events, QStringList{"model 类Book的成员shelf引用的类Shelf不在本工程中"});
    EXPECT_EQ(Run(project).lines, QStringList());
    EXPECT_EQ(Run(project, "P", "9p").events,
              QStringList{"model 包名\"9p\"不是合法的Java标识符: "
                          "只能由字母、汉字、数字、_和$组成，且不能以数字开头"});
    // A class without a key is still reported by the key check first.
    AddClass(project, "Keyless");
    EXPECT_EQ(Run(project).events.value(0).left(4), "key ");
    EXPECT_EQ(RootEntries(), before);
}

TEST_F(RunTest, UnencodableCharactersAreReportedPerFile) {
    MakeBak();
    WriteTemplate("src/hibernate.cfg.xml", "$packageName");
    const TRecordingListener run = RunUnchecked(AddProject("P"), "p😀");
    const qsizetype at = run.lines.indexOf("projects/P/src/hibernate.cfg.xml生成完成!");
    ASSERT_GE(at, 0);
    EXPECT_EQ(run.lines.value(at + 1),
              "警告: projects/P/src/hibernate.cfg.xml中有1个字符无法以GBK保存,已写为?");
    EXPECT_EQ(Read("projects/P/src/hibernate.cfg.xml"), "p?\r\n");
    EXPECT_EQ(run.events, QStringList{"finished"});
}

#ifdef __GLIBC__
// A listener may hold the run at its end (the window's box waits for the user): by then the
// run has let go of every file it built. Heap bytes in use, from the allocator.
TEST_F(RunTest, BuiltFilesAreFreedBeforeTheRunSaysItHasFinished) {
    struct TMeasuring : TRecordingListener {
        void OnPlanned(int files) override {
            TRecordingListener::OnPlanned(files);
            atPlanned = qint64(mallinfo2().uordblks);
        }
        void OnFinished() override {
            TRecordingListener::OnFinished();
            atFinished = qint64(mallinfo2().uordblks);
        }
        qint64 atPlanned = 0;
        qint64 atFinished = 0;
    } listener;
    MakeBak();
    const int project = AddProject("P");
    for (int i = 0; i < 300; ++i)
        AddKeyOnlyClass(project, QString("C%1").arg(i));
    const qint64 before = qint64(mallinfo2().uordblks);
    TAutoCode({root_.path(), project, "P", "pkg"}, &listener).Execute();
    ASSERT_EQ(listener.events, QStringList{"finished"});
    const qint64 built = listener.atPlanned - before;
    if (built < 4 * 1024 * 1024)
        GTEST_SKIP() << "the allocator does not report the heap in use (sanitizer)";
    EXPECT_LT(listener.atFinished - before, built / 4)
        << built << " bytes built, " << listener.atFinished - before << " held at the end";
}
#endif

// The longest class name the checks accept fits in every file name of the run.
TEST_F(RunTest, LongestAcceptedClassNameIsWritten) {
    MakeBak();
    const int project = AddProject("P");
    const QString name = "L" + QString(69, 'x');
    AddKeyOnlyClass(project, name);
    const TRecordingListener run = Run(project);
    EXPECT_EQ(run.events, QStringList{"finished"}) << run.lines.join('\n').toStdString();
    EXPECT_TRUE(Exists("projects/P/src/com/pkg/action/" + name + "Action-" + name + "_Modify" +
                       name + "-validation.xml"));
}

TEST_F(RunTest, RunsOnItsOwnThread) {
    MakeBak();
    const int project = AddProject("P");
    AddKeyOnlyClass(project, "A");
    TRecordingListener listener;
    const TGenerationSettings settings{root_.path(), project, "P", "pkg"};
    TAutoCode run(settings, &listener);
    run.start();
    ASSERT_TRUE(run.wait(60000));
    EXPECT_EQ(listener.events, QStringList{"finished"});
    // Every file of the plan, and the same lines as a run on this thread (but the summary: that
    // run finds every file written already).
    EXPECT_EQ(listener.planned, RunPipeline::PlannedFiles(RunPipeline::BuildProject(
                                    RunPipeline::ReadRunInput(settings))));
    EXPECT_EQ(listener.written.size(), listener.planned);
    const QStringList again = Run(project).lines;
    EXPECT_EQ(listener.lines.mid(0, listener.lines.size() - 1), again.mid(0, again.size() - 1));
}

namespace {

// Edits the model as soon as the run reports its first file.
class TEditingListener : public TRecordingListener {
public:
    explicit TEditingListener(std::function<void()> edit) : edit_(std::move(edit)) {}
    void OnProgress(const QString& line) override {
        if (lines.isEmpty())
            edit_();
        TRecordingListener::OnProgress(line);
    }

private:
    std::function<void()> edit_;
};

// Every file under folder, by relative path, with its bytes.
QMap<QString, QByteArray> Tree(const QString& folder) {
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        files.insert(QDir(folder).relativeFilePath(path), file.readAll());
    }
    return files;
}

} // namespace

TEST_F(RunTest, EditsDuringARunDoNotChangeItsOutput) {
    MakeBak();
    const int project = AddProject("P");
    const int book = AddClass(project, "Book");
    AddMember(project, book, "barcode", "字符串", 1, 1, 20, "条形码");
    const int type = AddKeyOnlyClass(project, "BookType");
    AddMember(project, book, "bookType", "BookType", 0, 0, 0, "类别");
    const TRecordingListener before = Run(project, "Before");
    EXPECT_EQ(before.events, QStringList{"finished"});

    TEditingListener editing([&] {
        TMember key = KeyMember(book);
        key.memberName = "isbn";
        TMemberDAO().UpdateMember(key);
        AddMember(project, book, "title", "字符串", 0, 0, 50, "书名");
        TClassDAO().UpdateClass(project, type, "Category", "类别");
        AddKeyOnlyClass(project, "Late");
    });
    TAutoCode({root_.path(), project, "During", "pkg"}, &editing).Execute();
    EXPECT_EQ(editing.events, QStringList{"finished"});
    EXPECT_EQ(editing.lines.join('\n').replace("During", "Before"), before.lines.join('\n'));
    const QMap<QString, QByteArray> files = Tree(Path("projects/Before"));
    // The files the run reported (but the fixed copies whose source is missing here) and the
    // scaffolding's files: nothing else.
    int reported = 0;
    for (const QString& path : before.written)
        reported += Exists(path) ? 1 : 0;
    EXPECT_EQ(before.written.size(), before.planned);
    EXPECT_GT(reported, before.planned / 2);
    EXPECT_EQ(files.size(), reported + Tree(Path("bak")).size());
    EXPECT_EQ(Tree(Path("projects/During")), files);
}
