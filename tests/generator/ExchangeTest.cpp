#include <QProcess>
#include <functional>

#include "GeneratorTestSupport.h"
#include "MdbImport.h"
#include "ModelExchange.h"
#include "ProjectModel.h"

namespace {

// A member of a model file, every field given; extra replaces the flags and comment.
QString MemberJson(const QString& name, const QString& type, const QString& extra = QString()) {
    const QString rest = extra.isEmpty()
                             ? "\"memberComment\": \"说明\", \"memberIsPri\": false, "
                               "\"memberIsMust\": true, \"memberIsInteger\": false, "
                               "\"memberIsFloat\": false, \"queryFlag\": false, "
                               "\"memberIsDisplay\": false, \"memberQueryDisplay\": true"
                             : extra;
    return "{\"memberName\": \"" + name + "\", \"memberType\": \"" + type +
           "\", \"memberLength\": 20, " + rest + "}";
}

QString ProjectJson(const QString& name) {
    return "{\"projectName\": \"" + name +
           "\", \"classes\": ["
           "{\"className\": \"Author\", \"friendName\": \"作者\", \"members\": [" +
           MemberJson("authorId", "整型") + "]}, " +
           "{\"className\": \"Book\", \"friendName\": \"图书\", \"members\": [" +
           MemberJson("title", "字符串") + ", " + MemberJson("author", "Author") + "]}]}";
}

// A valid file of one or two projects, for the refusals to break in one place each.
QString ModelJson(const QString& projects) {
    return "{\"format\": \"brennoquill-model\", \"version\": 1, \"projects\": [" + projects + "]}";
}

const QString kBookstore = ModelJson(ProjectJson("书店"));

QString Replaced(QString text, const QString& from, const QString& to) {
    EXPECT_TRUE(text.contains(from)) << from.toStdString();
    return text.replace(from, to);
}

// Every field of a member on one line, so that a difference shows.
QString MemberFields(const TMember& m) {
    QStringList fields{m.memberName, m.memberType, m.memberComment};
    for (qint64 value :
         {m.memberId, m.projectId, m.classId, m.memberLength, m.memberIsPri, m.memberIsMust,
          m.memberIsInteger, m.memberIsFloat, m.queryFlag, m.memberIsDisplay, m.memberQueryDisplay})
        fields << QString::number(value);
    return fields.join('|');
}

struct TFileRefusal {
    QString json;
    QString message;
};

} // namespace

class ExchangeTest : public GeneratorTest {
protected:
    // The rows of the three tables, to show that a refused import stored nothing.
    static QString Rows() {
        TDbHelper db;
        QString rows;
        for (const char* table : {"t_project", "t_class", "t_member"}) {
            const TResultSetPtr all = db.OpenQuery(QString("select * from %1").arg(table));
            rows += QString("%1:%2 ").arg(table).arg(all->RecordCount());
        }
        return rows + db.QueryText("select group_concat(projectName) from t_project");
    }
    static qint64 ProjectId(const QString& name) {
        const TProjectList found = TProjectDAO().FindProjects(name);
        return found.size() == 1 ? found.first().projectId : -1;
    }
    static QByteArray Export(const QString& name) {
        return ModelExchange::ExportProject(ProjectId(name));
    }
    // The import's refusal, empty when it was stored.
    static QString Refusal(const QString& json, const QString& newName = QString()) {
        try {
            ModelExchange::ImportProjects(json.toUtf8(), newName);
        } catch (const TExchangeError& error) {
            return error.Message();
        }
        return QString();
    }
    // Another database file of the test folder from now on.
    void UseDatabase(const QString& file) const { TDbHelper::SetDatabaseFile(Path(file)); }
    void AddSample() const {
        QProcess cli;
        cli.start(BRENNOQUILL_CLI, {"--root", root_.path(), "sample"});
        ASSERT_TRUE(cli.waitForFinished(60000));
        ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    }
    static TMember StoredMember(qint64 memberId) {
        return TMemberDAO().GetMember(memberId).value_or(TMember());
    }
};

