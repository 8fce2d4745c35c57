#include <gtest/gtest.h>

#include <tuple>

#include "ActionOperate.h"
#include "CodeText.h"
#include "DomainOperate.h"
#include "MappingFile.h"
#include "ModelCheck.h"
#include "TestModel.h"
#include "TextCompare.h"

namespace {

using enum TFlag;

// A project with one sound class, Book, to which each case adds what it breaks.
TModelBuilder Sound() {
    return TModelBuilder()
        .Class("Book")
        .Member("barcode", "字符串", {Key, Display, Query}, "条形码", 20)
        .Member("title", "字符串", {Query}, "书名", 50);
}

std::optional<QString> ErrorOf(const TModelBuilder& builder, const QString& package = "pkg") {
    return ModelCheck::FirstModelError(builder.Build(), package);
}

} // namespace

TEST(ModelCheckTest, SoundModelsPass) {
    EXPECT_EQ(ErrorOf(Sound()), std::nullopt);
    // Identifiers at their edges, names the generated code only uses where they cannot clash,
    // and a reference to a later class.
    const TModelBuilder edges =
        Sound()
            .Class("Book_9")
            .Member("no", "整型", {Key, Display})
            .Member("e", "字符串", {Query}, "", 1) // the catch variable, not in query methods
            .Member("hql", "字符串", {}, "", 1000) // a DAO local, but no DAO parameter
            .Member("currentPage", "整型", {})     // only Action properties clash with it
            .Member("var", "字符串", {}, "", 20)   // a restricted type name, fine for a field
            .Member("loan", "Loan", {}, "借阅")
            .Class("Loan")
            .Member("id", "整型", {Key, Display})
            .Member("parent", "Loan", {}); // a self-reference outside the query
    EXPECT_EQ(ErrorOf(edges, "lib2"), std::nullopt);
    // Classes whose object name cannot stand alone get one with "_"; members named like the
    // pages' request objects where they are not searched.
    TModelBuilder taken = Sound();
    for (const char* name : {"Class", "S", "Ctx", "Or", "Select", "Set", "Request", "Attr",
                             "Action", "Locale", "Java"})
        taken.Class(name).Member("id", "整型", {Key, Display});
    taken.Class("Desk")
        .Member("id", "整型", {Key, Display})
        .Member("session", "Set", {}, "", 0)
        .Member("application", "字符串", {}, "", 5)
        .Member("locale", "字符串", {}, "", 5);
    EXPECT_EQ(ErrorOf(taken), std::nullopt);
    EXPECT_EQ(CodeText::ObjectName("Select"), "select_");
    EXPECT_EQ(CodeText::ObjectName("Desk"), "desk");
}

