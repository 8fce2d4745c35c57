// The mapping from a read schema to a model, without a database.
#include <gtest/gtest.h>

#include <QRandomGenerator>

#include "../generator/TextCompare.h"
#include "ConfigFiles.h"
#include "DbImport.h"
#include "MappingFile.h"
#include "ModelCheck.h"
#include "SchemaImport.h"

namespace {

TSchemaColumn Column(const QString& name, const QString& type, bool notNull = false,
                     const QString& comment = QString()) {
    return {name,    type,   SchemaImport::KindOfType(type), SchemaImport::DeclaredLength(type),
            notNull, comment};
}

TSchemaTable Table(const QString& name, const QList<TSchemaColumn>& columns, const QStringList& key,
                   const QList<TSchemaForeignKey>& fks = {}, const QString& comment = QString()) {
    return {name, comment, columns, key, fks};
}

// "name type length key must display" per member, "Class friend" per class.
QStringList Lines(const TSchemaMapping& mapping) {
    QStringList lines;
    for (const TClassModel& c : mapping.classes) {
        lines << c.className + " " + c.friendName;
        for (const TMember& m : c.members)
            lines << "  " + QString("%1 %2 %3%4%5%6 %7")
                                .arg(m.memberName, m.memberType, QString::number(m.memberLength),
                                     m.memberIsPri ? " key" : "", m.memberIsMust ? " must" : "",
                                     m.memberIsDisplay ? " display" : "", m.memberComment)
                                .trimmed();
    }
    return lines;
}

QList<TSchemaTable> LibrarySchema() {
    return {Table("book_type",
                  {Column("type_id", "int(11)", true, "类别编号"),
                   Column("type_name", "varchar(40)", true, "类别名称")},
                  {"type_id"}, {}, "图书类别"),
            Table("book",
                  {Column("isbn", "varchar(20)", true),
                   Column("title", "varchar(80)", true, "书名"), Column("price", "decimal(8,2)"),
                   Column("weight", "double precision"), Column("published", "date"),
                   Column("added", "datetime"), Column("touched", "timestamp without time zone"),
                   Column("type_id", "int", true), Column("pages", "smallint unsigned")},
                  {"isbn"}, {{{"type_id"}, "book_type", {"type_id"}}})};
}

} // namespace

TEST(SchemaImportTest, NamesFollowCamelCaseFromSnakeCase) {
    EXPECT_EQ(SchemaImport::UpperCamel("book_type"), "BookType");
    EXPECT_EQ(SchemaImport::LowerCamel("book_type"), "bookType");
    EXPECT_EQ(SchemaImport::LowerCamel("typeId"), "typeId");
    EXPECT_EQ(SchemaImport::UpperCamel("BookType"), "BookType");
    EXPECT_EQ(SchemaImport::UpperCamel("BOOK_TYPE"), "BookType");
    EXPECT_EQ(SchemaImport::LowerCamel("unit-price ex"), "unitPriceEx");
    EXPECT_EQ(SchemaImport::LowerCamel("图书"), "");
}