// Export, import into an empty database and export again: the same bytes, and every field
// stored as it was.
TEST_F(ExchangeTest, SampleRoundTripsByteForByte) {
    AddSample();
    const QByteArray exported = Export("图书管理系统");
    EXPECT_TRUE(exported.startsWith("{\n    \"format\": \"brennoquill-model\",\n"));
    EXPECT_TRUE(exported.endsWith("\"version\": 1\n}\n"));
    EXPECT_TRUE(exported.contains("\"memberType\": \"BookType\""));
    const TProjectModel before = ReadProjectModel(ProjectId("图书管理系统"));

    UseDatabase("copy.db");
    EXPECT_EQ(ModelExchange::ImportProjects(exported), QStringList{"图书管理系统"});
    EXPECT_EQ(Export("图书管理系统"), exported);
    const TProjectModel after = ReadProjectModel(ProjectId("图书管理系统"));
    ASSERT_EQ(after.Classes().size(), before.Classes().size());
    for (qsizetype i = 0; i < before.Classes().size(); ++i) {
        const TClassModel& a = before.Classes()[i];
        const TClassModel& b = after.Classes()[i];
        EXPECT_EQ(b.className, a.className);
        EXPECT_EQ(b.friendName, a.friendName);
        ASSERT_EQ(b.members.size(), a.members.size());
        for (qsizetype j = 0; j < a.members.size(); ++j) {
            TMember m = b.members[j];
            m.memberId = a.members[j].memberId;
            m.projectId = a.members[j].projectId;
            m.classId = a.members[j].classId;
            EXPECT_EQ(MemberFields(m), MemberFields(a.members[j])) << i << " " << j;
        }
    }
}

// Every field at an edge: texts with quotes, backslashes, line breaks, control characters and
// characters beyond the BMP, the largest length, each flag alone, a class without members and
// one referring to itself. A flag is set when it is 1: a stored 2 leaves as false and comes
// back as 0.
TEST_F(ExchangeTest, EdgeModelRoundTripsByteForByte) {
    const QString comment = QString("引号\"反斜杠\\换行\n回车\r制表\t空") + QChar(0) + "尾 😀 </x>";
    const int project = AddProject("边界 \"工程\" 😀");
    const int empty = AddClass(project, "Blank");
    TClassDAO().UpdateClass(project, empty, "Blank", "友好\\名称\n第二行");
    const int node = AddClass(project, "Node");
    const char* flags[] = {"memberIsPri", "memberIsMust",    "memberIsInteger",   "memberIsFloat",
                           "queryFlag",   "memberIsDisplay", "memberQueryDisplay"};
    for (int i = 0; i < 7; ++i)
        AddMember(project, node, QString("f%1").arg(i), "字符串", 0, 0, i + 1, comment);
    AddMember(project, node, "parent", "Node", 0, 0, 2147483647, "");
    TDbHelper db;
    db.ExecuteCommand("update t_member set memberIsPri=0, memberIsMust=0, memberIsInteger=0, "
                      "memberIsFloat=0, queryFlag=0, memberIsDisplay=0, memberQueryDisplay=0");
    for (int i = 0; i < 7; ++i) // the number flags follow the type word: none for a string
        if (i != 2 && i != 3)
            db.ExecuteCommand(
                QString("update t_member set %1=1 where memberName='f%2'").arg(flags[i]).arg(i));
    db.ExecuteCommand("update t_member set memberIsMust=2 where memberName='parent'");
    // written only when set: the assigned key's flag, once
    db.ExecuteCommand("update t_member set keyAssigned=1 where memberName='f0'");
    db.ExecuteCommand("update t_member set keyAssigned=2 where memberName='f1'");
    const QByteArray exported = Export("边界 \"工程\" 😀");
    EXPECT_EQ(exported.count("\"keyAssigned\": true"), 1);
    EXPECT_EQ(exported.count("keyAssigned"), 1);
    EXPECT_TRUE(exported.contains("\"memberComment\": \"引号\\\"反斜杠\\\\换行\\n回车\\r制表\\t空"
                                  "\\u0000尾 😀 </x>\""));
    EXPECT_TRUE(exported.contains("\"memberLength\": 2147483647"));

    UseDatabase("copy.db");
    ModelExchange::ImportProjects(exported);
    EXPECT_EQ(Export("边界 \"工程\" 😀"), exported);
    const TMember parent = StoredMember(8);
    EXPECT_EQ(parent.memberIsMust, 0);
    EXPECT_EQ(parent.memberLength, 2147483647);
    const TMember last = StoredMember(7);
    EXPECT_EQ(last.memberComment, comment);
    EXPECT_EQ(last.memberLength, 7);
    EXPECT_EQ(last.memberQueryDisplay, 1);
    EXPECT_EQ(last.memberIsDisplay, 0);
    EXPECT_EQ(StoredMember(1).memberLength, 1);
    EXPECT_EQ(StoredMember(1).keyAssigned, 1);
    EXPECT_EQ(StoredMember(2).keyAssigned, 0);
    EXPECT_EQ(TClassDAO().GetFriendName(1), "友好\\名称\n第二行");
}