TEST(ModelCheckTest, EachRuleRefusesWithItsMessage) {
    const QString identifier =
        "不是合法的Java标识符: 只能由字母、汉字、数字、_和$组成，且不能以数字开头";
    const QList<std::pair<TModelBuilder, QString>> cases = {
        {Sound().Member("9lives", "字符串"), "类Book的成员名\"9lives\"" + identifier},
        {Sound().Member("a b", "字符串"), "类Book的成员名\"a b\"" + identifier},
        {Sound().Member("int", "字符串"), "类Book的成员名\"int\"是Java的保留字"},
        {Sound().Member("_", "字符串"), "类Book的成员名\"_\"是Java的保留字"},
        {Sound().Member("ӝ", "字符串"), "类Book的成员名\"ӝ\"" + identifier},
        {Sound().Member("x한", "字符串"), "类Book的成员名\"x한\"含有GBK无法保存的字符"},
        {Sound().Class("A B").Member("id", "整型", {Key, Display}), "类名\"A B\"" + identifier},
        {Sound().Class("var").Member("id", "整型", {Key, Display}),
         "类名\"var\"在Java 10及以后的版本中不能用作类名"},
        {Sound().Class("Book").Member("id", "整型", {Key, Display}), "类Book: 该类名称已经存在!"},
        {Sound().Member("title", "字符串"), "类Book中有两个名为title的成员"},
        {Sound().Member("Title", "字符串"), "类Book的成员title和Title的get/set方法同名"},
        {Sound().Class("D").Member("day", "日期型", {Key, Display}),
         "类D的成员day是主键: 主键字段必须是整型或字符串型!"},
        {Sound().Member("shelf", "Shelf"), "类Book的成员shelf引用的类Shelf不在本工程中"},
        {Sound().Member("count", "整型", {Query}),
         "类Book的成员count: 参与查询的字段不要设置整型或浮点型"},
        {Sound().Member("next", "Book", {Query}),
         "类Book的成员next引用它所在的类Book: 引用本类的成员不能参与查询"},
        {Sound().Class("Admin").Member("id", "整型", {Key, Display}),
         "类名Admin与固定支持类重名: 生成的工程自带管理员类Admin(domain/Admin.java、"
         "dao/AdminDAO.java), 请换一个类名"},
        {Sound()
             .Class("User")
             .Member("id", "整型", {Key, Display})
             .Class("UserClass")
             .Member("id", "整型", {Key, Display}),
         "类User和类UserClass生成的Action类同名(UserClassAction), 请换一个类名"},
        {Sound().Class("String").Member("id", "整型", {Key, Display}),
         "类名String会遮蔽生成的代码和固定支持类Admin用到的java.lang.String, "
         "请换一个类名, 例如StringInfo"},
        {Sound().Class("BookDAO").Member("id", "整型", {Key, Display}).Member("book", "Book"),
         "类名BookDAO与类Book生成的DAO类同名, 而类BookDAO生成的Action类要同时用到这两个类, "
         "请换一个类名, 例如BookDAOInfo"},
        {Sound()
             .Member("of", "BookAction")
             .Class("BookAction")
             .Member("id", "整型", {Key, Display}),
         "类名BookAction与类Book生成的Action类同名, 而该Action类要用到类BookAction, "
         "请换一个类名, 例如BookActionInfo"},
        {Sound().Member("currentPage", "字符串", {Query}),
         "类Book的成员名currentPage与生成的Action类中的分页属性currentPage冲突, "
         "请换一个名称, 例如currentPageValue"},
        {Sound().Member("Book", "字符串", {Query}),
         "类Book的成员名Book与生成的Action类中的属性book(待操作的Book对象)冲突, "
         "请换一个名称, 例如BookValue"},
        {Sound().Member("bookDAO", "字符串", {Query}),
         "类Book的成员名bookDAO与生成的Action类中的属性bookDAO(Book的DAO对象)冲突, "
         "请换一个名称, 例如bookDAOValue"},
        {Sound().Member("Class", "Book"),
         "类Book的成员名Class与每个Java对象都有的getClass()方法冲突, 请换一个名称, 例如ClassValue"},
        {Sound().Member("java", "字符串", {Query}),
         "类Book的成员名java会遮蔽生成的代码用到的包名java, 请换一个名称, 例如javaValue"},
        {Sound().Class("Object").Member("id", "整型", {Key, Display}),
         "类名Object是查询语言(HQL)的关键字object, 请换一个类名, 例如ObjectInfo"},
        {Sound()
             .Member("com", "FailureLog")
             .Class("FailureLog")
             .Member("id", "整型", {Key, Display}),
         "类Book的成员名com会遮蔽生成的代码用到的包名com, 请换一个名称, 例如comValue"},
        {Sound().Member("org", "字符串", {Query}, "", 9).Member("price", "小数型", {Query}, "", 9),
         "类Book的成员名org会遮蔽生成的代码用到的包名org, 请换一个名称, 例如orgValue"},
        {Sound().Member("bookList", "字符串", {Query}),
         "类Book的成员名bookList与生成的Action类放入页面的Book列表bookList冲突 "
         "(页面用它显示查询结果), 请换一个名称, 例如bookListValue"},
        {Sound()
             .Member("shelf", "Shelf")
             .Member("shelfList", "字符串", {Query})
             .Class("Shelf")
             .Member("id", "整型", {Key, Display}),
         "类Book的成员名shelfList与生成的Action类放入页面的Shelf列表shelfList冲突 "
         "(页面用它显示类Shelf的下拉框), 请换一个名称, 例如shelfListValue"},
        {Sound().Member("bookAction", "Book"),
         "类Book的成员名bookAction与beans.xml中的bean同名, 请换一个名称, 例如bookActionValue"},
        {Sound().Member("eq", "字符串"), "类Book的成员名eq是页面表达式(OGNL)的运算符"},
        {TModelBuilder().Class(QString(201, 'L')).Member("id", "整型", {Key, Display}),
         "类名LLLLLLLLLLLLLLLLLLLL...太长: 以UTF-8计不能超过200个字节"},
        // Three times in the name of its modify check's file, which has 255 bytes at most.
        {TModelBuilder().Class(QString(71, 'L')).Member("id", "整型", {Key, Display}),
         "类名LLLLLLLLLLLLLLLLLLLL...太长: 以UTF-8计不能超过70个字节, "
         "因为生成的文件名不能超过255个字节"},
        // Names the web pages cannot carry: form parameters and addresses are ASCII words.
        {Sound().Member("bei注", "字符串", {}, "", 10),
         "类Book的成员名\"bei注\"只能用英文字母、数字和下划线, 因为网页表单的参数名不支持中文和$"},
        {Sound().Member("price$", "浮点型"),
         "类Book的成员名\"price$\"只能用英文字母、数字和下划线, 因为网页表单的参数名不支持中文和$"},
        {Sound().Class("图书").Member("id", "整型", {Key, Display}),
         "类名\"图书\"只能用英文字母、数字和下划线, "
         "因为网页地址(Struts的命名空间和action名)不支持中文和$"},
        {Sound().Class("A$b").Member("id", "整型", {Key, Display}),
         "类名\"A$b\"只能用英文字母、数字和下划线, "
         "因为网页地址(Struts的命名空间和action名)不支持中文和$"},
        {Sound().Class("com").Member("id", "整型", {Key, Display}),
         "类名com会遮蔽生成的代码用到的包名com"},
        // Names the pages read as the request's own objects, and display references in a cycle.
        {Sound().Member("session", "字符串", {Query}, "", 5).Member("session_", "Book", {}),
         "类Book的成员session的查询值在Action中名为session_, 与成员session_同名: 请换一个成员名"},
        {Sound().Member("locale", "Book", {}),
         "类Book的成员名locale与Action类继承的getLocale()同名: 作为主键或引用时请换一个名称"},
        {TModelBuilder()
             .Class("Item")
             .Member("id", "整型", {Key})
             .Member("kind", "Kind", {Display})
             .Class("Kind")
             .Member("id", "整型", {Key})
             .Member("item", "Item", {Display}),
         "类Item的显示成员kind是引用, 而显示值的引用形成了循环: Item.kind → Kind.item → Item; "
         "请把其中一个类的显示成员换成非引用的成员"},
        // Lengths a VARCHAR column cannot hold, alone or together in one row.
        {Sound().Member("note", "字符串", {}, "", 0),
         "类Book的成员note的长度0超出范围: 字符串的长度必须在1到16383之间"},
        {Sound().Member("note", "字符串", {}, "", -1),
         "类Book的成员note的长度-1超出范围: 字符串的长度必须在1到16383之间"},
        {Sound().Member("note", "字符串", {}, "", 16384),
         "类Book的成员note的长度16384超出范围: 字符串的长度必须在1到16383之间"},
        {Sound().Member("a", "字符串", {}, "", 16383).Member("b", "字符串", {}, "", 16383),
         "类Book的数据表一行需要131351个字节, 超过数据库允许的65535个字节: "
         "请减小字符串成员的长度"},
    };
    for (const auto& [model, message] : cases)
        EXPECT_EQ(ErrorOf(model), message) << message.toStdString();
    EXPECT_EQ(ErrorOf(Sound(), "a.b"), "包名\"a.b\"" + identifier);
    EXPECT_EQ(ErrorOf(Sound(), "class"), "包名\"class\"是Java的保留字");
}

