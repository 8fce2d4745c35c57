// Generated projects compile against the libraries they name: the sample, and random models
// that pass the checks. Models the checks refuse would not have compiled.
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "generator/TextCompare.h"
#include "AutoCode.h"
#include "DbHelper.h"
#include "FileOperate.h"
#include "JavaCompiler.h"
#include "ModelCheck.h"
#include "RandomModel.h"

namespace {

const QString kLibraries = QStringLiteral(BRENNOQUILL_JAVALIB);
const QString kResources = QStringLiteral(BRENNOQUILL_RESOURCES);
// Generated projects target Java 8; some names are refused because later versions reserve
// them, so refused models are compiled for the release of the JDK the set-up installs.
const int kTargetRelease = 8;
const int kNewestRelease = 17;

unsigned Seed() {
    const QByteArray value = qgetenv("BRENNOQUILL_SEED");
    return value.isEmpty() ? 20261207u : value.toUInt();
}

int ModelCount() {
    const QByteArray value = qgetenv("BRENNOQUILL_MODELS");
    return value.isEmpty() ? 300 : value.toInt();
}

// Collects how a run ended: "finished", or the refusal or error text.
class TOutcome : public TGenerationListener {
public:
    void OnPlanned(int) override {}
    void OnProgress(const QString&) override {}
    void OnRefused(const TRefusal& refusal) override {
        ending = refusal.kind == TRefusalKind::PrimaryKey      ? QString("key")
                 : refusal.kind == TRefusalKind::DisplayMember ? QString("display")
                                                               : "model " + refusal.message;
    }
    void OnFinished() override { ending = "finished"; }
    void OnError(const QString& message) override { ending = "error " + message; }
    QString ending;
};

class CompileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QFileInfo::exists(kLibraries + "/hibernate-core-5.6.15.Final.jar"))
            << "the libraries are fetched by scripts/setup.sh into " << kLibraries.toStdString();
        // Runs are many and small: a memory file system, where there is one, keeps them fast.
        const QString base = QDir("/dev/shm").exists() ? "/dev/shm" : QDir::tempPath();
        root_ = std::make_unique<QTemporaryDir>(base + "/compile-test-XXXXXX");
        ASSERT_TRUE(root_->isValid());
        root_->setAutoRemove(!qEnvironmentVariableIsSet("BRENNOQUILL_KEEP")); // for a look after
        TDbHelper::SetDatabaseFile(Path("projects.db"));
        ASSERT_TRUE(TFileOperate::CopyFolder(kResources + "/template", Path("template"), false));
        for (const char* folder : {"bak/.myeclipse", "bak/.settings", "bak/WebRoot"})
            QDir().mkpath(Path(folder));
    }

    QString Path(const QString& relative) const { return root_->filePath(relative); }

    // Runs model `index` of the series as project M<index>, package p<index>.
    QString Generate(const TRandomModel& model, int index, bool unchecked) {
        const QString name = (unchecked ? "U" : "M") + QString::number(index);
        TOutcome outcome;
        TGenerationSettings settings{root_->path(), model.Store(name), name,
                                     "p" + QString::number(index), unchecked};
        TAutoCode(settings, &outcome).Execute();
        return outcome.ending;
    }

    QString Source(const QString& project) const { return Path("projects/" + project + "/src"); }

    // The projects U<i> that javac refuses. A syntax error in one project stops javac before it
    // checks the types of the others, so those without errors are compiled again without it.
    QSet<QString> ProjectsThatFail(QStringList indexes) {
        QSet<QString> failing;
        for (int round = 0; !indexes.isEmpty(); ++round) {
            QStringList roots;
            for (const QString& i : indexes)
                roots << Source("U" + i);
            const TJavacResult javac = CompileJava(
                roots, kLibraries, Path("javac-u" + QString::number(round)), kNewestRelease, true);
            QStringList clean;
            for (const QString& i : indexes)
                if (javac.errorsByProject.value("U" + i) > 0)
                    failing.insert("U" + i);
                else
                    clean << i;
            if (javac.exitCode == 0 || clean.size() == indexes.size())
                break;
            indexes = clean;
        }
        return failing;
    }

    std::unique_ptr<QTemporaryDir> root_;
};