// The number flags follow the type word, whatever the file says: a key typed 整型 whose
// memberIsInteger is false would otherwise give an Action that does not compile.
TEST_F(ExchangeTest, TypeWordDecidesTheNumberFlags) {
    QString json =
        Replaced(kBookstore, MemberJson("title", "字符串"),
                 Replaced(Replaced(MemberJson("title", "字符串"), "\"字符串\"", "\"整型\""),
                          "\"memberIsFloat\": false", "\"memberIsFloat\": true"));
    ASSERT_EQ(Refusal(json), "");
    const TMember title = StoredMember(2);
    EXPECT_EQ(title.memberType, "整型");
    EXPECT_EQ(title.memberIsInteger, 1);
    EXPECT_EQ(title.memberIsFloat, 0);
}

// Each refusal names its place in the file, and nothing is stored.
TEST_F(ExchangeTest, RefusalsNameThePlaceAndStoreNothing) {
    ASSERT_EQ(Refusal(kBookstore), "");
    const QString rows = Rows();
    const QString identifierRule =
        "不是合法的Java标识符: 只能由字母、汉字、数字、_和$组成，且不能以数字开头";
    const QList<TFileRefusal> refusals = {
        {"{\"format\": \"brennoquill-model\",", "文件不是合法的JSON: 在字节偏移量31处对象没有结束"},
        {"{\"format\" 1}", "文件不是合法的JSON: 在字节偏移量11处缺少冒号"},
        {"", "文件不是合法的JSON: 在字节偏移量0处非法的值"},
        {"[1]", "文件不是模型文件: 顶层应为JSON对象"},
        {"{\"version\": 1}", "format: 缺少该字段"},
        {Replaced(kBookstore, "brennoquill-model", "other"),
         "format: 未知的格式\"other\", 应为\"brennoquill-model\""},
        {Replaced(kBookstore, "\"version\": 1", "\"version\": 2"),
         "version: 不支持的版本2, 只支持版本1"},
        {Replaced(kBookstore, "\"version\": 1", "\"version\": \"1\""), "version: 应为整数"},
        {ModelJson(""), "projects: 文件中没有工程"},
        {Replaced(kBookstore, "\"classes\": [", "\"classes\": 1, \"x\": ["),
         "projects[0].classes: 应为数组"},
        {Replaced(kBookstore, "\"friendName\": \"图书\", ", ""),
         "projects[0].classes[1].friendName: 缺少该字段"},
        {Replaced(kBookstore, "\"friendName\": \"图书\"", "\"friendName\": null"),
         "projects[0].classes[1].friendName: 应为文本"},
        {Replaced(kBookstore, "\"members\": [" + MemberJson("title", "字符串"), "\"members\": [7"),
         "projects[0].classes[1].members[0]: 应为对象"},
        {Replaced(kBookstore, MemberJson("title", "字符串"),
                  Replaced(MemberJson("title", "字符串"), "20", "20.5")),
         "projects[0].classes[1].members[0].memberLength: 应为整数"},
        {Replaced(kBookstore, MemberJson("title", "字符串"),
                  Replaced(MemberJson("title", "字符串"), "20", "3000000000")),
         "projects[0].classes[1].members[0].memberLength: "
         "类Book的成员title的长度3000000000超出范围: 长度不能大于2147483647"},
        {Replaced(
             kBookstore, MemberJson("author", "Author"),
             Replaced(MemberJson("author", "Author"), "\"queryFlag\": false", "\"queryFlag\": 0")),
         "projects[0].classes[1].members[1].queryFlag: 应为true或false"},
        {Replaced(kBookstore,
                  ", \"memberComment\": \"说明\", \"memberIsPri\": false, \"memberIsMust\": true, "
                  "\"memberIsInteger\": false, \"memberIsFloat\": false, \"queryFlag\": false, "
                  "\"memberIsDisplay\": false, \"memberQueryDisplay\": true}]}, ",
                  ", \"memberComment\": \"说明\"}]}, "),
         "projects[0].classes[0].members[0].memberIsPri: 缺少该字段"},
        {Replaced(kBookstore, "\"Author\", \"memberLength\"", "\"Writer\", \"memberLength\""),
         "projects[0].classes[1].members[1].memberType: 类Book的成员author引用的类Writer不在本工程中"},
        {ModelJson(Replaced(ProjectJson("书店"), "\"className\": \"Author\"",
                            "\"className\": \"Person\"") +
                   ", " + ProjectJson("出版社")),
         "projects[0].classes[1].members[1].memberType: 类Book的成员author引用的类Author不在本工程中"},
        {Replaced(kBookstore, "\"className\": \"Book\"", "\"className\": \"9Book\""),
         "projects[0].classes[1].className: 类名\"9Book\"" + identifierRule},
        {Replaced(kBookstore, "\"memberName\": \"title\"", "\"memberName\": \"class\""),
         "projects[0].classes[1].members[0].memberName: 类Book的成员名\"class\"是Java的保留字"},
        {Replaced(kBookstore, "\"memberName\": \"title\"", "\"memberName\": \"t\\u0001\""),
         "projects[0].classes[1].members[0].memberName: 类Book的成员名\"t\\x01\"" + identifierRule},
        {Replaced(kBookstore, "\"className\": \"Author\"", "\"className\": \"Book\""),
         "projects[0].classes[1].className: 类Book: 该类名称已经存在!"},
        {Replaced(kBookstore, "\"memberName\": \"author\"", "\"memberName\": \"title\""),
         "projects[0].classes[1].members[1].memberName: 类Book中有两个名为title的成员"},
        {Replaced(kBookstore, "\"projectName\": \"书店\"", "\"projectName\": \"a/b\""),
         "projects[0].projectName: "
         "工程名称\"a/b\"不能用作文件或文件夹名: 名称不能为空、不能是\".\"或\"..\",也不能含有/、\\或控制字符"},
        {ModelJson(ProjectJson("出版社") + ", " + ProjectJson("出版社")),
         "projects[1].projectName (出版社): 该工程名称已经存在!"},
        // What a run would refuse: the same rules for an import.
        {Replaced(kBookstore, MemberJson("title", "字符串"),
                  Replaced(MemberJson("title", "字符串"), "20", "0")),
         "projects[0].classes[1].members[0].memberLength: "
         "类Book的成员title的长度0超出范围: 字符串的长度必须在1到16383之间"},
        {Replaced(kBookstore, "\"projectName\": \"书店\"",
                  "\"projectName\": \"" + QString(201, 'P') + "\""),
         "projects[0].projectName: 工程名称PPPPPPPPPPPPPPPPPPPP...太长: "
         "以UTF-8计不能超过200个字节"},
        {Replaced(kBookstore, "\"projectName\": \"书店\"", "\"projectName\": \"P_\\ud800\""),
         "projects[0].projectName: 工程名称\"P_?\"含有无效的字符(不成对的UTF-16代理项)"},
        {Replaced(kBookstore, "\"className\": \"Book\"",
                  "\"className\": \"" + QString(10000, 'B') + "\""),
         "projects[0].classes[1]: 类名BBBBBBBBBBBBBBBBBBBB...太长: 以UTF-8计不能超过200个字节"},
        {kBookstore, "projects[0].projectName (书店): 该工程名称已经存在!"},
        // the first project would be stored, the second is refused: neither is
        {ModelJson(ProjectJson("出版社") + ", " + ProjectJson("书店")),
         "projects[1].projectName (书店): 该工程名称已经存在!"},
    };
    for (const TFileRefusal& refusal : refusals) {
        EXPECT_EQ(Refusal(refusal.json), refusal.message) << refusal.json.toStdString();
        EXPECT_EQ(Rows(), rows) << refusal.json.toStdString();
    }
    // A byte-order mark is read over, and counted in the offset.
    const QByteArray bom = "\xEF\xBB\xBF";
    try {
        ModelExchange::ImportProjects(bom + "{\"format\" 1}");
        ADD_FAILURE() << "imported";
    } catch (const TExchangeError& error) {
        EXPECT_EQ(error.Message(), "文件不是合法的JSON: 在字节偏移量14处缺少冒号");
    }
    EXPECT_EQ(Rows(), rows);
    EXPECT_EQ(ModelExchange::ImportProjects(bom + ModelJson(ProjectJson("出版社")).toUtf8()),
              QStringList{"出版社"});
}