namespace {

// Classes C0 .. C<count-1>, each displayed by its reference to the next, and C<count> displayed
// by its name.
TModelBuilder DisplayChain(int count) {
    TModelBuilder builder;
    for (int i = 0; i <= count; ++i) {
        builder.Class("C" + QString::number(i)).Member("id", "整型", {Key});
        if (i < count)
            builder.Member("next", "C" + QString::number(i + 1), {Display});
        else
            builder.Member("name", "字符串", {Display}, "", 20);
    }
    return builder;
}

} // namespace

// A reference may be the display member: the pages follow display references to a text, as
// deep as kMaxDisplayDepth, never round a cycle.
TEST(ModelCheckTest, DisplayReferencesReachATextWithinTheDepth) {
    using CodeText::kMaxDisplayDepth;
    EXPECT_EQ(ErrorOf(DisplayChain(kMaxDisplayDepth)), std::nullopt);
    EXPECT_EQ(ErrorOf(DisplayChain(kMaxDisplayDepth + 1)),
              "类C0的显示成员next是引用, 而显示值要经过3层以上的引用: "
              "C0.next → C1.next → C2.next → C3.next → C4; 页面最多经过3层引用找显示值, "
              "请换一个显示成员");
    EXPECT_EQ(
        ErrorOf(
            Sound().Class("Loan").Member("id", "整型", {Key}).Member("parent", "Loan", {Display})),
        "类Loan的显示成员parent是引用, 而显示值的引用形成了循环: Loan.parent → Loan; "
        "请把其中一个类的显示成员换成非引用的成员");
    // A cycle further on is named from where it starts.
    EXPECT_EQ(ErrorOf(TModelBuilder()
                          .Class("C0")
                          .Member("id", "整型", {Key})
                          .Member("next", "C1", {Display})
                          .Class("C1")
                          .Member("id", "整型", {Key})
                          .Member("back", "C2", {Display})
                          .Class("C2")
                          .Member("id", "整型", {Key})
                          .Member("back", "C1", {Display})),
              "类C0的显示成员next是引用, 而显示值的引用形成了循环: C1.back → C2.back → C1; "
              "请把其中一个类的显示成员换成非引用的成员");

    // The member dialogs refuse an edit that makes another class's path too deep.
    TModelBuilder builder = DisplayChain(kMaxDisplayDepth);
    builder.Class("D").Member("id", "整型", {Key}).Member("label", "字符串", {Display}, "", 20);
    const TProjectModel model = builder.Build();
    const TClassModel& last = model.Classes()[kMaxDisplayDepth];
    TMember edited = last.members[1];
    edited.memberType = "D";
    EXPECT_TRUE(ModelCheck::MemberRuleError(model, last.classId, edited)
                    ->startsWith("类C0的显示成员next是引用, 而显示值要经过3层以上的引用"));
    EXPECT_EQ(ModelCheck::MemberRuleError(model, model.Classes()[1].classId,
                                          model.Classes()[1].members[1]),
              std::nullopt);
}