TEST(SchemaImportTest, DeclaredTypesOfEveryKindAndDialect) {
    const QList<std::pair<QString, TColumnKind>> cases{
        {"varchar(80)", TColumnKind::Text},
        {"character varying(12)", TColumnKind::Text},
        {"CHAR(3)", TColumnKind::Text},
        {"longtext", TColumnKind::Text},
        {"NVARCHAR(10)", TColumnKind::Text},
        {"CLOB", TColumnKind::Text},
        {"int(11) unsigned", TColumnKind::Long},
        {"smallint(5) unsigned", TColumnKind::Integer},
        {"year(4)", TColumnKind::Integer},
        {"tinyint(4)", TColumnKind::Integer},
        {"tinyint(1) unsigned", TColumnKind::Integer},
        {"bigint", TColumnKind::Long},
        {"INTEGER", TColumnKind::Integer},
        {"UNSIGNED BIG INT", TColumnKind::Long},
        {"numeric(10,2)", TColumnKind::Decimal},
        {"NUMERIC", TColumnKind::Decimal},
        {"double precision", TColumnKind::Float},
        {"REAL", TColumnKind::Float},
        {"date", TColumnKind::Date},
        {"DATETIME", TColumnKind::DateTime},
        {"timestamp(3) with time zone", TColumnKind::DateTime},
        {"boolean", TColumnKind::Boolean},
        {"BOOL", TColumnKind::Boolean},
        {"tinyint(1)", TColumnKind::Boolean},
        {"bit(1)", TColumnKind::Boolean},
        {"bit(8)", TColumnKind::Other},
        {"integer[]", TColumnKind::Other},
        {"character varying(20)[]", TColumnKind::Other},
        {"time", TColumnKind::Other},
        {"interval", TColumnKind::Other},
        {"point", TColumnKind::Other},
        {"blob", TColumnKind::Other},
        {"json", TColumnKind::Other},
        {"", TColumnKind::Other}};
    for (const auto& [type, kind] : cases)
        EXPECT_EQ(SchemaImport::KindOfType(type), kind) << type.toStdString();
    EXPECT_EQ(SchemaImport::DeclaredLength("varchar(80)"), 80);
    EXPECT_EQ(SchemaImport::DeclaredLength("character varying( 7 )"), 7);
    EXPECT_EQ(SchemaImport::DeclaredLength("text"), -1);
    EXPECT_EQ(SchemaImport::DeclaredScale("decimal(10, 2) unsigned"), 2);
    EXPECT_EQ(SchemaImport::DeclaredScale("numeric(5)"), 0);
}

TEST(SchemaImportTest, TablesBecomeClassesWithTypesKeysReferencesAndDisplayMembers) {
    const TSchemaMapping mapping = SchemaImport::MapSchema(LibrarySchema());
    EXPECT_EQ(Lines(mapping),
              QStringList({"BookType 图书类别", "  typeId 整型 0 key must 类别编号",
                           "  typeName 字符串 40 must display 类别名称", "Book Book",
                           "  isbn 字符串 20 key must", "  title 字符串 80 must display 书名",
                           "  price 小数型 8", "  weight 浮点型 0", "  published 日期型 0",
                           "  added 日期时间型 0", "  touched 日期时间型 0",
                           "  typeId BookType 0 must", "  pages 整型 0"}));
    EXPECT_EQ(mapping.report,
              QStringList({"列book.touched的类型timestamp without time zone作为日期时间型导入: "
                           "日期时间型只精确到秒, 秒的小数部分会丢失"}));
    EXPECT_EQ(mapping.classes[1].members[2].memberScale, 2);
    EXPECT_EQ(mapping.classes[1].members[3].memberIsFloat, 1);
    EXPECT_EQ(mapping.classes[0].members[0].memberIsInteger, 1);
}