// RFC 8259 forbids raw control characters inside strings, and a key given twice would let
// the last value win unseen: both are refused with their place. Escaped control characters
// are text like any other.
TEST_F(ExchangeTest, RawControlCharactersAndRepeatedKeysAreRefused) {
    const QString rows = Rows();
    const QString friendAt = "\"friendName\": \"图书\"";
    const qsizetype friendOffset = kBookstore.toUtf8().indexOf("图书\"") + 6;
    const QList<TFileRefusal> refusals = {
        {Replaced(kBookstore, friendAt, "\"friendName\": \"图书\x01\""),
         "projects[0].classes[1].friendName: 在字节偏移量" + QString::number(friendOffset) +
             "处文本中有未转义的控制字符"},
        {Replaced(kBookstore, "\"projectName\": \"书店\"", "\"projectName\": \"书\n店\""),
         "projects[0].projectName: 在字节偏移量" +
             QString::number(kBookstore.toUtf8().indexOf("书店") + 3) +
             "处文本中有未转义的控制字符"},
        {Replaced(kBookstore, "\"version\": 1", "\"ver\tsion\": 1, \"version\": 1"),
         "在字节偏移量" + QString::number(kBookstore.toUtf8().indexOf("version") + 3) +
             "处文本中有未转义的控制字符"},
        {Replaced(kBookstore, "\"version\": 1", "\"version\": 1, \"version\": 1"),
         "version: 该字段出现了两次"},
        {Replaced(kBookstore, friendAt, friendAt + ", " + friendAt),
         "projects[0].classes[1].friendName: 该字段出现了两次"},
        {Replaced(kBookstore, friendAt, friendAt + ", \"\\u0066riendName\": \"书\""),
         "projects[0].classes[1].friendName: 该字段出现了两次"},
        {Replaced(kBookstore, "\"memberName\": \"author\"",
                  "\"memberName\": \"author\", \"note\": 1, \"note\": [2]"),
         "projects[0].classes[1].members[1].note: 该字段出现了两次"},
    };
    for (const TFileRefusal& refusal : refusals) {
        EXPECT_EQ(Refusal(refusal.json), refusal.message) << refusal.json.toStdString();
        EXPECT_EQ(Rows(), rows) << refusal.json.toStdString();
    }
    const QString escaped = Replaced(kBookstore, friendAt, "\"friendName\": \"图\\t书\\u0001\"");
    EXPECT_EQ(Refusal(escaped), "");
    EXPECT_EQ(TClassDAO().GetFriendName(2), QString("图\t书") + QChar(1));
}

