#include <QDirIterator>
#include <QProcess>
#include <QXmlStreamReader>
#include <thread>

#include "../store/WriteProtect.h"
#include "GeneratorTestSupport.h"

namespace {

struct TCliResult {
    int exitCode = -1;
    QString out;
    QString err;
};

} // namespace

class CliTest : public GeneratorTest {
protected:
    TCliResult Cli(const QStringList& args) const {
        QProcess process;
        process.start(BRENNOQUILL_CLI, args);
        TCliResult result;
        if (!process.waitForFinished(120000))
            return result;
        result.exitCode = process.exitCode();
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }
    TCliResult Generate(const QString& project) const {
        return Cli({"--root", root_.path(), "generate", "--project", project});
    }
};

TEST_F(CliTest, BadArgumentsPrintTheUsage) {
    const QList<QStringList> cases = {{},
                                      {"bogus"},
                                      {"--root"},
                                      {"--root", root_.path(), "generate"},
                                      {"generate", "--project"},
                                      {"list", "--project", "x"},
                                      {"list", "sample"}};
    for (const QStringList& args : cases) {
        const TCliResult result = Cli(args);
        EXPECT_EQ(result.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(result.err.startsWith("用法: ")) << args.join(' ').toStdString();
    }
}

TEST_F(CliTest, SampleListAndGenerate) {
    MakeBak();
    WriteTemplate("src/com/packageName/domain/className.hbm.xml", "$hibernateContentConfigString");
    const TCliResult added = Cli({"--root", root_.path(), "sample"});
    EXPECT_EQ(added.exitCode, 0);
    EXPECT_EQ(added.out, "已添加示例工程: 图书管理系统\n");
    EXPECT_EQ(Cli({"--root", root_.path(), "sample"}).out, "示例工程已存在: 图书管理系统\n");
    const TCliResult list = Cli({"--root", root_.path(), "list"});
    EXPECT_EQ(list.exitCode, 0);
    EXPECT_TRUE(list.out.startsWith("1\t图书管理系统\n"));
    EXPECT_TRUE(list.out.contains("\tBook\t图书\n"));

    const TCliResult run =
        Cli({"--root", root_.path(), "generate", "--project", "图书管理系统", "--package", "lib"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith("projects/图书管理系统/src/struts.xml生成完成!\n"));
    EXPECT_TRUE(
        run.out.contains("移动资源文件完毕!\nprojects/图书管理系统/WebRoot/BookType_add.jsp"));
    EXPECT_TRUE(run.out.contains("WebRoot/menu.jsp生成完毕!\n本次生成: 改写"));
    EXPECT_TRUE(run.out.endsWith("0个文件没有变化, 保留0个已修改的文件\n所有代码生成完毕!\n"));
    const QByteArray loan = Read("projects/图书管理系统/src/com/lib/domain/Loan.hbm.xml");
    EXPECT_TRUE(loan.contains("column=\"barcode\"") && loan.contains("column=\"readerNo\""));
}

TEST_F(CliTest, FailuresGiveTheirExitCodes) {
    const int project = AddProject("Bad");
    AddMember(project, AddClass(project, "Broken"), "name", "字符串", 0, 1);
    const TCliResult keys = Generate("Bad");
    EXPECT_EQ(keys.exitCode, 3);
    EXPECT_EQ(keys.err, "Broken表没有设置主键，每个类必须设置一个主键!\n");
    const int other = AddProject("NoDisplay");
    AddMember(other, AddClass(other, "Plain"), "id", "整型", 1, 0);
    const TCliResult display = Generate("NoDisplay");
    EXPECT_EQ(display.exitCode, 3);
    EXPECT_EQ(display.err, "Plain表显示成员设置错误，每个类有且只能设置一个显示成员!\n");
    const int clash = AddProject("Clash");
    const int login = AddKeyOnlyClass(clash, "Admin");
    AddMember(clash, login, "9lives", "字符串");
    const TCliResult rules = Generate("Clash");
    EXPECT_EQ(rules.exitCode, 3);
    EXPECT_EQ(rules.out, "");
    EXPECT_EQ(rules.err,
              "类名Admin与固定支持类重名: 生成的工程自带管理员类Admin(domain/Admin.java、"
              "dao/AdminDAO.java), 请换一个类名\n");
    EXPECT_FALSE(Exists("projects"));

    const TCliResult unknown = Generate("Nobody");
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_EQ(unknown.err, "没有名为\"Nobody\"的工程\n");
    AddProject("Empty");
    const TCliResult failed = Generate("Empty");
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(failed.out.contains("正在移动资源文件。。。\n生成失败: 无法进入文件夹: "));
    EXPECT_EQ(Cli({"--root", Path("absent"), "list"}).exitCode, 1);
}

// The shipped templates and scaffolding produce a complete project without warnings.
TEST_F(CliTest, ShippedResourcesGenerateTheSampleCleanly) {
    const QString resources = BRENNOQUILL_RESOURCES;
    if (!QFileInfo::exists(resources + "/template/src/struts.xml"))
        GTEST_SKIP() << "no shipped templates";
    ASSERT_TRUE(TFileOperate::CopyFolder(resources + "/template", Path("template"), false));
    ASSERT_TRUE(TFileOperate::CopyFolder(resources + "/bak", Path("bak"), false));
    ASSERT_EQ(Cli({"--root", root_.path(), "sample"}).exitCode, 0);
    const TCliResult run = Generate("图书管理系统");
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_FALSE(run.out.contains("警告"));
    EXPECT_TRUE(Read("projects/图书管理系统/src/hibernate.cfg.xml")
                    .contains("<mapping resource=\"com/brennoquill/domain/Loan.hbm.xml\" />"));
    const QString base = "projects/图书管理系统/src/com/brennoquill/";
    for (const char* name : {"BookType", "Book", "Reader", "Loan"})
        for (const char* file : {"domain/%1.java", "action/%1Action.java", "dao/%1DAO.java"})
            EXPECT_TRUE(run.out.contains(base + QString(file).arg(name) + "生成完毕!\n"))
                << file << name;
    QDirIterator xml(Path("projects/图书管理系统"), {"*.xml"}, QDir::Files,
                     QDirIterator::Subdirectories);
    int parsed = 0;
    while (xml.hasNext()) {
        const QString path = xml.next();
        const QByteArray bytes = Read(QDir(root_.path()).relativeFilePath(path));
        QXmlStreamReader reader(bytes.startsWith(kBom) ? QString::fromUtf8(bytes.mid(3))
                                                       : TFileOperate::DecodeGbk(bytes));
        while (!reader.atEnd())
            reader.readNext();
        EXPECT_FALSE(reader.hasError())
            << path.toStdString() << ": " << reader.errorString().toStdString();
        ++parsed;
    }
    EXPECT_GE(parsed, 10);
}

// A database file without write permission, or in a folder without it, is read as it is, for
// root too: listed and generated from, never changed, and nothing is created beside it.
// A project's database settings follow it: every file the shipped templates give for
// PostgreSQL names its driver and no MySQL piece, the Admin table takes the project's name, a
// later run without the options keeps them, and a model file carries them to another project.
TEST_F(CliTest, DatabaseSettingsFollowTheProject) {
    const QString resources = BRENNOQUILL_RESOURCES;
    if (!QFileInfo::exists(resources + "/template/src/struts.xml"))
        GTEST_SKIP() << "no shipped templates";
    ASSERT_TRUE(TFileOperate::CopyFolder(resources + "/template", Path("template"), false));
    ASSERT_TRUE(TFileOperate::CopyFolder(resources + "/bak", Path("bak"), false));
    ASSERT_EQ(Cli({"--root", root_.path(), "sample"}).exitCode, 0);
    const QStringList generate{"--root", root_.path(), "generate", "--project", "图书管理系统"};
    EXPECT_EQ(Cli(generate + QStringList{"--database", "oracle"}).exitCode, 2);
    const TCliResult badTable = Cli(generate + QStringList{"--admin-table", "a`b"});
    EXPECT_EQ(badTable.exitCode, 2);
    EXPECT_EQ(badTable.err, "管理员表名\"a`b\"不能含有引号(`或\")或控制字符\n");
    const TCliResult run =
        Cli(generate + QStringList{"--database", "postgresql", "--admin-table", "管理员"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_FALSE(run.out.contains("警告"));
    const QString project = "projects/图书管理系统/";
    const QString config = TFileOperate::DecodeGbk(Read(project + "src/hibernate.cfg.xml"));
    const QString libraries =
        TFileOperate::DecodeGbk(Read(project + "WebRoot/WEB-INF/lib/README.txt"));
    for (const QString& text : {QString::fromUtf8(Read(project + "pom.xml")), config,
                                QString::fromUtf8(Read(project + "README.txt")), libraries}) {
        EXPECT_FALSE(text.contains("mysql", Qt::CaseInsensitive)) << text.toStdString();
        EXPECT_TRUE(text.contains("postgresql")) << text.toStdString();
    }
    EXPECT_TRUE(config.contains("org.hibernate.dialect.PostgreSQL10Dialect"));
    const QString base = project + "src/com/brennoquill/";
    EXPECT_TRUE(TFileOperate::DecodeGbk(Read(base + "domain/Admin.hbm.xml"))
                    .contains("table=\"`管理员`\""));
    EXPECT_EQ(TFileOperate::DecodeGbk(Read(base + "utils/HibernateUtil.java")).count("\"管理员\""),
              2);
    EXPECT_TRUE(Cli(generate).out.contains("本次生成: 改写0个文件"));

    const QString file = Path("pg.json");
    ASSERT_EQ(Cli({"--root", root_.path(), "export", "--project-id", "1", "--out", file}).exitCode,
              0);
    const QString exported = QString::fromUtf8(FileBytes(file));
    EXPECT_TRUE(exported.contains("\"databaseKind\": \"postgresql\""));
    EXPECT_TRUE(exported.contains("\"adminTable\": \"管理员\""));
    ASSERT_EQ(Cli({"--root", root_.path(), "import", file, "--as", "副本"}).exitCode, 0);
    EXPECT_EQ(TProjectDAO().ReadDatabase(2),
              (TProjectDatabase{TDatabaseKind::PostgreSql, "管理员"}));
}

TEST_F(CliTest, WriteProtectedDatabaseIsListedAndGeneratedFromAsItIs) {
    MakeBak();
    ASSERT_EQ(Cli({"--root", root_.path(), "sample"}).exitCode, 0);
    // Renamed, so that sample has something to add; a worker's connection ends with it.
    std::thread([] {
        TDbHelper().ExecuteCommand("update t_project set projectName='图书'");
    }).join();
    const QString file = Path("projects.db");
    const QByteArray before = FileBytes(file);
    {
        const TWriteProtect protect(file);
        const TCliResult list = Cli({"--root", root_.path(), "list"});
        EXPECT_EQ(list.exitCode, 0) << list.err.toStdString();
        EXPECT_TRUE(list.out.startsWith("1\t图书\n"));
        const TCliResult run = Generate("图书");
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_TRUE(run.out.endsWith("所有代码生成完毕!\n"));
        const TCliResult sample = Cli({"--root", root_.path(), "sample"});
        EXPECT_EQ(sample.exitCode, 1);
        EXPECT_EQ(sample.err, "数据库是只读的, 无法保存修改: " + file + "\n");
    }
    const QStringList entries = FolderEntries(root_.path());
    {
        const TWriteProtect protect(root_.path());
        const TCliResult list = Cli({"--root", root_.path(), "list"});
        EXPECT_EQ(list.exitCode, 0) << list.err.toStdString();
        EXPECT_TRUE(list.out.startsWith("1\t图书\n"));
        EXPECT_EQ(FolderEntries(root_.path()), entries);
    }
    EXPECT_FALSE(entries.contains("projects.db-shm"));
    EXPECT_EQ(FileBytes(file), before);
}

// Only sample creates a database; a --root naming the wrong folder is told so.
TEST_F(CliTest, ListAndGenerateNeedAnExistingDatabase) {
    const QString missing = "没有找到数据库: " + Path("projects.db") + "\n";
    for (const QStringList& args :
         {QStringList{"list"}, {"generate", "--project", "P"}, {"generate", "--project-id", "1"}}) {
        const TCliResult result = Cli(QStringList{"--root", root_.path()} + args);
        EXPECT_EQ(result.exitCode, 1) << args.join(' ').toStdString();
        EXPECT_EQ(result.err, missing);
        EXPECT_EQ(result.out, "");
    }
    EXPECT_EQ(FolderEntries(root_.path()), QStringList());
    EXPECT_EQ(Cli({"--root", root_.path(), "sample"}).exitCode, 0);
    EXPECT_EQ(Cli({"--root", root_.path(), "list"}).exitCode, 0);
}

// A name two projects share is refused with their keys; a key picks one.
TEST_F(CliTest, ProjectsSharingANameArePickedByTheirKey) {
    MakeBak();
    AddKeyOnlyClass(AddProject("Twin"), "Left");
    AddProject("Other");
    AddKeyOnlyClass(AddProject("Twin"), "Second");
    const TCliResult both = Generate("Twin");
    EXPECT_EQ(both.exitCode, 2);
    EXPECT_EQ(both.err, "有2个名为\"Twin\"的工程(编号 1, 3), 请用 --project-id 指定其中一个\n");
    EXPECT_EQ(both.out, "");
    EXPECT_FALSE(Exists("projects"));

    const TCliResult picked = Cli({"--root", root_.path(), "generate", "--project-id", "3"});
    EXPECT_EQ(picked.exitCode, 0) << picked.err.toStdString();
    EXPECT_TRUE(Exists("projects/Twin/src/com/brennoquill/domain/Second.java"));
    EXPECT_FALSE(Exists("projects/Twin/src/com/brennoquill/domain/Left.java"));

    const TCliResult unknown = Cli({"--root", root_.path(), "generate", "--project-id", "99"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_EQ(unknown.err, "没有编号为99的工程\n");
    for (const QStringList& args : {QStringList{"generate", "--project-id", "x"},
                                    {"generate", "--project-id"},
                                    {"generate", "--project", "Twin", "--project-id", "1"},
                                    {"list", "--project-id", "1"}}) {
        const TCliResult result = Cli(QStringList{"--root", root_.path()} + args);
        EXPECT_EQ(result.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(result.err.startsWith("用法: ")) << args.join(' ').toStdString();
    }
}

// Keys beyond 32 bits are listed whole; a run is never made of another project than the one
// named (while the run's settings hold a narrower key, such a project is refused).
TEST_F(CliTest, KeysBeyond32BitsAreListedAndPickedWhole) {
    MakeBak();
    TDbHelper db;
    db.ExecuteCommand("insert into t_project(projectId,projectName) values (3000000000,'Big')");
    db.ExecuteCommand("insert into t_class(classId,projectId,className,friendName) "
                      "values (4294967297,3000000000,'Book','书')");
    AddMember(1, 1, "id", "整型", 1, 1);
    db.ExecuteCommand("update t_member set projectId=3000000000, classId=4294967297");
    const TCliResult list = Cli({"--root", root_.path(), "list"});
    EXPECT_EQ(list.out, "3000000000\tBig\n    4294967297\tBook\t书\n");
    const TCliResult run = Cli({"--root", root_.path(), "generate", "--project", "Big"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(Exists("projects/Big/src/com/brennoquill/domain/Book.java"));
}

// A control character in a name is shown escaped, and nothing after it is lost.
TEST_F(CliTest, NamesWithControlCharactersArePrintedEscapedAndWhole) {
    const int project = AddProject(QString("Lib") + QChar(0) + "rary\t2");
    const int noKey = AddClass(project, QString("Bo") + QChar(0) + "ok");
    AddMember(project, noKey, "title", "字符串", 0, 1);
    const TCliResult list = Cli({"--root", root_.path(), "list"});
    EXPECT_EQ(list.out, "1\tLib\\0rary\\t2\n    1\tBo\\0ok\t类\n");
    const TCliResult keys = Cli({"--root", root_.path(), "generate", "--project-id", "1"});
    EXPECT_EQ(keys.exitCode, 3);
    EXPECT_EQ(keys.err, "Bo\\0ok表没有设置主键，每个类必须设置一个主键!\n");

    const int shop = AddProject("Shop");
    const int book = AddKeyOnlyClass(shop, "Book");
    AddMember(shop, book, QString("ti") + QChar(0x1B) + "tle", "字符串");
    const TCliResult rules = Generate("Shop");
    EXPECT_EQ(rules.exitCode, 3);
    EXPECT_EQ(rules.err, "类Book的成员名\"ti\\x1btle\"不是合法的Java标识符: "
                         "只能由字母、汉字、数字、_和$组成，且不能以数字开头\n");
}

// export, import and import-mdb: bad arguments give 2 with the usage, a refusal 1 with the
// message, and only the imports create a missing database.
TEST_F(CliTest, ExchangeCommandsGiveTheirExitCodes) {
    const QList<QStringList> bad = {{"export"},
                                    {"export", "--project"},
                                    {"export", "--project", "P", "--project-id", "1"},
                                    {"export", "--project", "P", "extra"},
                                    {"export", "--project", "P", "--out"},
                                    {"export", "--project-id", "x"},
                                    {"import"},
                                    {"import", "a.json", "b.json"},
                                    {"import", "a.json", "--as"},
                                    {"import", "a.json", "--as", ""},
                                    {"import", "a.json", "--out", "b"},
                                    {"import-mdb"},
                                    {"import-mdb", "a.mdb", "--as", "x"},
                                    {"list", "--as", "x"}};
    for (const QStringList& args : bad) {
        const TCliResult result = Cli(QStringList{"--root", root_.path()} + args);
        EXPECT_EQ(result.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(result.err.startsWith("用法: ")) << args.join(' ').toStdString();
    }
    const TCliResult noDatabase = Cli({"--root", root_.path(), "export", "--project", "P"});
    EXPECT_EQ(noDatabase.exitCode, 1);
    EXPECT_EQ(noDatabase.err, "没有找到数据库: " + Path("projects.db") + "\n");
    EXPECT_EQ(FolderEntries(root_.path()), QStringList());

    // A refused file creates no database; an imported one does.
    Write("broken.json", "{\"format\": ");
    const TCliResult broken = Cli({"--root", root_.path(), "import", Path("broken.json")});
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_EQ(broken.err, "文件不是合法的JSON: 在字节偏移量11处对象没有结束\n");
    const TCliResult missing = Cli({"--root", root_.path(), "import", Path("absent.json")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.startsWith("无法读取文件: " + Path("absent.json") + " ("));
    EXPECT_FALSE(Exists("projects.db"));
    Write("empty.json", "{\"format\": \"brennoquill-model\", \"version\": 1, "
                        "\"projects\": [{\"projectName\": \"空\", \"classes\": []}]}");
    const TCliResult imported = Cli({"--root", root_.path(), "import", Path("empty.json")});
    EXPECT_EQ(imported.exitCode, 0) << imported.err.toStdString();
    EXPECT_EQ(imported.out, "已导入工程: 空\n");
    const TCliResult unknown = Cli({"--root", root_.path(), "export", "--project", "Nobody"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_EQ(unknown.err, "没有名为\"Nobody\"的工程\n");
}

// The exported file is the text export prints; importing it again needs --as.
TEST_F(CliTest, ExportedProjectsImportUnderANewName) {
    ASSERT_EQ(Cli({"--root", root_.path(), "sample"}).exitCode, 0);
    const TCliResult printed = Cli({"--root", root_.path(), "export", "--project", "图书管理系统"});
    EXPECT_EQ(printed.exitCode, 0) << printed.err.toStdString();
    EXPECT_TRUE(printed.out.startsWith("{\n    \"format\": \"brennoquill-model\",\n"));
    const QString file = Path("sample.json");
    const TCliResult saved =
        Cli({"--root", root_.path(), "export", "--project-id", "1", "--out", file});
    EXPECT_EQ(saved.exitCode, 0) << saved.err.toStdString();
    EXPECT_EQ(saved.out, "已导出工程图书管理系统: " + file + "\n");
    EXPECT_EQ(QString::fromUtf8(FileBytes(file)), printed.out);

    const TCliResult taken = Cli({"--root", root_.path(), "import", file});
    EXPECT_EQ(taken.exitCode, 1);
    EXPECT_EQ(taken.err, "projects[0].projectName (图书管理系统): 该工程名称已经存在!\n"
                         "可用 --as 新名称 以另一个名称导入\n");
    const TCliResult copied = Cli({"--root", root_.path(), "import", file, "--as", "副本"});
    EXPECT_EQ(copied.exitCode, 0) << copied.err.toStdString();
    EXPECT_EQ(copied.out, "已导入工程: 副本\n");
    EXPECT_TRUE(Cli({"--root", root_.path(), "list"}).out.contains("\n2\t副本\n    5\tBookType"));
    const TCliResult twins = Cli({"--root", root_.path(), "import", file, "--as", "图书管理系统"});
    EXPECT_EQ(twins.exitCode, 1);
    TDbHelper().ExecuteCommand("update t_project set projectName='图书管理系统'");
    const TCliResult ambiguous =
        Cli({"--root", root_.path(), "export", "--project", "图书管理系统"});
    EXPECT_EQ(ambiguous.exitCode, 2);
    EXPECT_EQ(ambiguous.err,
              "有2个名为\"图书管理系统\"的工程(编号 1, 2), 请用 --project-id 指定其中一个\n");
    EXPECT_EQ(ambiguous.out, "");
}

// The Access file's projects are added once; the second import is refused.
TEST_F(CliTest, ImportMdbAddsTheProjectsOnce) {
    if (QFileInfo::exists(QFileInfo(BRENNOQUILL_MDB_FIXTURE).dir().filePath("UNAVAILABLE")))
        GTEST_SKIP() << "the set-up could not write the Access test file (no network)";
    ASSERT_TRUE(QFileInfo::exists(BRENNOQUILL_MDB_FIXTURE))
        << "missing " << BRENNOQUILL_MDB_FIXTURE << ": run scripts/mdb-fixture.sh";
    const TCliResult added = Cli({"--root", root_.path(), "import-mdb", BRENNOQUILL_MDB_FIXTURE});
    EXPECT_EQ(added.exitCode, 0) << added.err.toStdString();
    EXPECT_EQ(added.out, "已导入工程: 图书管理系统旧版\n已导入工程: 学生管理\n");
    const TCliResult again = Cli({"--root", root_.path(), "import-mdb", BRENNOQUILL_MDB_FIXTURE});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_EQ(again.err,
              "t_project[projectId=3].projectName (图书管理系统旧版): 该工程名称已经存在!\n");
    EXPECT_EQ(again.out, "");
}