// Every mapping that loses something and every view gets its line; the display member and the
// references become search fields where the rules allow it, said once.
TEST(SchemaImportTest, LossyTypesViewsAndDefaultSearchFieldsAreReported) {
    TSchemaTable view = Table("item_view", {Column("id", "int")}, {});
    view.view = true;
    const QList<TSchemaTable> tables{
        Table("item",
              {Column("id", "bigint"), Column("size", "enum('S','XL','it''s')"),
               Column("tags", "set('a','bc')"), Column("count", "int(10) unsigned"),
               Column("small", "smallint unsigned"), Column("parent_id", "bigint"),
               Column("ratio", "double"), Column("huge", "UNSIGNED BIG INT")},
              {"id"}, {{{"parent_id"}, "item", {"id"}}}),
        view,
        Table("tally", {Column("id", "int"), Column("item_id", "int")}, {"id"},
              {{{"item_id"}, "item", {"id"}}})};
    const TSchemaMapping mapping = SchemaImport::MapSchema(tables);
    EXPECT_EQ(mapping.report,
              QStringList({"列item.size的类型enum('S','XL','it''s')作为字符串(4)导入: "
                           "数据库只接受这些值: S, XL, it's",
                           "列item.tags的类型set('a','bc')作为字符串(4)导入: "
                           "数据库只接受这些值的组合(以逗号分隔): a, bc",
                           "视图item_view未导入: 只导入表"}));
    ASSERT_EQ(mapping.classes.size(), 2);
    QStringList search;
    for (const TClassModel& c : mapping.classes)
        for (const TMember& m : c.members)
            if (m.queryFlag == 1)
                search << c.className + "." + m.memberName;
    // item's display member is its text "size"; its reference to itself may not search
    EXPECT_EQ(search, QStringList({"Item.size", "Tally.itemId"}));
    // after the lines of the keys the tables do not number
    ASSERT_FALSE(mapping.notices.isEmpty());
    EXPECT_EQ(mapping.notices.last(), "已把各类的显示成员和引用成员设为查询条件(共2个), "
                                      "查询页面可按它们搜索");
}

// A search field that only the whole model refuses (an Action property "bookList" beside a
// class Book) is turned off; the table stays.
TEST(SchemaImportTest, SearchFieldsTheWholeModelRefusesAreLeftOffNotTheirTables) {
    const TSchemaMapping mapping = SchemaImport::MapSchema(
        {Table("book", {Column("id", "int"), Column("name", "varchar(20)")}, {"id"}),
         Table("shelf", {Column("id", "int"), Column("book_list", "varchar(20)")}, {"id"})});
    ASSERT_EQ(mapping.classes.size(), 2);
    EXPECT_TRUE(mapping.report.isEmpty()) << mapping.report.join("\n").toStdString();
    EXPECT_EQ(mapping.classes[0].QueryMembers().size(), 1);
    EXPECT_TRUE(mapping.classes[1].QueryMembers().isEmpty());
}

// A column type, the member it gives ("小数型(18,4)") and the reason of its report line, if any.
struct TTypeCase {
    QString type;
    QString member;
    QString loss;
};