TEST(ModelCheckTest, ACommentCannotEndItsCommentOrString) {
    using namespace CodeText;
    const QString common = "书名 (ISBN-13), 10% * 2 / 3 <b>";
    EXPECT_EQ(JavaComment(common), common);
    EXPECT_EQ(XmlComment(common), common);
    EXPECT_EQ(JavaString(common), common);
    EXPECT_EQ(JavaComment("a*/b**/c"), "a* /b** /c");
    EXPECT_EQ(JavaComment("\\u002a\\u002f and \\\\u0041"), "\\ u002a\\ u002f and \\\\ u0041");
    EXPECT_EQ(JavaComment("one\r\ntwo\nthree\x01"), "one  two three ");
    EXPECT_EQ(XmlComment("a--b---c"), "a- -b- - -c");
    EXPECT_EQ(XmlComment("ends-"), "ends- ");
    EXPECT_EQ(XmlComment("x\ny\x0b"), "x y ");
    EXPECT_EQ(JavaString("say \"hi\" \\ \\u0022\n"), "say \\\"hi\\\" \\\\ \\\\u0022 ");

    const TProjectModel model = TModelBuilder()
                                    .Class("Book")
                                    .Member("isbn", "字符串", {Key, Display}, "*/\"--\\u000a", 13)
                                    .Build();
    const TBuildContext context{model, "pkg"};
    const TClassModel& book = model.Classes()[0];
    EXPECT_TRUE(TDomainOperate::BuildDomainClass(context, book)
                    .text.contains("    /** /\"--\\ u000a*/\r\n    private String isbn;"));
    const QString action = TActionOperate::BuildAddAction(context, book);
    EXPECT_TRUE(action.contains("/*验证* /\"--\\ u000a是否已经存在*/"));
    EXPECT_TRUE(action.contains("encode(\"该*/\\\"--\\\\u000a已经存在!\")"));
    EXPECT_TRUE(MappingFile::BuildMappingFile(context, book, "$hibernateContentConfigString")
                    .text.contains("<!-- 主键*/\"- -\\u000a -->"));
}

