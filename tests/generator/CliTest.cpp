#include <QDirIterator>
#include <QProcess>
#include <QXmlStreamReader>

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
    EXPECT_TRUE(run.out.contains("移动资源文件完毕!\nprojects/图书管理系统/WebRoot/BookType_add.jsp"));
    EXPECT_TRUE(run.out.endsWith("WebRoot/menu.jsp生成完毕!\n所有代码生成完毕!\n"));
    const QByteArray loan = Read("projects/图书管理系统/src/com/lib/domain/Loan.hbm.xml");
    EXPECT_TRUE(loan.contains("column=\"barcode\"") && loan.contains("column=\"readerNo\""));
}

TEST_F(CliTest, FailuresGiveTheirExitCodes) {
    const int project = AddProject("Bad");
    AddMember(project, AddClass(project, "Broken"), "name", "字符串", 0, 1);
    const TCliResult keys = Generate("Bad");
    EXPECT_EQ(keys.exitCode, 3);
    EXPECT_EQ(keys.err, "Broken表主键设置错误，每个类只能设置一个主键!\n");
    const int other = AddProject("NoDisplay");
    AddMember(other, AddClass(other, "Plain"), "id", "整型", 1, 0);
    const TCliResult display = Generate("NoDisplay");
    EXPECT_EQ(display.exitCode, 3);
    EXPECT_EQ(display.err, "Plain表显示成员设置错误，每个类有且只能设置一个显示成员!\n");
    const int clash = AddProject("Clash");
    const int login = AddKeyOnlyClass(clash, "Login");
    AddMember(clash, login, "9lives", "字符串");
    const TCliResult rules = Generate("Clash");
    EXPECT_EQ(rules.exitCode, 3);
    EXPECT_EQ(rules.out, "");
    EXPECT_EQ(rules.err, "类名Login与固定支持类重名: 不能使用Admin、Login、User和ChangePassword\n");
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