// The types each kind of database reports (MariaDB/MySQL COLUMN_TYPE, PostgreSQL format_type,
// SQLite as declared): each maps to its word, with a line only where the member is not exact
// or the database refuses more than the member's checks.
TEST(SchemaImportTest, RealTypesOfEachKindMapToTheirWordsWithALineWhereNotExact) {
    const QString fraction = "日期时间型只精确到秒, 秒的小数部分会丢失";
    const QString floating = ", 按浮点数计算, 小数可能有舍入误差";
    const QList<TTypeCase> cases{
        // MariaDB/MySQL
        {"datetime", "日期时间型", ""},
        {"datetime(6)", "日期时间型", fraction},
        {"timestamp", "日期时间型", ""},
        {"decimal(18,4)", "小数型(18,4)", ""},
        {"decimal(65,30)", "小数型(65,30)", ""},
        {"bigint(20)", "长整型", ""},
        {"bigint(20) unsigned", "长整型",
         "长整型只能存放-9223372036854775808到9223372036854775807, 超出的值不能读写"},
        {"int(10) unsigned", "长整型", ""},
        {"mediumint(8) unsigned", "整型", ""},
        {"tinytext", "文本型(63)", ""},
        {"text", "文本型", ""},
        {"mediumtext", "文本型(4194303)", ""},
        {"longtext", "文本型(1073741823)", ""},
        {"tinyint(1)", "布尔型", ""},
        {"bit(1)", "布尔型", ""},
        {"year(4)", "整型", "数据库只接受1901到2155之间的年份和0"},
        {"enum('是','否','')", "字符串(1)", "数据库只接受这些值: 是, 否, "},
        // PostgreSQL
        {"timestamp(0) without time zone", "日期时间型", ""},
        {"timestamp with time zone", "日期时间型", fraction},
        {"numeric(5,0)", "小数型(5,0)", ""},
        {"numeric", "浮点型", "没有声明精度" + floating},
        {"numeric(100,2)", "浮点型",
         "精度或小数位数超出小数型的范围(精度1到65, 小数位数0到30)" + floating},
        {"character varying", "文本型", ""},
        {"character varying(20000)", "文本型(20000)", ""},
        {"boolean", "布尔型", ""},
        // SQLite
        {"INT8", "长整型", ""},
        {"UNSIGNED BIG INT", "长整型", ""},
        {"DECIMAL(10,5)", "小数型(10,5)", ""},
        {"CLOB", "文本型", ""},
        {"BOOLEAN", "布尔型", ""},
        {"NATIVE CHARACTER(70)", "字符串(70)", ""}};
    QList<TSchemaColumn> columns{Column("id", "bigint")};
    for (qsizetype i = 0; i < cases.size(); ++i)
        columns << Column("c" + QString::number(i), cases[i].type);
    const TSchemaMapping mapping = SchemaImport::MapSchema({Table("t", columns, {"id"})});
    ASSERT_EQ(mapping.classes.size(), 1);
    const QList<TMember>& members = mapping.classes[0].members;
    ASSERT_EQ(members.size(), cases.size() + 1);
    QStringList expectedLines;
    for (qsizetype i = 0; i < cases.size(); ++i) {
        const TMember& m = members[i + 1];
        QString shown = m.memberType;
        if (m.memberType == MemberTypes::Decimal)
            shown += QString("(%1,%2)").arg(m.memberLength).arg(m.memberScale);
        else if (m.memberLength > 0)
            shown += QString("(%1)").arg(m.memberLength);
        EXPECT_EQ(shown, cases[i].member) << cases[i].type.toStdString();
        if (!cases[i].loss.isEmpty())
            expectedLines << "列t.c" + QString::number(i) + "的类型" + cases[i].type + "作为" +
                                 cases[i].member + "导入: " + cases[i].loss;
    }
    EXPECT_EQ(mapping.report, expectedLines);
    EXPECT_EQ(members[0].memberType, MemberTypes::Long);
    EXPECT_EQ(members[0].keyAssigned, 1);
}

// Keys of the new words, a long text key, a checked domain and an array.
TEST(SchemaImportTest, LongKeysTextKeysDomainsAndArrays) {
    TSchemaColumn generated = Column("id", "bigint");
    generated.generated = true;
    TSchemaColumn domain = Column("rank", "integer");
    domain.domain = "positive_int";
    const QList<TSchemaTable> tables{
        Table("a", {generated, domain, Column("tags", "integer[]")}, {"id"}),
        Table("b", {Column("code", "text"), Column("a_id", "bigint")}, {"code"},
              {{{"a_id"}, "a", {"id"}}}),
        Table("c", {Column("flag", "boolean")}, {"flag"})};
    const TSchemaMapping mapping = SchemaImport::MapSchema(tables);
    ASSERT_EQ(mapping.classes.size(), 2);
    EXPECT_EQ(Lines(mapping),
              QStringList({"A A", "  id 长整型 0 key must display", "  rank 整型 0", "B B",
                           "  code 字符串 255 key must display", "  aId A 0"}));
    EXPECT_EQ(mapping.classes[0].members[0].keyAssigned, 0);
    EXPECT_EQ(
        mapping.report,
        QStringList({"列a.rank的类型是域positive_int(integer), 作为整型导入: "
                     "数据库还检查域的约束, 页面不检查",
                     "列a.tags的类型integer[]不受支持, 未导入",
                     "列b.code没有声明长度, 作为长度为255的字符串导入",
                     "表c的主键列flag的类型boolean不能作为主键(只能是整数或字符类型), 未导入"}));
}

