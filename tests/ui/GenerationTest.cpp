#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProgressBar>
#include <QScrollBar>
#include <thread>

#include "AutoCode.h"
#include "GenerationRunner.h"
#include "ProgressLog.h"

#include "../store/WriteProtect.h"
#include "GenerationRunner.h"
#include "UiTestSupport.h"

namespace {

const QString kWarning = "如果以前生成了该项目，最好先删除原来的目录!";

} // namespace

class GenerationTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        // Empty templates and empty scaffolding folders are enough for a run.
        QDir root(dir_.path());
        for (const char* folder : {"template", "bak/.myeclipse", "bak/.settings", "bak/WebRoot"})
            ASSERT_TRUE(root.mkpath(folder));
        seam_.onShown = [this](const TShown& item) {
            if (item.kind == "message" && item.text == kWarning)
                return;
            onGuiThread_ = onGuiThread_ && QThread::currentThread() == qApp->thread();
            runsWhileShown_ << Form().RunningGenerations();
        };
    }

    // A class with one key member and one display member.
    int AddGoodClass(int projectId, const QString& name, bool withDisplay = true) {
        const int classId = AddClass(projectId, name);
        TMember key = Member(projectId, classId, "id", "整型");
        key.memberIsPri = 1;
        key.memberIsMust = 1;
        key.memberIsInteger = 1;
        AddMember(key);
        TMember title = Member(projectId, classId, "title", "字符串");
        title.memberLength = 20;
        title.memberIsDisplay = withDisplay ? 1 : 0;
        AddMember(title);
        return classId;
    }

    // count classes Class0 … like AddGoodClass's, in one statement each for classes and members.
    static void AddGoodClasses(int projectId, int count) {
        const QString project = QString::number(projectId);
        Execute("with recursive n(i) as (select 0 union all select i+1 from n where i<" +
                QString::number(count - 1) +
                ") insert into t_class(projectId,className,friendName) select " + project +
                ",'Class'||i,'友好' from n");
        const QString columns =
            "insert into t_member(projectId,classId,memberName,memberType,memberLength,"
            "memberIsPri,memberComment,memberIsMust,memberIsInteger,memberIsFloat,queryFlag,"
            "memberIsDisplay,memberQueryDisplay) select projectId,classId,";
        Execute(columns + "'id','整型',0,1,'',1,1,0,0,0,0 from t_class where projectId=" + project);
        Execute(columns +
                "'title','字符串',20,0,'',0,0,0,0,1,0 from t_class where projectId=" + project);
    }

    // The files below the output folder, relative to it.
    QStringList OutputFiles(const QString& project) {
        QStringList files;
        QDirIterator it(Output(project), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << QDir(Output(project)).relativeFilePath(it.next());
        return files;
    }

    // Starts a run of the selected project and waits until it has ended.
    void Generate() {
        Form().Memo_State->setPlainText("an earlier run");
        Trigger(Form().A1);
        ASSERT_TRUE(WaitFor([this] { return Form().RunningGenerations() == 0; }));
        QCoreApplication::processEvents();
    }

    QStringList Log() { return Form().Memo_State->toPlainText().split('\n', Qt::SkipEmptyParts); }
    QString Output(const QString& project) { return dir_.path() + "/projects/" + project; }

    bool onGuiThread_ = true;
    QList<int> runsWhileShown_;
};