// Whatever the rule, a control, format or line separator character of a name is shown escaped,
// with the rest of the name after it.
TEST(ModelCheckTest, ControlCharactersOfNamesAreShownEscaped) {
    const QString identifier =
        "不是合法的Java标识符: 只能由字母、汉字、数字、_和$组成，且不能以数字开头";
    const QString nul = QString("Bo") + QChar(0) + "ok";
    const QString rtl = QString("Sh") + QChar(0x202E) + "elf";
    const QList<std::pair<TModelBuilder, QString>> cases = {
        {Sound().Class(nul).Member("id", "整型", {Key, Display}), "类名\"Bo\\0ok\"" + identifier},
        {Sound().Member(QString("ti") + QChar(0x1B) + "tle", "字符串"),
         "类Book的成员名\"ti\\x1btle\"" + identifier},
        {Sound().Class(rtl).Class(rtl), "类Sh\\u202eelf: 该类名称已经存在!"},
        {Sound().Member("shelf", rtl), "类Book的成员shelf引用的类Sh\\u202eelf不在本工程中"},
    };
    for (const auto& [model, message] : cases)
        EXPECT_EQ(ErrorOf(model), message) << message.toStdString();
    EXPECT_EQ(ErrorOf(Sound(), "a\tb\n"), "包名\"a\\tb\\n\"" + identifier);
}

TEST(ModelCheckTest, ProjectNamesMustBeValidTextAndFitTheFileNames) {
    EXPECT_EQ(ModelCheck::ProjectNameError("图书管理系统"), std::nullopt);
    EXPECT_EQ(ModelCheck::ProjectNameError(QString("P_") + QChar(0xfffd)), std::nullopt);
    EXPECT_EQ(ModelCheck::ProjectNameError(QString::fromUtf8("P_\xf0\x9f\x98\x80")),
              std::nullopt); // a surrogate pair is one character
    for (const QString& name : {QString("P_") + QChar(0xd800), QString(QChar(0xdc00)) + "P"})
        EXPECT_TRUE(ModelCheck::ProjectNameError(name).value_or("").endsWith(
            "含有无效的字符(不成对的UTF-16代理项)"));
    EXPECT_EQ(ModelCheck::ProjectNameError(QString(201, 'P')),
              "工程名称PPPPPPPPPPPPPPPPPPPP...太长: 以UTF-8计不能超过200个字节");
    EXPECT_TRUE(ModelCheck::ProjectNameError("a/b").has_value());
}