TEST(SchemaImportTest, DisplayMemberPrefersNameOrTitleThenFirstTextThenKey) {
    const QList<TSchemaTable> tables{
        Table("a", {Column("id", "int"), Column("code", "varchar(5)"), Column("full_name", "text")},
              {"id"}),
        Table("b", {Column("code", "varchar(5)"), Column("memo", "varchar(9)")}, {"code"}),
        Table("c", {Column("id", "int"), Column("amount", "int"), Column("day", "date")}, {"id"})};
    const TSchemaMapping mapping = SchemaImport::MapSchema(tables);
    ASSERT_EQ(mapping.classes.size(), 3);
    EXPECT_EQ(mapping.classes[0].DisplayMember()->memberName, "fullName");
    EXPECT_EQ(mapping.classes[1].DisplayMember()->memberName, "memo");
    EXPECT_EQ(mapping.classes[2].DisplayMember()->memberName, "id");
    for (const TClassModel& c : mapping.classes)
        EXPECT_EQ(c.CountDisplayMembers(), 1);
}

TEST(SchemaImportTest, TablesTheModelCannotHoldAreLeftOutWithOneLineEach) {
    const QList<TSchemaTable> tables{
        Table("loan_item", {Column("loan_id", "int"), Column("line", "int")}, {"loan_id", "line"}),
        Table("audit_log", {Column("message", "varchar(100)")}, {}),
        Table("stamp", {Column("stamped_at", "datetime")}, {"stamped_at"}),
        Table("ok", {Column("id", "int")}, {"id"})};
    const TSchemaMapping mapping = SchemaImport::MapSchema(tables);
    ASSERT_EQ(mapping.classes.size(), 1);
    EXPECT_EQ(
        mapping.report,
        QStringList({"表loan_item的主键由多列组成(loan_id, line), 未导入",
                     "表audit_log没有主键, 未导入",
                     "表stamp的主键列stamped_at的类型datetime不能作为主键(只能是整数或字符类型), "
                     "未导入"}));
}

TEST(SchemaImportTest, ColumnsTheModelCannotHoldAreLeftOutRenamedOrResized) {
    const QList<TSchemaTable> tables{Table(
        "item",
        {Column("id", "int"), Column("cover", "blob"), Column("class", "varchar(9)"),
         Column("2nd_code", "varchar(9)"), Column("名称", "varchar(9)"), Column("notes", "text"),
         Column("body", "varchar(20000)"), Column("book_name", "varchar(9)"),
         Column("bookName", "varchar(9)"), Column("request", "varchar(9)")},
        {"id"})};
    const TSchemaMapping mapping = SchemaImport::MapSchema(tables);
    ASSERT_EQ(mapping.classes.size(), 1);
    QStringList names;
    for (const TMember& m : mapping.classes[0].members)
        names << m.memberName;
    EXPECT_EQ(names, QStringList({"id", "class_", "column2ndCode", "column5", "notes", "body",
                                  "bookName", "bookName2", "request"}));
    // a text of no declared length, or longer than a string holds, is a long text
    EXPECT_EQ(mapping.classes[0].members[4].memberType, MemberTypes::Text);
    EXPECT_EQ(mapping.classes[0].members[4].memberLength, 0);
    EXPECT_EQ(mapping.classes[0].members[5].memberType, MemberTypes::Text);
    EXPECT_EQ(mapping.classes[0].members[5].memberLength, 20000);
    EXPECT_EQ(mapping.report,
              QStringList({"列item.cover的类型blob不受支持, 未导入",
                           "列item.class导入为成员class_: 类Item的成员名\"class\"是Java的保留字",
                           "列item.2nd_code导入为成员column2ndCode: 名称不能以数字开头",
                           "列item.名称导入为成员column5: 名称中没有英文字母或数字",
                           "列item.bookName导入为成员bookName2: 与类Item的另一个成员重名"}));
}