// A name already used is refused as its own kind of error; a new name stores the copy.
TEST_F(ExchangeTest, NewNameStoresACopy) {
    AddSample();
    const QByteArray exported = Export("图书管理系统");
    try {
        ModelExchange::ImportProjects(exported);
        ADD_FAILURE() << "stored twice";
    } catch (const TNameTakenError& error) {
        EXPECT_EQ(error.Message(), "projects[0].projectName (图书管理系统): 该工程名称已经存在!");
    }
    EXPECT_EQ(ModelExchange::ImportProjects(exported, "图书副本"), QStringList{"图书副本"});
    EXPECT_EQ(Export("图书副本"),
              QString::fromUtf8(exported)
                  .replace("\"projectName\": \"图书管理系统\"", "\"projectName\": \"图书副本\"")
                  .toUtf8());
    const QString rows = Rows();
    EXPECT_EQ(Refusal(QString::fromUtf8(exported), "图书副本"),
              "新的工程名称 (图书副本): 该工程名称已经存在!");
    EXPECT_EQ(
        Refusal(QString::fromUtf8(exported), ".."),
        "新的工程名称: 工程名称\"..\"不能用作文件或文件夹名: 名称不能为空、不能是\".\"或\"..\",也不能含有/、\\或控制字符");
    EXPECT_EQ(Refusal(ModelJson(ProjectJson("甲") + ", " + ProjectJson("乙")), "丙"),
              "projects: 文件中有2个工程, 只有一个工程时才能指定新的名称");
    EXPECT_EQ(Rows(), rows);
}