TEST_F(GenerationTest, KeyCheckNamesTheFirstFailingClassAndWritesNothing) {
    const int shop = AddProject("shop");
    AddGoodClass(shop, "Book");
    const int author = AddClass(shop, "Author");
    AddClass(shop, "Publisher");
    Generate();
    EXPECT_EQ(seam_.Texts(),
              QStringList({kWarning, "Author表没有设置主键，每个类必须设置一个主键!"}));
    EXPECT_EQ(Form().errorClassId, author);
    EXPECT_TRUE(Log().isEmpty());
    EXPECT_TRUE(seam_.foldersOpened.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(Output("shop")));
    // The refusal was shown once, by the window's thread; the run did not wait for the box.
    EXPECT_EQ(runsWhileShown_.size(), 1);
    EXPECT_TRUE(onGuiThread_);
    // Two keys: the check's own words.
    Execute("update t_member set memberIsPri=1 where classId=" +
            QString::number(TClassDAO().GetClassId(shop, "Book")));
    seam_.shown.clear();
    Generate();
    EXPECT_EQ(seam_.Texts(),
              QStringList({kWarning, "Book表主键设置错误，每个类只能设置一个主键!"}));
    EXPECT_TRUE(Log().isEmpty());
}

TEST_F(GenerationTest, DisplayCheckRunsAfterTheKeyCheckAndNamesOnlyTheFirstClass) {
    const int shop = AddProject("shop");
    AddGoodClass(shop, "Book");
    const int author = AddGoodClass(shop, "Author", false);
    AddGoodClass(shop, "Publisher", false);
    Generate();
    EXPECT_EQ(seam_.Texts(),
              QStringList({kWarning, "Author表显示成员设置错误，每个类有且只能设置一个显示成员!"}));
    EXPECT_EQ(Form().errorClassId, author);
    EXPECT_FALSE(QFileInfo::exists(Output("shop")));
}

TEST_F(GenerationTest, SuccessfulRunLogsEachFileThenReportsAndOpensTheOutputFolder) {
    const int shop = AddProject("网上书店");
    AddGoodClass(shop, "Book");
    seam_.inputAnswers = {QString("bookshop")};
    Trigger(Form().S2);
    seam_.shown.clear();
    runsWhileShown_.clear();
    Generate();
    EXPECT_EQ(seam_.Texts(), QStringList({kWarning, "所有代码生成完毕!"}));
    EXPECT_EQ(seam_.shown.last().kind, "information");
    EXPECT_EQ(seam_.shown.last().caption, "任务提示");
    EXPECT_EQ(seam_.foldersOpened, QStringList({Output("网上书店")}));
    const QStringList log = Log();
    ASSERT_FALSE(log.isEmpty());
    EXPECT_EQ(log.first(), kRunStartLine);
    EXPECT_EQ(log[1], "projects/网上书店/src/struts.xml生成完成!");
    EXPECT_TRUE(log.contains("projects/网上书店/src/com/bookshop/domain/Book.hbm.xml生成完成!"));
    EXPECT_TRUE(log.contains("移动资源文件完毕!"));
    EXPECT_EQ(log[log.size() - 2], "projects/网上书店/WebRoot/menu.jsp生成完毕!");
    EXPECT_TRUE(log.last().startsWith("本次生成: 改写")) << log.last().toStdString();
    EXPECT_TRUE(QFileInfo::exists(Output("网上书店") + "/src/com/bookshop/domain/Book.hbm.xml"));
    EXPECT_EQ(runsWhileShown_, QList<int>({1}));
    EXPECT_TRUE(onGuiThread_);
}

TEST_F(GenerationTest, FailedRunEndsItsLogWithTheReasonAndShowsIt) {
    const int project = AddProject("a/b");
    AddGoodClass(project, "Book");
    Generate();
    const QStringList errors = seam_.Texts("error");
    ASSERT_EQ(errors.size(), 1);
    EXPECT_FALSE(errors[0].isEmpty());
    EXPECT_EQ(Log().last(), "生成失败: " + errors[0]);
    EXPECT_EQ(seam_.Texts("information"), QStringList());
    EXPECT_TRUE(seam_.foldersOpened.isEmpty());
}

