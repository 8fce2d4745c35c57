// A rerun over the output of an earlier run writes only the files whose bytes change.
#include <QDirIterator>
#include <QMap>
#include <sys/stat.h>

#include "GeneratorTestSupport.h"
#include "MemberDAO.h"
#include "RunPipeline.h"

namespace {

// What tells a rewritten file from one left alone.
struct TFileStamp {
    ino_t inode = 0;
    timespec changed{};
    bool operator==(const TFileStamp& other) const {
        return inode == other.inode && changed.tv_sec == other.changed.tv_sec &&
               changed.tv_nsec == other.changed.tv_nsec;
    }
};

QMap<QString, TFileStamp> Stamps(const QString& folder) {
    QMap<QString, TFileStamp> stamps;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        struct stat status {};
        EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &status), 0) << path.toStdString();
        stamps.insert(QDir(folder).relativeFilePath(path), {status.st_ino, status.st_mtim});
    }
    return stamps;
}

QStringList ChangedPaths(const QMap<QString, TFileStamp>& before,
                         const QMap<QString, TFileStamp>& after) {
    QStringList changed;
    for (auto it = after.begin(); it != after.end(); ++it)
        if (!before.contains(it.key()) || !(before.value(it.key()) == it.value()))
            changed << it.key();
    return changed;
}

// The generated texts of the run's plan, by output path.
QMap<QString, QString> PlannedTexts(const TGenerationSettings& settings) {
    QMap<QString, QString> texts;
    for (const RunPipeline::TRunStep& step :
         RunPipeline::BuildProject(RunPipeline::ReadRunInput(settings)))
        if (step.kind == RunPipeline::TRunStep::TKind::Write ||
            step.kind == RunPipeline::TRunStep::TKind::WriteUnlessModified)
            texts.insert(step.file.path, step.file.text);
    return texts;
}

QString Summary(qsizetype written, qsizetype unchanged, int kept) {
    return QString("本次生成: 改写%1个文件, %2个文件没有变化, 保留%3个已修改的文件")
        .arg(written)
        .arg(unchanged)
        .arg(kept);
}

} // namespace

class RerunTest : public GeneratorTest {
protected:
    void SetUp() override {
        MakeBak();
        project_ = AddProject("P");
        book_ = AddClass(project_, "Book");
        AddMember(project_, book_, "barcode", "字符串", 1, 1, 20, "条形码");
        AddMember(project_, book_, "price", "浮点型", 0, 0, 0, "价格");
        AddKeyOnlyClass(project_, "BookType");
        AddMember(project_, book_, "bookType", "BookType", 0, 0, 0, "类别");
    }
    TGenerationSettings Settings() const { return {root_.path(), project_, "P", "pkg"}; }
    QString Output() const { return Path("projects/P"); }

    int project_ = 0;
    int book_ = 0;
};

TEST_F(RerunTest, UnchangedRerunRewritesNothingAndSaysSo) {
    const TRecordingListener first = Run(project_);
    ASSERT_EQ(first.events, QStringList{"finished"});
    const QMap<QString, TFileStamp> before = Stamps(Output());
    EXPECT_EQ(first.lines.last(), Summary(before.size(), 0, 0));

    const TRecordingListener again = Run(project_);
    EXPECT_EQ(again.events, QStringList{"finished"});
    EXPECT_EQ(ChangedPaths(before, Stamps(Output())), QStringList());
    EXPECT_EQ(again.lines.last(), Summary(0, before.size(), 0));
    // The progress lines are those of the first run.
    EXPECT_EQ(again.lines, first.lines.mid(0, first.lines.size() - 1) << again.lines.last());
}

TEST_F(RerunTest, OneMemberChangeRewritesOnlyTheFilesItsTextReaches) {
    ASSERT_EQ(Run(project_).events, QStringList{"finished"});
    const QMap<QString, QString> plannedBefore = PlannedTexts(Settings());
    const QMap<QString, TFileStamp> before = Stamps(Output());

    TMemberDAO members;
    TResultSetPtr rows = members.OpenClassMembers(book_);
    for (rows->First(); !rows->Eof(); rows->Next()) {
        TMember m = TMemberDAO::ReadMember(*rows);
        if (m.memberName == "price") {
            m.memberComment = "售价";
            members.UpdateMember(m);
        }
    }
    rows.reset();
    const QMap<QString, QString> plannedAfter = PlannedTexts(Settings());
    QStringList expected;
    for (auto it = plannedAfter.begin(); it != plannedAfter.end(); ++it)
        if (plannedBefore.value(it.key()) != it.value())
            expected << it.key();
    ASSERT_FALSE(expected.isEmpty());
    ASSERT_LT(expected.size(), plannedAfter.size());

    const TRecordingListener again = Run(project_);
    EXPECT_EQ(again.events, QStringList{"finished"});
    EXPECT_EQ(ChangedPaths(before, Stamps(Output())), expected);
    EXPECT_EQ(again.lines.last(), Summary(expected.size(), before.size() - expected.size(), 0));
}

TEST_F(RerunTest, FilesTheModelNoLongerMakesAreListedAndKept) {
    const int gone = AddKeyOnlyClass(project_, "Gone");
    ASSERT_EQ(Run(project_).events, QStringList{"finished"});
    Write("projects/P/WebRoot/menu.jsp", "mine\r\n");
    TClassDAO().DeleteClass(gone);

    const TRecordingListener again = Run(project_);
    EXPECT_EQ(again.events, QStringList{"finished"});
    const QStringList left{"WebRoot/Gone_add.jsp",
                           "WebRoot/Gone_modify.jsp",
                           "WebRoot/Gone_query_result.jsp",
                           "src/com/pkg/action/GoneAction-Gone_AddGone-validation.xml",
                           "src/com/pkg/action/GoneAction-Gone_ModifyGone-validation.xml",
                           "src/com/pkg/action/GoneAction.java",
                           "src/com/pkg/dao/GoneDAO.java",
                           "src/com/pkg/domain/Gone.hbm.xml",
                           "src/com/pkg/domain/Gone.java"};
    for (const QString& file : left)
        EXPECT_TRUE(Exists("projects/P/" + file)) << file.toStdString();
    EXPECT_TRUE(again.lines.last().contains(
        QString(", 保留1个已修改的文件; 模型中没有的%1个文件仍在 (没有删除): ").arg(left.size())))
        << again.lines.last().toStdString();
    EXPECT_EQ(Read("projects/P/WebRoot/menu.jsp"), "mine\r\n");
}