class MdbImportTest : public ExchangeTest {
protected:
    static QString Fixture(const QString& name = "projects.mdb") {
        return QFileInfo(BRENNOQUILL_MDB_FIXTURE).dir().filePath(name);
    }
    void SetUp() override {
        ExchangeTest::SetUp();
        if (QFileInfo::exists(Fixture("UNAVAILABLE")))
            GTEST_SKIP() << "the set-up could not write the Access test file (no network)";
        ASSERT_TRUE(QFileInfo::exists(BRENNOQUILL_MDB_FIXTURE))
            << "missing " << BRENNOQUILL_MDB_FIXTURE << ": run scripts/mdb-fixture.sh";
    }
    static QString Refusal(const QString& file) {
        try {
            MdbImport::ImportMdb(file);
        } catch (const TExchangeError& error) {
            return error.Message();
        }
        return QString();
    }
};

// Both projects of the Access file, in the order of their ids, with their classes and members
// in id order, every field and the Chinese texts as written; rows of a deleted project left out.
TEST_F(MdbImportTest, ImportsEveryProjectInIdOrder) {
    // mdbtools reads the output encoding and debugging options from the environment; the
    // import asks for UTF-8 without debugging lines.
    struct TEnvironment {
        TEnvironment() {
            qputenv("MDBICONV", "GBK");
            qputenv("MDBOPTS", "debug_all");
        }
        ~TEnvironment() {
            qunsetenv("MDBICONV");
            qunsetenv("MDBOPTS");
        }
    } gbk;
    EXPECT_EQ(MdbImport::ImportMdb(Fixture()), (QStringList{"图书管理系统旧版", "学生管理"}));
    const TProjectList projects = TProjectDAO().ListProjects();
    ASSERT_EQ(projects.size(), 2);
    EXPECT_EQ(projects[0].projectName, "图书管理系统旧版");
    const TProjectModel library = ReadProjectModel(projects[0].projectId);
    const TProjectModel school = ReadProjectModel(projects[1].projectId);
    ASSERT_EQ(library.Classes().size(), 2);
    ASSERT_EQ(school.Classes().size(), 2);
    const TClassModel& type = library.Classes()[0];
    const TClassModel& book = library.Classes()[1];
    EXPECT_EQ(type.className + type.friendName + book.className + book.friendName,
              "BookType图书类别Book图书");
    EXPECT_EQ(school.Classes()[0].className + school.Classes()[0].friendName +
                  school.Classes()[1].className + school.Classes()[1].friendName,
              "Student学生Score成绩");
    QStringList members;
    for (const TProjectModel* model : {&library, &school})
        for (const TClassModel& c : model->Classes())
            for (TMember m : c.members) {
                EXPECT_EQ(m.projectId, model->ProjectId());
                EXPECT_EQ(m.classId, c.classId);
                m.memberId = m.projectId = m.classId = 0;
                members << MemberFields(m);
            }
    const auto row = [](const char* name, const char* type, int length, int pri,
                        const char* comment, int must, int integer, int floating, int query,
                        int display, int shown) {
        TMember m;
        m.memberName = name;
        m.memberType = type;
        m.memberLength = length;
        m.memberIsPri = pri;
        m.memberComment = comment;
        m.memberIsMust = must;
        m.memberIsInteger = integer;
        m.memberIsFloat = floating;
        m.queryFlag = query;
        m.memberIsDisplay = display;
        m.memberQueryDisplay = shown;
        return MemberFields(m);
    };
    const QStringList expected = {
        row("typeName", "字符串", 20, 0, "类别名称", 1, 0, 0, 1, 1, 0),
        row("typeId", "整型", 0, 1, "类别编号", 1, 1, 0, 0, 0, 1),
        row("barcode", "字符串", 20, 1, "条形码, \"带引号\"\n第二行\t制表符\\反斜杠", 1, 0, 0, 1, 0,
            1),
        row("bookType", "BookType", 0, 0, "图书类别", 1, 0, 0, 1, 0, 1),
        row("price", "浮点型", 0, 0, "价格", 1, 0, 1, 0, 0, 1),
        row("publishDate", "日期型", 0, 0, "出版日期", 1, 0, 0, 1, 0, 1),
        row("bookName", "字符串", 50, 0, "", 0, 0, 0, 1, 1, 1),
        row("studentNo", "字符串", 12, 1, "学号", 1, 0, 0, 1, 1, 1),
        row("name", "字符串", 20, 0, "姓名", 1, 0, 0, 1, 0, 1),
        row("scoreId", "整型", 0, 1, "成绩编号", 1, 1, 0, 0, 1, 1),
        row("student", "Student", 0, 0, "学生", 1, 0, 0, 1, 0, 1),
        row("mark", "浮点型", 0, 0, "分数", 1, 0, 1, 0, 0, 1),
        row("examDate", "日期型", 0, 0, "考试日期", 1, 0, 0, 0, 0, 0),
    };
    EXPECT_EQ(members, expected);
    EXPECT_EQ(TDbHelper().QueryInteger("select count(*) from t_member"), expected.size());
}

