// Runs under faults: failed writes, unreadable templates, planted links, read-only input,
// concurrent and killed runs.
#include <QDirIterator>
#include <QMap>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <semaphore>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "GeneratorTestSupport.h"
#include "MdbImport.h"
#include "ModelExchange.h"

namespace {

const QString kBusy = QStringLiteral("该工程正在生成代码,请稍候");
const QString kNoDrop = QStringLiteral("<cannot leave root>");

QString Reason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QByteArray Native(const QString& path) {
    return QFile::encodeName(path);
}

template <typename Call> QString ErrorOf(Call call) {
    try {
        call();
    } catch (const TFileError& error) {
        return error.Message();
    }
    return QStringLiteral("<no error>");
}

struct TCliResult {
    int exitCode = -1;
    QString out;
    QString err;
};

// Limits every file the process writes to 64 KiB; a longer write fails with EFBIG.
void LimitFileSize() {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{65536, 65536};
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

// What call returns, computed in a child process without root's right to read anything
// (as the user nobody when the tests run as root); kNoDrop when it cannot leave root.
QString InUnprivilegedChild(const std::function<QString()>& call) {
    int ends[2];
    if (::pipe(ends) != 0)
        return QStringLiteral("<no pipe>");
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ends[0]);
        const bool dropped = ::geteuid() != 0 || (::setgroups(0, nullptr) == 0 &&
                                                  ::setgid(65534) == 0 && ::setuid(65534) == 0);
        const QByteArray result = (dropped ? call() : kNoDrop).toUtf8();
        const bool written = ::write(ends[1], result.constData(), result.size()) == result.size();
        ::_exit(written ? 0 : 1);
    }
    ::close(ends[1]);
    QByteArray result;
    char buffer[4096];
    ssize_t got = 0;
    while ((got = ::read(ends[0], buffer, sizeof buffer)) > 0)
        result.append(buffer, got);
    ::close(ends[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return QString::fromUtf8(result);
}

// Every file under folder, by relative path, with its bytes.
QMap<QString, QByteArray> Tree(const QString& folder) {
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        files.insert(QDir(folder).relativeFilePath(path),
                     file.open(QIODevice::ReadOnly) ? file.readAll() : "<unreadable>");
    }
    return files;
}

// The paths whose bytes differ between two trees, or that only one of them has.
QStringList Differences(const QMap<QString, QByteArray>& a, const QMap<QString, QByteArray>& b) {
    QStringList paths;
    for (auto it = a.begin(); it != a.end(); ++it)
        if (!b.contains(it.key()) || b.value(it.key()) != it.value())
            paths << it.key();
    for (auto it = b.begin(); it != b.end(); ++it)
        if (!a.contains(it.key()))
            paths << it.key();
    return paths;
}

QString IntegrityCheck(const QString& databaseFile) {
    const QString name = QStringLiteral("integrity check");
    QString result;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        database.setDatabaseName(databaseFile);
        if (database.open()) {
            QSqlQuery query(database);
            if (query.exec(QStringLiteral("PRAGMA integrity_check")) && query.next())
                result = query.value(0).toString();
        }
        database.close();
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

// Holds the run at its first progress line until released.
class TBlockingListener : public TRecordingListener {
public:
    void OnProgress(const QString& line) override {
        if (lines.isEmpty()) {
            started.release();
            proceed.acquire();
        }
        TRecordingListener::OnProgress(line);
    }

    std::binary_semaphore started{0};
    std::binary_semaphore proceed{0};
};

} // namespace

class FaultTest : public GeneratorTest {
protected:
    TCliResult Generate(const QString& project,
                        const std::function<void()>& inChild = nullptr) const {
        QProcess process;
        if (inChild)
            process.setChildProcessModifier(inChild);
        process.start(BRENNOQUILL_CLI, {"--root", root_.path(), "generate", "--project", project});
        TCliResult result;
        if (!process.waitForFinished(300000))
            return result;
        result.exitCode = process.exitCode();
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }
    // Starts a generation and kills it with SIGKILL once it has printed that many lines;
    // false when it ended by itself first.
    bool KillAfter(const QString& project, int lines) const {
        QProcess process;
        process.start(BRENNOQUILL_CLI, {"--root", root_.path(), "generate", "--project", project});
        if (!process.waitForStarted(60000))
            return false;
        int seen = 0;
        while (seen < lines && process.waitForReadyRead(60000))
            seen += int(process.readAllStandardOutput().count('\n'));
        process.kill();
        process.waitForFinished(60000);
        return seen >= lines && process.exitStatus() == QProcess::CrashExit;
    }
    // The headless command with the test's root, stopped after 30 s (exit code -1). With
    // outFile, standard output goes there.
    TCliResult Cli(const QStringList& args, const QString& outFile = QString()) const {
        QProcess process;
        if (!outFile.isEmpty())
            process.setStandardOutputFile(outFile);
        process.start(BRENNOQUILL_CLI, QStringList{"--root", root_.path()} + args);
        TCliResult result;
        if (!process.waitForFinished(30000)) {
            process.kill();
            process.waitForFinished();
            return result;
        }
        result.exitCode = process.exitCode();
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }
    QStringList PartialFiles(const QString& folder) const {
        QStringList found;
        QDirIterator it(Path(folder), {"*.partial~*"}, QDir::Files | QDir::Hidden | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            found << it.next();
        return found;
    }
    void Chmod(const QString& relative, mode_t mode) const {
        ASSERT_EQ(::chmod(Native(Path(relative)).constData(), mode), 0) << relative.toStdString();
    }
};

// A write that fails (here: beyond the file-size limit, as on a full disk) ends the run with
// the file and the reason, and the file of the earlier run stays as it was.
TEST_F(FaultTest, FailedWritesEndTheRunAndKeepTheEarlierFile) {
    MakeBak();
    AddKeyOnlyClass(AddProject("P"), "A");
    ASSERT_EQ(Generate("P").exitCode, 0);
    const QByteArray earlier = Read("projects/P/src/struts.xml");
    WriteTemplate("src/struts.xml", QString(100000, 'x'));
    const TCliResult written = Generate("P", LimitFileSize);
    const QString struts = Path("projects/P/src/struts.xml") + ": " + Reason(EFBIG);
    EXPECT_EQ(written.exitCode, 1);
    EXPECT_EQ(written.out, "生成失败: " + struts + "\n");
    EXPECT_EQ(written.err, struts + "\n");
    EXPECT_EQ(Read("projects/P/src/struts.xml"), earlier);

    WriteTemplate("src/struts.xml", "");
    Write("bak/WebRoot/sub/big.bin", QByteArray(100000, 'b'));
    Write("projects/P/WebRoot/sub/big.bin", "earlier");
    const TCliResult copied = Generate("P", LimitFileSize);
    const QString big = Path("projects/P/WebRoot/sub/big.bin") + ": " + Reason(EFBIG);
    EXPECT_EQ(copied.exitCode, 1);
    EXPECT_TRUE(copied.out.endsWith("文件夹完毕！\n生成失败: " + big + "\n"))
        << copied.out.toStdString();
    EXPECT_FALSE(copied.out.contains("所有代码生成完毕!"));
    EXPECT_EQ(copied.err, big + "\n");
    EXPECT_EQ(Read("projects/P/WebRoot/sub/big.bin"), "earlier");
    EXPECT_EQ(PartialFiles("projects"), QStringList());
}

// A template that exists but cannot be read ends the run naming it; nothing is written from
// it as if it were empty.
TEST_F(FaultTest, UnreadableTemplatesEndTheRunNamingTheFile) {
    MakeBak();
    const int project = AddProject("P");
    AddKeyOnlyClass(project, "A");
    const auto loop = [](const QString& path) {
        ASSERT_EQ(::symlink(Native(path).constData(), Native(path).constData()), 0);
    };
    const auto fifo = [](const QString& path) {
        ASSERT_EQ(::mkfifo(Native(path).constData(), 0600), 0);
    };
    const auto folder = [](const QString& path) { ASSERT_TRUE(QDir().mkpath(path)); };
    struct TCase {
        QString source;
        std::function<void(const QString&)> make;
        QString reason;
        QString output;
    };
    const QList<TCase> cases = {
        {"src/struts.xml", loop, Reason(ELOOP), "src/struts.xml"},
        {"src/beans.xml", fifo, "不是普通文件", "src/beans.xml"},
        {"src/hibernate.cfg.xml", folder, Reason(EISDIR), "src/hibernate.cfg.xml"},
        {"src/com/packageName/domain/className.hbm.xml", loop, Reason(ELOOP),
         "src/com/pkg/domain/A.hbm.xml"},
        {"src/com/packageName/dao/AdminDAO.java", fifo, "不是普通文件",
         "src/com/pkg/dao/AdminDAO.java"},
    };
    QDir().mkpath(Path("template/src/com/packageName/domain"));
    QDir().mkpath(Path("template/src/com/packageName/dao"));
    for (const TCase& c : cases) {
        const QString source = Path("template/" + c.source);
        c.make(source);
        const TRecordingListener run = Run(project);
        const QString message = "无法读取文件: " + source + " (" + c.reason + ")";
        EXPECT_EQ(run.events, QStringList{"error " + message});
        EXPECT_EQ(run.lines.value(run.lines.size() - 1), "生成失败: " + message);
        EXPECT_FALSE(Exists("projects/P/" + c.output)) << c.output.toStdString();
        ASSERT_TRUE(::unlink(Native(source).constData()) == 0 || QDir().rmdir(source));
    }
}

TEST_F(FaultTest, TemplatesThatMayNotBeReadAreErrors) {
    WriteTemplate("src/struts.xml", "x");
    WriteTemplate("locked.xml", "x");
    Chmod("", 0755);
    Chmod("template/src", 0);
    Chmod("template/locked.xml", 0);
    const QString errors = InUnprivilegedChild([this] {
        return ErrorOf([this] { TFileOperate::ReadTextFile(Path("template/src/struts.xml")); }) +
               "\n" + ErrorOf([this] { TFileOperate::ReadTextFile(Path("template/locked.xml")); });
    });
    Chmod("template/src", 0755);
    if (errors == kNoDrop)
        GTEST_SKIP() << "cannot run as another user";
    const QString denied = " (" + Reason(EACCES) + ")";
    EXPECT_EQ(errors, "无法读取文件: " + Path("template/src/struts.xml") + denied +
                          "\n无法读取文件: " + Path("template/locked.xml") + denied);
}

// Links planted in the output tree are replaced by what the run writes; their targets stay.
TEST_F(FaultTest, ARunNeverWritesThroughALink) {
    MakeBak();
    const int project = AddProject("P");
    AddKeyOnlyClass(project, "A");
    Write("outside/struts.xml", "keep");
    Write("outside/top.txt", "keep");
    QDir().mkpath(Path("projects/P/src"));
    QFile::link(Path("outside/struts.xml"), Path("projects/P/src/struts.xml"));
    QFile::link(Path("outside"), Path("projects/P/src/com"));
    QFile::link(Path("outside"), Path("projects/P/WebRoot"));
    QFile::link(Path("outside/top.txt"), Path("projects/P/.project"));
    EXPECT_EQ(Run(project).events, QStringList{"finished"});
    const QMap<QString, QByteArray> outside{{"struts.xml", "keep"}, {"top.txt", "keep"}};
    EXPECT_EQ(Differences(Tree(Path("outside")), outside), QStringList());
    for (const char* path : {"src/struts.xml", "src/com", "WebRoot", ".project"})
        EXPECT_FALSE(QFileInfo(Path("projects/P/") + path).isSymLink()) << path;
    EXPECT_EQ(Read("projects/P/src/struts.xml"), kBom);
    EXPECT_TRUE(Exists("projects/P/src/com/pkg/domain/A.java"));
    EXPECT_EQ(Read("projects/P/WebRoot/top.txt"), "top");
    EXPECT_FALSE(QFileInfo(Path("projects/P/.project")).isSymLink());
    EXPECT_EQ(Read("projects/P/.project"), "project");
}

// Copies keep their permissions but are writable by their owner, also for an owner that is
// not root (whose right to write anything hides the fault).
TEST_F(FaultTest, CopiesAreWritableByTheirOwner) {
    Chmod("", 0777);
    const QString modes = InUnprivilegedChild([this] {
        QDir().mkpath(Path("own/src"));
        QString result;
        for (const auto& [name, mode] : {std::pair{"ro.txt", 0444}, std::pair{"run.sh", 0555}}) {
            QFile file(Path("own/src/") + name);
            if (!file.open(QIODevice::WriteOnly) || file.write("x") != 1)
                return QStringLiteral("<cannot write>");
            file.close();
            ::chmod(Native(file.fileName()).constData(), mode_t(mode));
        }
        for (int pass = 0; pass < 2; ++pass)
            result += ErrorOf(
                [this] { TFileOperate::CopyFolder(Path("own/src"), Path("own/dst"), false); });
        for (const char* name : {"ro.txt", "run.sh"}) {
            struct stat status;
            ::stat(Native(Path("own/dst/") + name).constData(), &status);
            result += " " + QString::number(status.st_mode & 07777, 8);
        }
        return result;
    });
    if (modes == kNoDrop)
        GTEST_SKIP() << "cannot run as another user";
    EXPECT_EQ(modes, "<no error><no error> 644 755");
}

// Read-only files in bak/ are copied writable by their owner, and a later run replaces them.
TEST_F(FaultTest, ReadOnlyScaffoldingDoesNotBlockTheNextRun) {
    MakeBak();
    const int project = AddProject("P");
    AddKeyOnlyClass(project, "A");
    for (const char* file : {"bak/WebRoot/top.txt", "bak/WebRoot/sub/inner.txt", "bak/.project"})
        Chmod(file, 0444);
    Chmod("bak/WebRoot/sub", 0555);
    EXPECT_EQ(Run(project).events, QStringList{"finished"});
    Chmod("bak/WebRoot/sub", 0755);
    Chmod("bak/WebRoot/sub/inner.txt", 0644);
    Write("bak/WebRoot/sub/inner.txt", "changed");
    Chmod("bak/WebRoot/sub/inner.txt", 0444);
    EXPECT_EQ(Run(project).events, QStringList{"finished"});
    EXPECT_EQ(Read("projects/P/WebRoot/sub/inner.txt"), "changed");
    QDirIterator it(Path("projects/P"), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    int checked = 0;
    while (it.hasNext()) {
        struct stat status;
        ASSERT_EQ(::stat(Native(it.next()).constData(), &status), 0);
        EXPECT_TRUE(status.st_mode & S_IWUSR) << it.filePath().toStdString();
        ++checked;
    }
    EXPECT_GT(checked, 30);
}

// A second run of a project that is being generated is refused before it writes anything;
// other projects are not held up, and the project is free again once the first run ends.
TEST_F(FaultTest, OneRunPerProjectAtATimeInOneProcess) {
    MakeBak();
    const int project = AddProject("P");
    AddKeyOnlyClass(project, "A");
    const int other = AddProject("Q");
    AddKeyOnlyClass(other, "B");
    TBlockingListener blocking;
    TAutoCode first({root_.path(), project, "P", "pkg"}, &blocking);
    std::thread worker([&first] { first.Execute(); });
    blocking.started.acquire();
    const TRecordingListener second = Run(project);
    EXPECT_EQ(second.events, QStringList{"error " + kBusy});
    EXPECT_EQ(second.lines, QStringList{"生成失败: " + kBusy});
    EXPECT_FALSE(Exists("projects/P/src/beans.xml"));
    EXPECT_EQ(Run(other, "Q").events, QStringList{"finished"});
    blocking.proceed.release();
    worker.join();
    EXPECT_EQ(blocking.events, QStringList{"finished"});
    EXPECT_EQ(Run(project).events, QStringList{"finished"});
}

TEST_F(FaultTest, OneRunPerProjectAtATimeAcrossProcesses) {
    MakeBak();
    AddKeyOnlyClass(AddProject("P"), "A");
    QDir().mkpath(Path("projects"));
    const int lock =
        ::open(Native(Path("projects/.P.lock")).constData(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
    ASSERT_GE(lock, 0);
    ASSERT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0);
    const TCliResult refused = Generate("P");
    ::close(lock);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.out, "生成失败: " + kBusy + "\n");
    EXPECT_EQ(refused.err, kBusy + "\n");
    EXPECT_FALSE(Exists("projects/P"));
    const TCliResult later = Generate("P");
    EXPECT_EQ(later.exitCode, 0) << later.err.toStdString();
}

// Killed at any point, a run leaves the database intact and no lock held; a rerun removes
// what interrupted writes left and gives the tree of an uninterrupted run.
TEST_F(FaultTest, KilledRunsLeaveTheDatabaseIntactAndARerunCompletes) {
    MakeBak();
    const int project = AddProject("P");
    for (int i = 0; i < 300; ++i)
        AddKeyOnlyClass(project, "C" + QString::number(i));
    const TCliResult complete = Generate("P");
    ASSERT_EQ(complete.exitCode, 0) << complete.err.toStdString();
    const QMap<QString, QByteArray> tree = Tree(Path("projects/P"));
    ASSERT_TRUE(QDir(Path("projects/P")).removeRecursively());
    // The command cannot get more than a pipe's worth of lines (64 KiB, about 1200 lines)
    // ahead of the reader, and the run prints over 2000: every kill lands before the end.
    for (const int lines : {0, 1, 250, 600}) {
        EXPECT_TRUE(KillAfter("P", lines)) << lines;
        EXPECT_EQ(IntegrityCheck(Path("projects.db")), "ok") << lines;
    }
    Write("projects/P/src/struts.xml.partial~zz", "half");
    const TCliResult rerun = Generate("P");
    EXPECT_EQ(rerun.exitCode, 0) << rerun.err.toStdString();
    EXPECT_EQ(Differences(Tree(Path("projects/P")), tree), QStringList());
}

// A lock path that is no regular file is an error found without waiting: a FIFO there would
// block the opening for reading until a writer came.
TEST_F(FaultTest, ALockPathThatIsNoRegularFileEndsTheRunAtOnce) {
    MakeBak();
    AddKeyOnlyClass(AddProject("P"), "A");
    const QString lock = Path("projects/.P.lock");
    const QList<std::pair<std::function<bool()>, QString>> cases = {
        {[&lock] { return ::mkfifo(Native(lock).constData(), 0600) == 0; }, "不是普通文件"},
        {[&lock] { return QDir().mkpath(lock); }, Reason(EISDIR)},
        {[&lock] { return QFile::link("absent", lock); }, Reason(ELOOP)},
    };
    QDir().mkpath(Path("projects"));
    for (const auto& [make, reason] : cases) {
        ASSERT_TRUE(make()) << reason.toStdString();
        const TCliResult run = Cli({"generate", "--project", "P"});
        EXPECT_EQ(run.exitCode, 1) << reason.toStdString();
        EXPECT_EQ(run.err, lock + ": " + reason + "\n");
        EXPECT_EQ(run.out, "生成失败: " + lock + ": " + reason + "\n");
        EXPECT_FALSE(Exists("projects/P"));
        ASSERT_TRUE(::unlink(Native(lock).constData()) == 0 || QDir().rmdir(lock));
    }
    EXPECT_EQ(Cli({"generate", "--project", "P"}).exitCode, 0);
}

// export --out writes like a run: a new file renamed over a regular file, whose permissions
// stay; anything else at the path is refused and left as it is. A failed write to standard
// output is an error too.
TEST_F(FaultTest, ExportReplacesOnlyRegularFilesAndReportsFailedWrites) {
    AddKeyOnlyClass(AddProject("P"), "A");
    const QByteArray model = Cli({"export", "--project", "P"}).out.toUtf8();
    ASSERT_TRUE(model.startsWith("{"));
    Write("earlier.json", "earlier");
    Chmod("earlier.json", 0640);
    const TCliResult replaced = Cli({"export", "--project", "P", "--out", Path("earlier.json")});
    EXPECT_EQ(replaced.exitCode, 0) << replaced.err.toStdString();
    EXPECT_EQ(Read("earlier.json"), model);
    struct stat status;
    ASSERT_EQ(::stat(Native(Path("earlier.json")).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);

    Write("outside/target.json", "keep");
    ASSERT_TRUE(QFile::link(Path("outside/target.json"), Path("link.json")));
    ASSERT_EQ(::mkfifo(Native(Path("fifo.json")).constData(), 0600), 0);
    ASSERT_TRUE(QDir().mkpath(Path("folder.json")));
    QStringList special{"link.json", "fifo.json", "folder.json"};
    // a private /dev/null, where root may make one
    if (::mknod(Native(Path("null.json")).constData(), S_IFCHR | 0600, makedev(1, 3)) == 0)
        special << "null.json";
    for (const QString& name : special) {
        const TCliResult refused = Cli({"export", "--project", "P", "--out", Path(name)});
        EXPECT_EQ(refused.exitCode, 1) << name.toStdString();
        EXPECT_EQ(refused.err, "无法写入文件: " + Path(name) + " (不是普通文件)\n");
        EXPECT_FALSE(QFileInfo(Path(name)).isFile() && !QFileInfo(Path(name)).isSymLink())
            << name.toStdString();
    }
    EXPECT_TRUE(QFileInfo(Path("link.json")).isSymLink());
    EXPECT_EQ(Read("outside/target.json"), "keep");
    EXPECT_EQ(PartialFiles(""), QStringList());

    const TCliResult full = Cli({"export", "--project", "P"}, "/dev/full");
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_EQ(full.err, "无法写入标准输出 (" + Reason(ENOSPC) + ")\n");
}

// An import reads regular files only, of at most 256 MiB; a FIFO or device is refused without
// waiting for a writer or reading on.
TEST_F(FaultTest, ImportsRefuseSpecialAndOversizedFiles) {
    ASSERT_EQ(::mkfifo(Native(Path("fifo.json")).constData(), 0600), 0);
    Write("big.json", "");
    ASSERT_TRUE(QFile(Path("big.json")).resize(kMaxImportBytes + 1));
    const QList<std::pair<QString, QString>> cases = {
        {Path("fifo.json"), "不是普通文件"},
        {"/dev/null", "不是普通文件"},
        {Path("big.json"), "文件大于256 MiB"},
    };
    for (const auto& [file, reason] : cases) {
        const TCliResult refused = Cli({"import", file});
        EXPECT_EQ(refused.exitCode, 1) << file.toStdString();
        EXPECT_EQ(refused.err, "无法读取文件: " + file + " (" + reason + ")\n");
    }
    EXPECT_EQ(TProjectDAO().ListProjects().size(), 0);
}

// What mdb-export prints is read up to the same limit; a longer output stops it.
TEST_F(FaultTest, ImportMdbStopsAnOversizedOutput) {
    WriteScript("fake/mdb-export",
                "head -c " + QByteArray::number(kMaxImportBytes + 1) + " /dev/zero\n");
    Write("old.mdb", "");
    const TPathFirst fake(Path("fake"));
    QString message;
    try {
        MdbImport::ImportMdb(Path("old.mdb"));
    } catch (const TExchangeError& error) {
        message = error.Message();
    }
    EXPECT_EQ(message, "无法读取Access数据库" + Path("old.mdb") +
                           "中的表t_project: mdb-export的输出大于256 MiB");
}

// A link at projects/<project> itself is replaced by a folder, like links below it.
TEST_F(FaultTest, AProjectFolderThatIsALinkIsReplaced) {
    MakeBak();
    const int project = AddProject("P");
    AddKeyOnlyClass(project, "A");
    Write("outside/keep.txt", "keep");
    QDir().mkpath(Path("projects"));
    ASSERT_TRUE(QFile::link(Path("outside"), Path("projects/P")));
    EXPECT_EQ(Run(project).events, QStringList{"finished"});
    EXPECT_FALSE(QFileInfo(Path("projects/P")).isSymLink());
    EXPECT_TRUE(Exists("projects/P/src/struts.xml"));
    EXPECT_EQ(Tree(Path("outside")), (QMap<QString, QByteArray>{{"keep.txt", "keep"}}));
}