TEST(SchemaImportTest, ForeignKeysTheModelCannotHoldBecomePlainColumns) {
    const QList<TSchemaTable> tables{
        Table("shelf", {Column("id", "int"), Column("code", "varchar(4)")}, {"id"}),
        Table("book",
              {Column("id", "int"), Column("shelf_id", "int"), Column("shelf_code", "varchar(4)"),
               Column("publisher_id", "int"), Column("a", "int"), Column("b", "int")},
              {"id"},
              {{{"shelf_id"}, "shelf", {"id"}},
               {{"shelf_code"}, "shelf", {"code"}},
               {{"publisher_id"}, "publisher", {"id"}},
               {{"a", "b"}, "pair", {"x", "y"}}}),
        Table("own", {Column("book_id", "int")}, {"book_id"}, {{{"book_id"}, "book", {"id"}}})};
    const TSchemaMapping mapping = SchemaImport::MapSchema(tables);
    ASSERT_EQ(mapping.classes.size(), 3);
    QStringList types;
    for (const TMember& m : mapping.classes[1].members)
        types << m.memberName + ":" + m.memberType;
    EXPECT_EQ(types, QStringList({"id:整型", "shelfId:Shelf", "shelfCode:字符串",
                                  "publisherId:整型", "a:整型", "b:整型"}));
    EXPECT_EQ(mapping.report,
              QStringList({"列book.shelf_code的外键引用的列shelf.code不是主键, 作为普通列导入",
                           "列book.publisher_id的外键引用的表publisher没有导入, 作为普通列导入",
                           "表book的外键(a, b)由多列组成, 各列作为普通列导入",
                           "列own.book_id既是主键又是外键, 作为主键导入, 不作为引用"}));
}

TEST(SchemaImportTest, ClassNamesTheRunRefusesAreRenamedAndTooLargeRowsLeftOut) {
    QList<TSchemaColumn> wide{Column("id", "int")};
    for (int i = 0; i < 5; ++i)
        wide << Column("text" + QString::number(i), "varchar(16000)");
    const QList<TSchemaTable> tables{Table("admin", {Column("id", "int")}, {"id"}),
                                     Table("user", {Column("id", "int")}, {"id"}),
                                     Table("class", {Column("id", "int")}, {"id"}),
                                     Table("USERS", {Column("id", "int")}, {"id"}),
                                     Table("Users", {Column("id", "int")}, {"id"}),
                                     Table("wide", wide, {"id"}),
                                     Table("holder",
                                           {Column("id", "int"), Column("wide_id", "int")}, {"id"},
                                           {{{"wide_id"}, "wide", {"id"}}})};
    const TSchemaMapping mapping = SchemaImport::MapSchema(tables);
    QStringList names;
    for (const TClassModel& c : mapping.classes)
        names << c.className;
    // "user" and "class" are kept: the generated code names the Action UserClassAction and the
    // objects "class_"
    EXPECT_EQ(names, QStringList({"Admin_", "User", "Class", "Users", "Users2", "Holder"}));
    EXPECT_EQ(mapping.classes.last().members[1].memberType, MemberTypes::Integer);
    ASSERT_GE(mapping.report.size(), 4);
    EXPECT_TRUE(mapping.report[0].startsWith("表admin导入为类Admin_: 类名Admin与固定支持类重名"))
        << mapping.report[0].toStdString();
    EXPECT_EQ(mapping.report[1], "表Users导入为类Users2: 与表USERS重名");
    EXPECT_TRUE(mapping.report[2].startsWith("表wide未导入: 类Wide的数据表一行需要"));
    EXPECT_EQ(mapping.report[3], "列holder.wide_id的外键引用的表wide没有导入, 作为普通列导入");
}