// A refused Access file stores nothing, and says where the problem is.
TEST_F(MdbImportTest, RefusalsNameTheRowAndStoreNothing) {
    ASSERT_EQ(MdbImport::ImportMdb(Fixture()).size(), 2);
    const QString rows = Rows();
    EXPECT_EQ(Refusal(Fixture()),
              "t_project[projectId=3].projectName (图书管理系统旧版): 该工程名称已经存在!");
    EXPECT_EQ(Refusal(Fixture("refused.mdb")),
              "t_member[memberId=3].memberType: 类Order的成员goods引用的类Goods不在本工程中");
    EXPECT_EQ(Refusal(Fixture("missing-column.mdb")), "t_member: 缺少列memberQueryDisplay");
    Write("text.mdb", "not an Access file");
    EXPECT_EQ(Refusal(Path("text.mdb")),
              "无法读取Access数据库" + Path("text.mdb") + "中的表t_project: mdb-export的退出码为1");
    EXPECT_EQ(Refusal(Path("absent.mdb")), "没有找到文件: " + Path("absent.mdb"));
    EXPECT_EQ(Rows(), rows);
}

// mdb-export gets neither MDBICONV nor MDBOPTS (which adds debugging lines to its output), and
// its output may end lines with CR LF.
TEST_F(ExchangeTest, MdbExportOutputWithCrLfAndWithoutDebuggingLines) {
    WriteScript("fake/mdb-export",
                "[ -n \"$MDBOPTS$MDBICONV\" ] && echo \"debug $MDBOPTS$MDBICONV\"\n"
                "case \"$2\" in\n"
                "t_project) printf 'projectId,projectName\\r\\n1,\"甲\"\\r\\n' ;;\n"
                "t_class) printf 'classId,projectId,className,friendName\\r\\n"
                "7,1,A,\"类\\r\\n二\"\\r\\n' ;;\n"
                "*) printf 'memberId,projectId,classId,memberName,memberType,memberLength,"
                "memberIsPri,memberComment,memberIsMust,memberIsInteger,memberIsFloat,queryFlag,"
                "memberIsDisplay,memberQueryDisplay\\r\\n3,1,7,id,整型,0,1,,1,1,0,0,1,1\\r\\n' ;;\n"
                "esac\n");
    Write("old.mdb", "");
    const TPathFirst fake(Path("fake"));
    qputenv("MDBOPTS", "debug_all");
    qputenv("MDBICONV", "GBK");
    QString refusal;
    try {
        EXPECT_EQ(MdbImport::ImportMdb(Path("old.mdb")), QStringList{"甲"});
    } catch (const TExchangeError& error) {
        refusal = error.Message();
    }
    qunsetenv("MDBOPTS");
    qunsetenv("MDBICONV");
    EXPECT_EQ(refusal, "");
    EXPECT_EQ(TClassDAO().GetFriendName(1), "类\r\n二");
    EXPECT_EQ(StoredMember(1).memberIsDisplay, 1);

    QList<QStringList> rows;
    EXPECT_TRUE(MdbImport::ParseCsv("a,\"b\"\r\n1,\"x\r\ny\"\r\n2,3", rows));
    EXPECT_EQ(rows, (QList<QStringList>{{"a", "b"}, {"1", "x\r\ny"}, {"2", "3"}}));
}