// The rules at entry, as the dialogs, the window's project commands, the run and the import
// call them: one message per rule, the Parts' text where the Parts fix one.
TEST(ModelCheckTest, EntryRulesHaveOneMessageEach) {
    const QString unsafe = "不能用作文件或文件夹名: 名称不能为空、不能是\".\"或\"..\","
                           "也不能含有/、\\或控制字符";
    EXPECT_EQ(ModelCheck::ProjectNameError("shop"), std::nullopt);
    EXPECT_EQ(ModelCheck::ProjectNameError(".."), "工程名称\"..\"" + unsafe);
    EXPECT_EQ(ModelCheck::ProjectNameError("a/b"), ModelCheck::UnsafeNameError("工程名称", "a/b"));
    EXPECT_EQ(ModelCheck::UnsafeNameError("类名", "Book"), std::nullopt);
    EXPECT_EQ(ModelCheck::UnsafeNameError("类名", "a/b"), "类名\"a/b\"" + unsafe);
    EXPECT_EQ(ModelCheck::ClassNameEntryError("Book"), std::nullopt);
    // The first letter, in the Parts' words; a name that starts with no ASCII character is told
    // what a class name may hold, in the run's words.
    EXPECT_EQ(ModelCheck::ClassNameEntryError("book"), "类名首个字母必须大写");
    EXPECT_EQ(ModelCheck::ClassNameEntryError(" Book"), "类名首个字母必须大写");
    const QString webClass =
        "只能用英文字母、数字和下划线, 因为网页地址(Struts的命名空间和action名)不支持中文和$";
    EXPECT_EQ(ModelCheck::ClassNameEntryError("图书"), "类名\"图书\"" + webClass);
    EXPECT_EQ(ModelCheck::ClassNameEntryError("Book图"), "类名\"Book图\"" + webClass);
    EXPECT_EQ(ModelCheck::FirstModelError(TModelBuilder().Class("图书").Build(), "pkg"),
              "类名\"图书\"" + webClass);
    EXPECT_TRUE(ModelCheck::StartsLowerCase("title"));
    EXPECT_FALSE(ModelCheck::StartsLowerCase("Title"));
    EXPECT_FALSE(ModelCheck::StartsLowerCase("é"));
    TClassModel book{3, "Book", "图书", {}, {}};
    TMember title;
    title.memberId = 7;
    title.memberName = "title";
    book.members << title;
    EXPECT_EQ(ModelCheck::MemberNameEntryError("title", book, 7), std::nullopt);
    EXPECT_EQ(ModelCheck::MemberNameEntryError("title", book, 8),
              ModelCheck::DuplicateMemberError("Book", "title"));
    EXPECT_EQ(ModelCheck::MemberNameEntryError("int", book, 0),
              "类Book的成员名\"int\"是Java的保留字");
    EXPECT_EQ(ModelCheck::MemberNameEntryError("Title", book, 0), "成员属性首个字母必须小写");
    EXPECT_EQ(
        ModelCheck::MemberNameEntryError("书名", book, 0),
        "类Book的成员名\"书名\"只能用英文字母、数字和下划线, 因为网页表单的参数名不支持中文和$");
    EXPECT_EQ(ModelCheck::MemberTypeEntryError("整型", false, false, false),
              "除了字符串类型外其他类型必须勾选是否必填标志!");
    EXPECT_EQ(ModelCheck::MemberTypeEntryError("日期型", true, true, false),
              ModelCheck::kKeyTypeRule);
    EXPECT_EQ(ModelCheck::MemberTypeEntryError("浮点型", true, false, true),
              ModelCheck::kQueryTypeRule);
    EXPECT_EQ(ModelCheck::MemberTypeEntryError("字符串", false, true, true), std::nullopt);
    EXPECT_EQ(ModelCheck::DuplicateClassError("Book"), "类Book: 该类名称已经存在!");
    EXPECT_EQ(ModelCheck::DuplicateMemberError("Book", "title"), "类Book中有两个名为title的成员");
    EXPECT_EQ(ModelCheck::ProjectNameTakenError("shop", {{"shop", 1}}), "该工程名称已经存在!");
    EXPECT_EQ(ModelCheck::ProjectNameTakenError("shop", {{"Shop", 1}}), std::nullopt);
    EXPECT_EQ(ModelCheck::ClassNameTakenError("Book", {{"Book", 2}}), "该类名称已经存在!");
    EXPECT_EQ(ModelCheck::ClassNameTakenError("Book", {{"Author", 2}}), std::nullopt);
    // The length: an int first (the store's rule), then a string's length.
    TMember note;
    note.memberName = "note";
    note.memberType = "字符串";
    note.memberLength = 3000000000;
    EXPECT_EQ(ModelCheck::LengthError(note, "Book"),
              "类Book的成员note的长度3000000000超出范围: 长度不能大于2147483647");
    note.memberLength = 0;
    EXPECT_EQ(ModelCheck::LengthError(note, "Book"),
              "类Book的成员note的长度0超出范围: 字符串的长度必须在1到16383之间");
}