// The mapping file of an imported class names the table and columns of the database, a
// reference its own foreign-key column (not the referenced key's), and a nullable text column
// writes an empty field as NULL; a name the mappings cannot quote is left out.
TEST(SchemaImportTest, ImportedClassesKeepTheDatabaseNamesInTheirMappings) {
    const TSchemaMapping mapping = SchemaImport::MapSchema(
        {Table("staff", {Column("staff_id", "int", true), Column("full_name", "varchar(40)", true)},
               {"staff_id"}),
         Table("store_branch",
               {Column("branch_id", "int", true), Column("manager_staff_id", "int", true),
                Column("note", "varchar(80)"), Column("odd`name", "varchar(9)")},
               {"branch_id"}, {{{"manager_staff_id"}, "staff", {"staff_id"}}})});
    TProjectModel model;
    for (const TClassModel& c : mapping.classes)
        model.AddClass(c);
    const QString text =
        MappingFile::BuildMappingFile(
            {model, "p"}, model.Classes()[1],
            "<class name=\"$className\" table=\"`$className`\">$hibernateContentConfigString")
            .text;
    EXPECT_TRUE(text.contains("table=\"`store_branch`\"")) << text.toStdString();
    EXPECT_TRUE(text.contains("<id name=\"branchId\" column=\"branch_id\">")) << text.toStdString();
    EXPECT_TRUE(text.contains("column=\"manager_staff_id\"")) << text.toStdString();
    EXPECT_TRUE(text.contains("<column name=\"note\" write=\"nullif(?, '')\"/>"))
        << text.toStdString();
    EXPECT_FALSE(text.contains("odd")) << text.toStdString();
    EXPECT_TRUE(mapping.report.join("\n").contains("odd`name"))
        << mapping.report.join("\n").toStdString();
    EXPECT_TRUE(model.MapsExistingTables());
}