// The run's project is the one selected when it started, whatever is selected when it ends.
TEST_F(GenerationTest, FinishedRunOpensTheFolderOfItsOwnProject) {
    AddGoodClass(AddProject("first"), "Book");
    AddGoodClass(AddProject("second"), "Book");
    SelectProject(0);
    Trigger(Form().A1);
    SelectProject(1);
    ASSERT_TRUE(WaitFor([this] { return Form().RunningGenerations() == 0; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(seam_.Texts("information"), QStringList({"所有代码生成完毕!"}));
    EXPECT_EQ(seam_.foldersOpened, QStringList({Output("first")}));
    EXPECT_EQ(Form().CB_Project->currentText(), "second");
}

TEST_F(GenerationTest, KeyCheckShowsAControlCharacterOfTheClassNameEscaped) {
    const int shop = AddProject("shop");
    AddClass(shop, QString("Bo") + QChar(0) + "ok" + QChar(0x1B));
    Generate();
    EXPECT_EQ(seam_.Texts("message"),
              QStringList({kWarning, "Bo\\0ok\\x1b表没有设置主键，每个类必须设置一个主键!"}));
}

// Browsing and generating only read the database; a write protected one is left as it is, and
// a change is refused with the reason.
TEST_F(GenerationTest, WriteProtectedDatabaseIsBrowsedAndGeneratedFrom) {
    std::thread writer([this] { AddGoodClass(AddProject("shop"), "Book"); });
    writer.join(); // a worker's connection closes when it ends
    const QString file = dir_.filePath("projects.db");
    const TWriteProtect protect(file);
    const QByteArray before = FileBytes(file);
    EXPECT_EQ(Projects(), QStringList({"shop"}));
    EXPECT_EQ(Classes(), QStringList({"Book"}));
    EXPECT_EQ(MemberColumn(1), QStringList({"id", "title"}));
    seam_.inputAnswers = {QString("hr")};
    Trigger(Form().F2);
    EXPECT_EQ(seam_.TakeTexts("error"), QStringList({"数据库是只读的, 无法保存修改: " + file}));
    EXPECT_EQ(Projects(), QStringList({"shop"}));
    Generate();
    EXPECT_EQ(seam_.Texts("information"), QStringList({"所有代码生成完毕!"}));
    EXPECT_EQ(seam_.foldersOpened, QStringList({Output("shop")}));
    EXPECT_EQ(FileBytes(file), before);
    EXPECT_FALSE(QFileInfo::exists(file + "-wal"));
}

class ProgressBarTest : public GenerationTest {
protected:
    void SetUp() override {
        GenerationTest::SetUp();
        for (const char* name : {"template/pom.xml", "template/README.txt"}) {
            QFile file(dir_.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("<!-- 此文件由Brennoquill生成 -->\n");
        }
    }

    // The window, made once the model is there, records each value of the bar.
    void ShowForm() {
        Form().show();
        QObject::connect(Form().ProgressBar1, &QProgressBar::valueChanged,
                         [this](int value) { values_ << value; });
    }

    // The progress lines that report a written file.
    int WrittenLines() {
        int count = 0;
        for (const QString& line : Log())
            count += line.endsWith("生成完成!") || line.endsWith("生成完毕!") ||
                     line.endsWith("移动完毕!");
        return count;
    }

    bool BarShown() { return !Form().ProgressBar1->isHidden(); }

    QList<int> values_;
};

TEST_F(ProgressBarTest, CountsTheWrittenFilesOfTheFilesToWriteAndIsFullOnceTheRunHasFinished) {
    const int shop = AddProject("shop");
    for (int i = 0; i < 20; ++i)
        AddGoodClass(shop, QString("Class%1").arg(i));
    ShowForm();
    QProgressBar* bar = Form().ProgressBar1;
    struct TBarState {
        bool shown = false;
        int value = -1;
        int maximum = -1;
    } atReport;
    seam_.onShown = [&](const TShown& item) {
        if (item.text == "所有代码生成完毕!")
            atReport = TBarState{BarShown(), bar->value(), bar->maximum()};
    };
    const int planned = PlannedFiles(shop, "shop");
    Generate();
    const int written = WrittenLines();
    EXPECT_EQ(written, planned);
    EXPECT_TRUE(atReport.shown);
    EXPECT_EQ(atReport.maximum, written);
    EXPECT_EQ(atReport.value, written);
    // Counted in batches: from 0 up to every file, never down.
    ASSERT_FALSE(values_.isEmpty());
    EXPECT_EQ(values_.first(), 0);
    EXPECT_EQ(values_.last(), written);
    EXPECT_TRUE(std::is_sorted(values_.begin(), values_.end()));
    EXPECT_TRUE(BarShown());
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(bar->text(), QString("%1 / %1").arg(written));
    // The log shows its last line.
    const QScrollBar* scroll = Form().Memo_State->verticalScrollBar();
    EXPECT_GT(scroll->maximum(), 0);
    EXPECT_EQ(scroll->value(), scroll->maximum());
}

TEST_F(ProgressBarTest, RefusedOrFailedRunLeavesNoBar) {
    const int shop = AddProject("shop");
    AddGoodClass(shop, "Book");
    AddGoodClass(shop, "Author", false);
    ShowForm();
    Generate();
    EXPECT_EQ(seam_.TakeTexts("message").size(), 2);
    EXPECT_FALSE(BarShown());
    EXPECT_TRUE(values_.isEmpty());

    // Fails when it writes its first file: the output folder is a file.
    Execute("update t_member set memberIsDisplay=1 where memberName='title'");
    QFile blocker(Output("shop"));
    ASSERT_TRUE(QDir().mkpath(dir_.path() + "/projects"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    Generate();
    EXPECT_EQ(seam_.Texts("error").size(), 1);
    EXPECT_EQ(values_, QList<int>({0}));
    EXPECT_FALSE(BarShown());
}

// Counts the queued calls a run posts to the window's side: one per progress line would be
// thousands for a run of this size.
class EventCounter : public QObject {
public:
    explicit EventCounter(const QObject* receiver) : receiver_(receiver) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        calls += watched == receiver_ && event->type() == QEvent::MetaCall ? 1 : 0;
        return false;
    }
    int calls = 0;

private:
    const QObject* receiver_;
};

TEST_F(ProgressBarTest, LargeRunReachesTheWindowInBatchesAndItsLogKeepsTheLastLines) {
    const int shop = AddProject("shop");
    AddGoodClasses(shop, 300);
    ShowForm();
    auto* runner = Form().findChild<TGenerationRunner*>();
    EventCounter counter(runner);
    int batches = 0;
    QObject::connect(runner, &TGenerationRunner::FilesWritten, [&batches](int) { ++batches; });
    qApp->installEventFilter(&counter);
    Generate();
    qApp->removeEventFilter(&counter);
    const int planned = PlannedFiles(shop, "shop");
    EXPECT_EQ(seam_.Texts("information"), QStringList({"所有代码生成完毕!"}));
    EXPECT_EQ(Form().ProgressBar1->value(), planned);
    EXPECT_EQ(Form().ProgressBar1->maximum(), planned);
    // The lines are taken by the window's timer; the run posts only its finished report and
    // its end.
    EXPECT_LE(counter.calls, 3);
    // Every file counted once, and the bar went up once per batch of files, not per file.
    EXPECT_EQ(values_.first(), 0);
    EXPECT_EQ(values_.last(), planned);
    EXPECT_TRUE(std::is_sorted(values_.begin(), values_.end()));
    EXPECT_LE(values_.size(), batches + 1);
    EXPECT_LT(batches, planned);
    const QStringList log = Log();
    ASSERT_EQ(log.size(), TProgressLog::kMaxLines + 1);
    EXPECT_TRUE(log.first().startsWith("(前面的")) << log.first().toStdString();
    EXPECT_EQ(log[log.size() - 2], "projects/shop/README.txt生成完成!");
    const int total = log.first().mid(4).section("行", 0, 0).toInt();
    EXPECT_EQ(log.first(), LeftOutText(total));
    EXPECT_GE(total + TProgressLog::kMaxLines, planned);
}

TEST_F(GenerationTest, ClosingTheWindowDuringARunAsksAndStopsItBeforeItsNextFile) {
    // Large enough that the run is still writing when the window shows its first files.
    AddGoodClasses(AddProject("shop"), 600);
    Generate();
    const int allFiles = int(OutputFiles("shop").size());
    ASSERT_TRUE(QDir(Output("shop")).removeRecursively());
    seam_.shown.clear();

    Form().show();
    Trigger(Form().A1);
    ASSERT_TRUE(WaitFor([this] { return Form().Memo_State->blockCount() >= 3; }));
    seam_.confirmAnswers = {true};
    EXPECT_TRUE(Form().close());
    EXPECT_EQ(Form().RunningGenerations(), 0);
    EXPECT_FALSE(Form().isVisible());
    EXPECT_EQ(seam_.Texts(), QStringList({kWarning, "正在生成代码, 要停止生成并关闭窗口吗?"}));
    // The run stopped before its end: fewer files than a whole run, and no more once closed.
    // The files written are whole: no partial file is left.
    const QStringList files = OutputFiles("shop");
    EXPECT_GT(files.size(), 0);
    EXPECT_LT(files.size(), allFiles);
    QCoreApplication::processEvents();
    EXPECT_EQ(OutputFiles("shop"), files);
    for (const QString& file : files)
        EXPECT_FALSE(file.contains(".partial~")) << file.toStdString();
    // The stopped run said so; a new run writes the whole tree again.
    QCoreApplication::processEvents();
    form_.reset();
    seam_.shown.clear();
    Generate();
    EXPECT_EQ(OutputFiles("shop").size(), allFiles);
}

TEST_F(GenerationTest, ARunEndingWhileTheCloseQuestionIsOpenClosesTheQuestion) {
    AddGoodClasses(AddProject("shop"), 300);
    Form().show();
    Trigger(Form().A1);
    ASSERT_TRUE(WaitFor([this] { return Form().Memo_State->blockCount() >= 20; }));
    ASSERT_EQ(Form().RunningGenerations(), 1);
    seam_.shown.clear();
    seam_.confirmAnswers = {true};
    // The user leaves the question open until the run has ended.
    seam_.onShown = [this](const TShown& item) {
        if (item.kind == "confirm")
            WaitFor([this] { return Form().RunningGenerations() == 0; });
    };
    EXPECT_FALSE(Form().close());
    seam_.onShown = nullptr;
    EXPECT_TRUE(Form().isVisible());
    QStringList kinds;
    for (const TShown& item : seam_.shown)
        kinds << item.kind;
    // The stale question goes before the finished box shows, and the window stays open.
    EXPECT_EQ(kinds, QStringList({"confirm", "close-question", "information"}));
    EXPECT_EQ(seam_.Texts("information"), QStringList({"所有代码生成完毕!"}));
    EXPECT_TRUE(seam_.confirmAnswers.isEmpty());
}

TEST_F(GenerationTest, DecliningToStopKeepsTheWindowAndLetsTheRunFinish) {
    AddGoodClass(AddProject("shop"), "Book");
    Form().show();
    Trigger(Form().A1);
    seam_.confirmAnswers = {false};
    EXPECT_FALSE(Form().close());
    EXPECT_TRUE(Form().isVisible());
    ASSERT_TRUE(WaitFor([this] { return Form().RunningGenerations() == 0; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(seam_.Texts(), QStringList({kWarning, "正在生成代码, 要停止生成并关闭窗口吗?",
                                          "所有代码生成完毕!"}));
    // Without a run the window closes without asking.
    EXPECT_TRUE(Form().close());
    EXPECT_EQ(seam_.shown.size(), 3);
}

// A stopped run on a thread of its own: the log ends with the stop, nothing else is reported.
TEST_F(GenerationTest, StoppedRunEndsItsLogWithTheStopAndReportsNothingElse) {
    const int shop = AddProject("shop");
    AddGoodClasses(shop, 50);
    struct TListener : TGenerationListener {
        void OnPlanned(int) override {}
        void OnProgress(const QString& line) override {
            lines << line;
            if (lines.size() == 5)
                run->requestInterruption();
        }
        void OnRefused(const TRefusal&) override { ++other; }
        void OnFinished() override { ++other; }
        void OnError(const QString&) override { ++other; }
        TAutoCode* run = nullptr;
        QStringList lines;
        int other = 0;
    } listener;
    TGenerationSettings settings;
    settings.rootDir = dir_.path();
    settings.projectId = shop;
    settings.projectName = "shop";
    settings.packageName = "shop";
    TAutoCode run(settings, &listener);
    listener.run = &run;
    run.start();
    ASSERT_TRUE(run.wait(20000));
    EXPECT_EQ(listener.lines.size(), 6);
    EXPECT_EQ(listener.lines.last(), kStoppedLine);
    EXPECT_EQ(listener.other, 0);
    EXPECT_EQ(OutputFiles("shop").size(), 5);
}

// Two overlapping runs: the bar follows the latest only. The earlier run plans and writes while
// the latest runs; neither its count nor its files may reach the bar.
TEST_F(ProgressBarTest, OnlyTheLatestOfTwoOverlappingRunsMovesTheBar) {
    const int big = AddProject("big");
    for (int i = 0; i < 30; ++i)
        AddGoodClass(big, QString("Class%1").arg(i));
    AddGoodClass(AddProject("small"), "Book");
    ShowForm();
    QProgressBar* bar = Form().ProgressBar1;
    // What the window's runner passes on: the latest run's plan and written files only.
    auto* runner = Form().findChild<TGenerationRunner*>();
    ASSERT_NE(runner, nullptr);
    QList<int> planned;
    int filesWritten = 0;
    QObject::connect(runner, &TGenerationRunner::Planned,
                     [&planned](int files) { planned << files; });
    QObject::connect(runner, &TGenerationRunner::FilesWritten,
                     [&filesWritten](int count) { filesWritten += count; });
    int ended = 0;
    QObject::connect(runner, &TGenerationRunner::Ended, [&ended](bool) { ++ended; });
    // At each value of the bar, the files of the latest run written so far.
    QList<int> writtenAtValue;
    QObject::connect(bar, &QProgressBar::valueChanged, [this, &writtenAtValue](int) {
        int count = 0;
        for (const QString& line : Log())
            count += line.startsWith("projects/small/") &&
                     (line.endsWith("生成完成!") || line.endsWith("生成完毕!") ||
                      line.endsWith("移动完毕!"));
        writtenAtValue << count;
    });
    SelectProject(0);
    ASSERT_EQ(Form().CB_Project->currentText(), "big");
    Trigger(Form().A1);
    SelectProject(1);
    ASSERT_EQ(Form().CB_Project->currentText(), "small");
    Trigger(Form().A1);
    ASSERT_TRUE(WaitFor([this] { return Form().RunningGenerations() == 0; }, 120000));
    QCoreApplication::processEvents();
    EXPECT_EQ(seam_.Texts("information"), QStringList({"所有代码生成完毕!", "所有代码生成完毕!"}));
    const int written = PlannedFiles(Form().SelectedProjectId(), "small");
    EXPECT_EQ(planned, QList<int>{written});
    EXPECT_EQ(filesWritten, written);
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(bar->maximum(), written);
    EXPECT_EQ(bar->value(), written);
    EXPECT_EQ(values_.first(), 0);
    EXPECT_EQ(values_.last(), written);
    EXPECT_TRUE(std::is_sorted(values_.begin(), values_.end()));
    // The bar never ran ahead of the latest run's files.
    ASSERT_EQ(writtenAtValue.size(), values_.size());
    for (qsizetype i = 0; i < values_.size(); ++i)
        EXPECT_LE(values_[i], writtenAtValue[i]) << "at value " << i;
}