// The sizes of the new words: what both database kinds hold, at and just past each edge.
TEST(ModelCheckTest, DecimalAndTextSizesStayWithinBothDatabaseKinds) {
    TMember price;
    price.memberName = "price";
    price.memberType = MemberTypes::Decimal;
    for (const auto& [precision, scale, sound] :
         {std::tuple{1, 0, true},
          {ModelCheck::kMaxDecimalPrecision, ModelCheck::kMaxDecimalScale, true},
          {18, 18, true},
          {0, 0, false},
          {ModelCheck::kMaxDecimalPrecision + 1, 0, false},
          {5, 6, false},
          {40, ModelCheck::kMaxDecimalScale + 1, false},
          {5, -1, false}}) {
        price.memberLength = precision;
        price.memberScale = scale;
        const bool refused = ModelCheck::LengthError(price, "Book").has_value() ||
                             ModelCheck::ScaleError(price, "Book").has_value();
        EXPECT_EQ(refused, !sound) << precision << "," << scale;
    }
    TMember note;
    note.memberName = "note";
    note.memberType = MemberTypes::Text;
    for (const qint64 length : {qint64(0), qint64(1), kMaxTextLength}) {
        note.memberLength = length;
        EXPECT_EQ(ModelCheck::LengthError(note, "Book"), std::nullopt) << length;
    }
    note.memberLength = kMaxTextLength + 1;
    EXPECT_EQ(ModelCheck::LengthError(note, "Book"),
              "类Book的成员note的长度4294967296超出范围: 文本型的长度必须在0到4294967295之间");
    note.memberLength = -1;
    EXPECT_TRUE(ModelCheck::LengthError(note, "Book").has_value());
    EXPECT_TRUE(ModelCheck::IsKeyType(MemberTypes::Long));
    EXPECT_EQ(ModelCheck::ScaleError(note, "Book"), std::nullopt); // only a decimal has a scale
}

// Names the generated code uses itself, which it writes qualified or renames where the model
// takes them: the framework and java.lang classes of the Actions, DAOs and domain classes, the
// locals of their methods, as class names, keys, query members and references.
TEST(ModelCheckTest, NamesTheGeneratedCodeUsesItselfPass) {
    const QStringList classes =
        QString(
            "List ArrayList Query Transaction Statement HibernateException HibernateUtil "
            "ActionContext ActionSupport TestUtil ReferenceChoices FailureLog Exception Integer "
            "Math SuppressWarnings NumberFormatException S Tx E Ctx Long Double Boolean "
            "Float Short Default Package")
            .split(' ');
    TModelBuilder hub = Sound();
    for (const QString& name : classes) {
        hub.Member("ref" + name, name, {Query});
        EXPECT_EQ(ModelCheck::ClassNameEntryError(name), std::nullopt) << name.toStdString();
    }
    for (const char* local : {"s", "hql", "q", "startIndex", "mod", "ctx", "db_book", "listDAO"})
        hub.Member(local, "字符串", {Query}, "", 10);
    for (const QString& name : classes)
        hub.Class(name).Member("id", "整型", {Key, Display});
    EXPECT_EQ(ErrorOf(hub), std::nullopt);
    for (const char* key : {"s", "tx", "e", "ctx"})
        EXPECT_EQ(ErrorOf(TModelBuilder().Class("K").Member(key, "字符串", {Key, Display}, "", 20)),
                  std::nullopt)
            << key;
}