// The application indexes no existing table: README.txt offers the look-up index of each class
// whose display member a hand-made project's table indexes, and only for such a model.
TEST(SchemaImportTest, ReadmeOffersTheLookupIndexesOfExistingTablesOnly) {
    const TSchemaMapping mapping = SchemaImport::MapSchema(
        {Table("staff", {Column("staff_id", "int", true), Column("full_name", "varchar(40)", true)},
               {"staff_id"}),
         Table("note", {Column("id", "int"), Column("body", "varchar(500)")}, {"id"}),
         Table("tally", {Column("id", "int"), Column("amount", "int")}, {"id"})});
    TProjectModel model;
    TProjectModel handMade;
    qsizetype indexed = 0;
    for (TClassModel c : mapping.classes) {
        model.AddClass(c);
        indexed += MappingFile::LookupMember(c) ? 1 : 0;
        c.tableName.clear();
        for (TMember& m : c.members)
            m.columnName.clear();
        handMade.AddClass(c);
    }
    const QString templateText = "head $packageName\r\n";
    const QString text = ConfigFiles::BuildRootFile({model, "p"}, "README.txt", templateText)->text;
    EXPECT_TRUE(text.startsWith("head p\r\n\r\n已有数据表的索引\r\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("        CREATE INDEX lookup ON `staff` (`full_name`);\r\n"))
        << text.toStdString();
    EXPECT_EQ(text.count("CREATE INDEX"), indexed);
    EXPECT_EQ(ConfigFiles::BuildRootFile({handMade, "p"}, "README.txt", templateText)->text,
              "head p\r\n");
    EXPECT_EQ(ConfigFiles::BuildRootFile({model, "p"}, "jetty.xml", templateText)->text,
              "head p\r\n");
}

TEST(SchemaImportTest, TableFilterTakesCommaSeparatedWildcards) {
    const QList<TSchemaTable> tables{Table("book", {}, {}), Table("book_type", {}, {}),
                                     Table("loan", {}, {}), Table("reader", {}, {})};
    QStringList names;
    for (const TSchemaTable& t : SchemaImport::FilterTables(tables, "BOOK*, loan"))
        names << t.name;
    EXPECT_EQ(names, QStringList({"book", "book_type", "loan"}));
    EXPECT_EQ(SchemaImport::FilterTables(tables, "").size(), 4);
    EXPECT_TRUE(SchemaImport::FilterTables(tables, "r?").isEmpty());
}

// Whatever a schema holds, the model passes every check a run makes.
TEST(SchemaImportTest, RandomSchemasAlwaysGiveModelsTheRunAccepts) {
    const QStringList names{"id",      "name", "class",   "book_type", "Book",   "2x",
                            "图书",    "user", "request", "attr",      "select", "order",
                            "a-b",     "NAME", "title",   "admin",     "list",   "session",
                            "bookDAO", "java", "_",       "x$y",       "count",  "from"};
    const QStringList types{
        "int",         "varchar(30)",   "text",       "decimal(5,2)",    "date",
        "blob",        "time",          "bigint",     "char(200)",       "varchar(16383)",
        "datetime(6)", "decimal(70,2)", "tinyint(1)", "bigint unsigned", "enum('a','bc')",
        "mediumtext",  "numeric",       "year",       "varchar(20000)",  "boolean"};
    QRandomGenerator rng(7);
    for (int round = 0; round < 200; ++round) {
        QList<TSchemaTable> tables;
        const int tableCount = rng.bounded(1, 7);
        for (int t = 0; t < tableCount; ++t) {
            TSchemaTable table{names[rng.bounded(names.size())], {}, {}, {}, {}};
            const int columnCount = rng.bounded(1, 9);
            for (int c = 0; c < columnCount; ++c)
                table.columns << Column(names[rng.bounded(names.size())] +
                                            (rng.bounded(3) == 0 ? "_" + QString::number(c) : ""),
                                        types[rng.bounded(types.size())], rng.bounded(2) == 1);
            if (rng.bounded(5) > 0)
                table.primaryKey << table.columns[rng.bounded(table.columns.size())].name;
            if (t > 0 && rng.bounded(2) == 1)
                table.foreignKeys << TSchemaForeignKey{
                    {table.columns.last().name}, tables[rng.bounded(t)].name, {}};
            tables << table;
        }
        TSchemaMapping mapping = SchemaImport::MapSchema(tables);
        DbImport::ChooseDatabase(mapping, TDbKind::MySql, tables);
        TProjectModel model;
        model.SetDatabase(mapping.database);
        for (const TClassModel& c : mapping.classes) {
            model.AddClass(c);
            EXPECT_EQ(c.CountKeyMembers(), 1) << c.className.toStdString();
            EXPECT_EQ(c.CountDisplayMembers(), 1) << c.className.toStdString();
        }
        const std::optional<QString> error = ModelCheck::FirstModelError(model, "brennoquill");
        EXPECT_FALSE(error.has_value()) << "round " << round << ": " << error->toStdString();
    }
}

// The project works on the source's kind; its Admin table is named unlike every table of the
// database, also one the import leaves out, and the rename is reported.
TEST(SchemaImportTest, TheDatabaseKindIsTheSourcesAndTheAdminTableAvoidsItsTables) {
    const QList<TSchemaTable> all = {Table("ADMIN", {Column("id", "int")}, {"id"}),
                                     Table("admin2", {Column("id", "int")}, {"id"}),
                                     Table("book", {Column("id", "int")}, {"id"})};
    TSchemaMapping mapping = SchemaImport::MapSchema({all[2]});
    DbImport::ChooseDatabase(mapping, TDbKind::PostgreSql, all);
    EXPECT_EQ(mapping.database, (TProjectDatabase{TDatabaseKind::PostgreSql, "Admin3"}));
    EXPECT_EQ(mapping.report,
              QStringList({"表ADMIN与应用的管理员表Admin同名(不区分大小写), 管理员表改用Admin3"}));

    for (TDbKind source : {TDbKind::MySql, TDbKind::Sqlite}) {
        TSchemaMapping other = SchemaImport::MapSchema({all[2]});
        DbImport::ChooseDatabase(other, source, {all[2]});
        EXPECT_TRUE(other.database.IsDefault());
        EXPECT_TRUE(other.report.isEmpty());
    }
}