// Every XML file the run wrote for the project; the failures, one line each.
QStringList XmlProblems(const QString& folder) {
    QStringList problems;
    QDirIterator it(folder, {"*.xml"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        const QString problem = file.open(QIODevice::ReadOnly) ? XmlProblem(file.readAll())
                                                               : QStringLiteral("unreadable");
        if (!problem.isEmpty())
            problems << it.filePath() + ": " + problem;
    }
    return problems;
}

QString ReadText(const QString& path, bool gbk) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    return gbk ? TFileOperate::DecodeGbk(bytes) : QString::fromUtf8(bytes);
}

// Struts 6 calls a wildcard action's method only when the action lists it: every action
// method an Action class declares (public String, no getter) must be listed, and nothing else.
QStringList ActionMethodProblems(const QString& project) {
    const QString struts = ReadText(project + "/src/struts.xml", false);
    const QRegularExpression action(
        R"re(<action name="([^"]+)_\*" class="[^"]+" method="\{1\}">.*?<allowed-methods>([^<]*)</allowed-methods>\s*</action>)re",
        QRegularExpression::DotMatchesEverythingOption);
    QMap<QString, QStringList> allowed;
    for (const QRegularExpressionMatch& m : action.globalMatch(struts))
        allowed[m.captured(1)] = m.captured(2).split(',');
    QStringList problems;
    const QRegularExpression method(R"re(public String ([^\s(]+)\(\) \{)re");
    QDirIterator it(project + "/src", {"*Action.java"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        // A class's action is named after the class, a fixed action after its bean.
        // A class named like a fixed one has <C>ClassAction.
        const QString base = QFileInfo(file).completeBaseName().chopped(6);
        const QStringList fixed = {"ChangePassword", "Login", "User"};
        QString name = fixed.contains(base) ? base.left(1).toLower() + base.mid(1) : base;
        if (base.endsWith(QLatin1String("Class")) && fixed.contains(base.chopped(5)))
            name = base.chopped(5);
        QStringList declared;
        for (const QRegularExpressionMatch& m : method.globalMatch(ReadText(file, true)))
            if (!QRegularExpression("^get[A-Z_$]").match(m.captured(1)).hasMatch()) // a getter
                declared << m.captured(1);
        QStringList listed = allowed.value(name);
        declared.sort();
        listed.sort();
        if (declared != listed)
            problems << name + ": declares " + declared.join(',') + ", listed " + listed.join(',');
    }
    return problems;
}

// The refusals whose model may still compile: a class replacing another's or a fixed class's
// files, a name kept short for the file names of every system, a name the pages cannot read or
// Spring would fill with a bean, a name the web pages cannot carry, display references in a
// cycle or too deep, a length or row the database cannot hold, and an Action property put into
// the page under the name of a list the page shows.
bool RefusalMayCompile(const QString& ending) {
    return ending.contains(ModelCheck::kClassNameTaken) ||
           ending.contains(QStringLiteral("与固定支持类重名")) ||
           ending.contains(QStringLiteral("太长")) ||
           ending.contains(QStringLiteral("页面表达式")) ||
           ending.contains(QStringLiteral("字符串的长度必须在")) ||
           ending.contains(QStringLiteral("只能用英文字母、数字和下划线")) ||
           ending.contains(QStringLiteral("中请求对象的名称")) ||
           ending.contains(QStringLiteral("是引用, 而显示值")) ||
           ending.contains(QStringLiteral("的数据表一行需要")) ||
           ending.contains(QStringLiteral("中的bean同名")) ||
           ending.contains(QStringLiteral("(页面用它显示"));
}

// A member of the fixed models below; `flags`: k key, d display, q query, m required.
TMember Fixed(const QString& name, const QString& type, const QString& flags, qint64 length = 0) {
    TMember m;
    m.memberName = name;
    m.memberType = type;
    m.memberLength = length;
    m.memberScale = type == MemberTypes::Decimal ? 2 : 0;
    m.memberIsPri = flags.contains('k') ? 1 : 0;
    m.memberIsDisplay = flags.contains('d') ? 1 : 0;
    m.queryFlag = flags.contains('q') ? 1 : 0;
    m.memberIsMust = flags.contains('m') || m.memberIsPri == 1 ? 1 : 0;
    m.memberIsInteger = type == MemberTypes::Integer ? 1 : 0;
    m.memberIsFloat = type == MemberTypes::Float ? 1 : 0;
    m.memberQueryDisplay = 1;
    return m;
}

// Names the generated code uses itself, taken by a model: classes named like the framework and
// java.lang classes of the Actions, DAOs and domain classes, and like their locals, each searched
// by every kind of search field and referring to itself, with numbers that may be empty; then a
// class that refers to all of them, whose key, search fields and references are named like the
// locals of the generated methods. With `mapsTables` the model maps existing tables, so that its
// numbers that may be empty are the wrapper classes of java.lang.
TRandomModel NamesOfTheGeneratedCode(bool mapsTables) {
    const QStringList names =
        QString(
            "List ArrayList Query Transaction Statement HibernateException HibernateUtil "
            "ActionContext ActionSupport TestUtil ReferenceChoices FailureLog Exception Integer "
            "Math SuppressWarnings NumberFormatException S Tx E Ctx Q Hql Long Double Boolean "
            "Float Short Default Package")
            .split(' ');
    const QString table = mapsTables ? QStringLiteral("t_") : QString();
    TRandomModel model;
    TRandomClass hub{"Hub", "Hub", {}, table.isEmpty() ? QString() : table + "hub"};
    hub.members << Fixed("s", MemberTypes::String, "kq", 10)
                << Fixed("title", MemberTypes::String, "dq", 20);
    for (const char* local : {"hql", "q", "startIndex", "mod", "ctx", "db_hub"})
        hub.members << Fixed(local, MemberTypes::String, "q", 10);
    hub.members << Fixed("e", MemberTypes::Long, "qm") << Fixed("tx", MemberTypes::Decimal, "qm", 9)
                << Fixed("listDAO", "List", "qm") << Fixed("mathDAO", "Math", "");
    for (const QString& name : names) {
        TRandomClass c{name, name, {}, table.isEmpty() ? QString() : table + name.toLower()};
        c.members << Fixed("id", MemberTypes::Integer, "k")
                  << Fixed("title", MemberTypes::String, "dq", 20)
                  << Fixed("big", MemberTypes::Long, "q")
                  << Fixed("price", MemberTypes::Decimal, "q", 9)
                  << Fixed("yes", MemberTypes::Boolean, "q")
                  << Fixed("count", MemberTypes::Integer, "")
                  << Fixed("share", MemberTypes::Float, "") << Fixed("self", name, "");
        model.classes << c;
        hub.members << Fixed("ref" + name, name, "q");
    }
    model.classes << hub;
    TRandomClass keyed{"Keyed",
                       "Keyed",
                       {Fixed("tx", MemberTypes::String, "kd", 10)},
                       table.isEmpty() ? QString() : table + "keyed"};
    TRandomClass numbered{"Numbered",
                          "Numbered",
                          {Fixed("e", MemberTypes::Integer, "kd"), Fixed("keyed", "Keyed", "m")},
                          table.isEmpty() ? QString() : table + "numbered"};
    model.classes << keyed << numbered;
    return model;
}

} // namespace

TEST_F(CompileTest, ModelsNamedLikeTheGeneratedCodesOwnNamesCompile) {
    QStringList roots;
    for (const bool mapsTables : {false, true}) {
        const int index = mapsTables ? 1 : 0;
        ASSERT_EQ(Generate(NamesOfTheGeneratedCode(mapsTables), index, false), "finished")
            << "maps tables: " << mapsTables;
        roots << Source("M" + QString::number(index));
        EXPECT_EQ(XmlProblems(Path("projects/M" + QString::number(index))), QStringList());
        EXPECT_EQ(ActionMethodProblems(Path("projects/M" + QString::number(index))), QStringList());
    }
    const TJavacResult javac = CompileJava(roots, kLibraries, Path("javac"), kTargetRelease, false);
    ASSERT_TRUE(javac.started) << "javac not found";
    EXPECT_EQ(javac.exitCode, 0) << javac.output.left(20000).toStdString();
}

TEST_F(CompileTest, SampleProjectCompiles) {
    ASSERT_TRUE(TFileOperate::CopyFolder(kResources + "/bak", Path("bak"), false));
    QProcess cli;
    cli.start(BRENNOQUILL_CLI, {"--root", root_->path(), "sample"});
    ASSERT_TRUE(cli.waitForFinished(60000));
    ASSERT_EQ(cli.exitCode(), 0);
    cli.start(BRENNOQUILL_CLI, {"--root", root_->path(), "generate", "--project", "图书管理系统"});
    ASSERT_TRUE(cli.waitForFinished(60000));
    ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    const TJavacResult javac =
        CompileJava({Source("图书管理系统")}, kLibraries, Path("javac"), kTargetRelease, false);
    ASSERT_TRUE(javac.started) << "javac not found";
    EXPECT_EQ(javac.exitCode, 0) << javac.output.toStdString();
    EXPECT_EQ(XmlProblems(Path("projects/图书管理系统")), QStringList());
    EXPECT_EQ(ActionMethodProblems(Path("projects/图书管理系统")), QStringList());
}

TEST_F(CompileTest, RandomModelsThatPassTheChecksCompile) {
    const unsigned seed = Seed();
    QElapsedTimer clock;
    clock.start();
    QStringList accepted;
    QMap<int, QString> refused; // by model index
    for (int i = 0; i < ModelCount(); ++i) {
        const QString ending = Generate(MakeRandomModel(seed, i), i, false);
        if (ending == QLatin1String("finished")) {
            accepted << QString::number(i);
            EXPECT_EQ(XmlProblems(Path("projects/M" + QString::number(i))), QStringList())
                << "seed " << seed << " model " << i;
            EXPECT_EQ(ActionMethodProblems(Path("projects/M" + QString::number(i))), QStringList())
                << "seed " << seed << " model " << i;
        } else {
            ASSERT_FALSE(ending.isEmpty()) << "model " << i << " ended silently";
            refused.insert(i, ending);
        }
    }
    QStringList roots;
    for (const QString& i : accepted)
        roots << Source("M" + i);
    const TJavacResult javac = CompileJava(roots, kLibraries, Path("javac"), kTargetRelease, false);
    ASSERT_TRUE(javac.started) << "javac not found";
    for (auto it = javac.errorsByProject.cbegin(); it != javac.errorsByProject.cend(); ++it) {
        const int index = it.key().mid(1).toInt();
        ADD_FAILURE() << "seed " << seed << " model " << index << " passed the checks but has "
                      << it.value() << " compile errors; model:\n"
                      << MakeRandomModel(seed, index).Describe().toStdString();
    }
    EXPECT_EQ(javac.exitCode, 0) << javac.output.left(20000).toStdString();
    EXPECT_GE(accepted.size(), ModelCount() / 3) << "too few models pass the checks";
    if (qEnvironmentVariableIsSet("BRENNOQUILL_SHOW_REFUSALS"))
        for (auto it = refused.cbegin(); it != refused.cend(); ++it)
            std::printf("refused %d: %s\n", it.key(), qPrintable(it.value()));
    std::printf("seed %u: %lld models compiled, %lld refused, %.1f s\n", seed,
                static_cast<long long>(accepted.size()), static_cast<long long>(refused.size()),
                clock.elapsed() / 1000.0);

    // A sample of the refused models, generated anyway, must fail to compile.
    QStringList unchecked;
    for (auto it = refused.cbegin(); it != refused.cend() && unchecked.size() < 60; ++it) {
        if (!it.value().startsWith(QLatin1String("model ")) || RefusalMayCompile(it.value()))
            continue;
        // A run that cannot even write the files (a name too long for a file) counts as failed.
        if (Generate(MakeRandomModel(seed, it.key()), it.key(), true) == "finished")
            unchecked << QString::number(it.key());
    }
    const QSet<QString> failing = ProjectsThatFail(unchecked);
    for (const QString& i : unchecked)
        EXPECT_TRUE(failing.contains("U" + i))
            << "seed " << seed << " model " << i.toStdString() << " was refused ("
            << refused[i.toInt()].toStdString() << ") but compiles; model:\n"
            << MakeRandomModel(seed, i.toInt()).Describe().toStdString();
    std::printf("%lld refused models generated anyway: all fail to compile; %.1f s in all\n",
                static_cast<long long>(unchecked.size()), clock.elapsed() / 1000.0);
}
