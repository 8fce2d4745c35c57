#include <QFileInfo>
#include <gtest/gtest.h>

#include "CodeText.h"
#include "DomainOperate.h"
#include "MappingFile.h"
#include "RunPipeline.h"
#include "TestModel.h"
#include "TextCompare.h"
#include "ViewFiles.h"

namespace {

const char* const kBookDomain = R"(package com.lib.domain;

public class Book {
    /*图书条形码*/
    private String barcode;
    public String getBarcode() {
        return barcode;
    }
    public void setBarcode(String barcode) {
        this.barcode = barcode;
    }

    /**/
    private int _count;
    public int get_count() {
        return _count;
    }
    public void set_count(int _count) {
        this._count = _count;
    }

    /*价格*/
    private float price;
    public float getPrice() {
        return price;
    }
    public void setPrice(float price) {
        this.price = price;
    }

    /*出版日期*/
    private String publishDate;
    public String getPublishDate() {
        return publishDate;
    }
    public void setPublishDate(String publishDate) {
        this.publishDate = publishDate;
    }

    /*类别*/
    private BookType bookType;
    public BookType getBookType() {
        return bookType;
    }
    public void setBookType(BookType bookType) {
        this.bookType = bookType;
    }

})";

// A many-to-one element as the mapping file writes it, without its indent.
QString ManyToOne(const QString& name, const QString& column, const QString& type,
                  const QString& comment) {
    QString text;
    CodeText::AddLines(text, 10,
                       {"<!-- 多对一属性: " + comment + " -->",
                        "<many-to-one name=\"" + name + "\"", "  column=\"" + column + "\"",
                        "  class=\"" + type + "\"", "  lazy=\"false\"", "  outer-join=\"true\"",
                        "/>", ""});
    return text;
}

} // namespace

TEST(DomainOperateTest, EveryTypeWordGivesItsJavaField) {
    const TProjectModel& model = TModelBuilder()
                                     .Class("Book")
                                     .Member("barcode", "字符串", {TFlag::Key}, "图书条形码")
                                     .Member("_count", "整型")
                                     .Member("price", "浮点型", {}, "价格")
                                     .Member("publishDate", "日期型", {}, "出版日期")
                                     .Member("bookType", "BookType", {}, "类别")
                                     .Build();
    const TGeneratedFile file =
        TDomainOperate::BuildDomainClass({model, "lib"}, model.Classes()[0]);
    EXPECT_EQ(file.path, "src/com/lib/domain/Book.java");
    EXPECT_EQ(file.text, Crlf(kBookDomain));
    EXPECT_EQ(file.encoding, TFileEncoding::Ansi);
    EXPECT_EQ(file.doneSuffix, "生成完毕!");
}

TEST(DomainOperateTest, ClassWithoutMembersHasNoFinalLineEnd) {
    const TProjectModel& model = TModelBuilder().Class("Empty").Class("_x").Build();
    const TGeneratedFiles files = TDomainOperate::GenerateDomainClasses({model, "p"});
    ASSERT_EQ(files.size(), 2);
    EXPECT_EQ(files[0].text, "package com.p.domain;\r\n\r\npublic class Empty {\r\n}");
    EXPECT_EQ(files[1].path, "src/com/p/domain/_x.java");
}

// A class displayed by a reference shows the referenced object's display text: its domain class
// reads it through the next class, and every page and look-up reads it as kShownProperty.
TEST(DomainOperateTest, DisplayReferenceReadsTheReferencedDisplayText) {
    using CodeText::kShownProperty;
    const TProjectModel& model = TModelBuilder()
                                     .Class("Shelf")
                                     .Member("id", "整型", {TFlag::Key})
                                     .Member("name", "字符串", {TFlag::Display}, "", 20)
                                     .Class("Book")
                                     .Member("isbn", "字符串", {TFlag::Key}, "", 20)
                                     .Member("shelf", "Shelf", {TFlag::Display})
                                     .Class("Loan")
                                     .Member("id", "整型", {TFlag::Key})
                                     .Member("book", "Book", {TFlag::Display, TFlag::Query})
                                     .Build();
    const TBuildContext context{model, "p"};
    const auto getter = [](const QString& call) {
        return "    /*显示值: 所引用对象的显示值*/\r\n    public Object getShown$() {\r\n"
               "        return " +
               call + ";\r\n    }\r\n\r\n}";
    };
    EXPECT_FALSE(
        TDomainOperate::BuildDomainClass(context, model.Classes()[0]).text.contains("getShown$"));
    EXPECT_TRUE(TDomainOperate::BuildDomainClass(context, model.Classes()[1])
                    .text.endsWith(getter("shelf == null ? null : shelf.getName()")));
    EXPECT_TRUE(TDomainOperate::BuildDomainClass(context, model.Classes()[2])
                    .text.endsWith(getter("book == null ? null : book.getShown$()")));
    EXPECT_EQ(CodeText::ShownProperty(model, "Shelf"), "name");
    EXPECT_EQ(CodeText::ShownProperty(model, "Book"), kShownProperty);
    const QString loanPage = ViewFiles::BuildQueryView(context, model.Classes()[2]).text;
    EXPECT_TRUE(loanPage.contains("\"#row$.book." + kShownProperty + "\""));
    EXPECT_TRUE(loanPage.contains("ReferenceChoices.Options(\"bookList\", \"isbn\", \"" +
                                  kShownProperty + "\""));
}

// The first reference of a class to another class keeps the column named after that class's
// key; a later reference to the same class gets a column of its own name.
TEST(MappingFileTest, LaterReferenceToTheSameClassGetsItsOwnColumn) {
    const TProjectModel& model = TModelBuilder()
                                     .Class("Reader")
                                     .Member("readerNo", "字符串", {TFlag::Key})
                                     .Class("Loan")
                                     .Member("id", "整型", {TFlag::Key}, "编号")
                                     .Member("borrower", "Reader", {}, "借书人")
                                     .Member("guarantor", "Reader", {}, "担保人")
                                     .Member("ghost", "Ghost")
                                     .Member("ghost2", "Ghost")
                                     .Build();
    const TGeneratedFile file = MappingFile::BuildMappingFile({model, "p"}, model.Classes()[1],
                                                              "<c>\n$hibernateContentConfigString"
                                                              "</c $className $packageName>\n");
    QString section;
    CodeText::AddLines(section, 10,
                       {"<!-- 主键编号 -->", "<id name=\"id\" column=\"id\">",
                        "  <generator class=\"native\"/>", "</id>", ""});
    section += ManyToOne("borrower", "readerNo", "Reader", "借书人") +
               ManyToOne("guarantor", "guarantor", "Reader", "担保人") +
               ManyToOne("ghost", "ghostId", "Ghost", "") +
               ManyToOne("ghost2", "ghost2", "Ghost", "");
    EXPECT_EQ(file.text, "<c>\n" + section + "</c Loan p>\n");
    EXPECT_EQ(file.path, "src/com/p/domain/Loan.hbm.xml");
    EXPECT_EQ(file.encoding, TFileEncoding::Utf8Bom);
    EXPECT_EQ(
        file.warnings,
        QStringList{"警告: Loan.ghost的类型\"Ghost\"不是本工程中有主键的类,外键列名写为ghostId"});
}

// A reference never takes a column another member has (its own key included, whatever the
// case) or one an earlier reference took: Hibernate refuses a repeated column, and every page
// of the application would fail.
TEST(MappingFileTest, ReferenceColumnNeverRepeatsAColumnOfTheClass) {
    const TProjectModel& model = TModelBuilder()
                                     .Class("Kind")
                                     .Member("id", "整型", {TFlag::Key})
                                     .Class("Shop")
                                     .Member("ID", "整型", {TFlag::Key})
                                     .Class("Tag")
                                     .Member("code", "字符串", {TFlag::Key})
                                     .Class("Item")
                                     .Member("id", "整型", {TFlag::Key})
                                     .Member("kind", "Kind")
                                     .Member("shop", "Shop")
                                     .Member("tag", "Tag")
                                     .Member("code", "字符串", {}, "", 5)
                                     .Class("Box")
                                     .Member("boxId", "整型", {TFlag::Key})
                                     .Member("kind", "Kind")
                                     .Member("shop", "Shop")
                                     .Build();
    const QString templateText = "$hibernateContentConfigString";
    const QString item =
        MappingFile::BuildMappingFile({model, "p"}, model.Classes()[3], templateText).text;
    EXPECT_TRUE(item.contains(ManyToOne("kind", "kind", "Kind", "")));
    EXPECT_TRUE(item.contains(ManyToOne("shop", "shop", "Shop", "")));
    EXPECT_TRUE(item.contains(ManyToOne("tag", "tag", "Tag", "")));
    // Where nothing clashes the referenced key names the column, as before; the second
    // reference whose key is named alike gets its own name.
    const QString box =
        MappingFile::BuildMappingFile({model, "p"}, model.Classes()[4], templateText).text;
    EXPECT_TRUE(box.contains(ManyToOne("kind", "id", "Kind", "")));
    EXPECT_TRUE(box.contains(ManyToOne("shop", "shop", "Shop", "")));
}

TEST(CodeTextTest, CaseChangesTouchOnlyAsciiLettersOfTheFirstCharacter) {
    using namespace CodeText;
    EXPECT_EQ(LowerFirst("BookType"), "bookType");
    EXPECT_EQ(UpperFirst("bookType"), "BookType");
    for (const char* same : {"_x", "9a", "图书", "", "bOOK"})
        EXPECT_EQ(LowerFirst(same), same);
    for (const char* same : {"_x", "9a", "图书", "", "Book", "ébc"})
        EXPECT_EQ(UpperFirst(same), same);
}

// A required reference cannot be stored empty: a key that names no object fails the save.
TEST(MappingFileTest, RequiredReferenceIsNotNull) {
    const TProjectModel& model = TModelBuilder()
                                     .Class("Reader")
                                     .Member("readerNo", "字符串", {TFlag::Key})
                                     .Class("Loan")
                                     .Member("id", "整型", {TFlag::Key})
                                     .Member("reader", "Reader", {TFlag::Must})
                                     .Member("guarantor", "Reader")
                                     .Build();
    const QString text = MappingFile::BuildMappingFile({model, "p"}, model.Classes()[1],
                                                       "$hibernateContentConfigString")
                             .text;
    EXPECT_TRUE(text.contains("class=\"Reader\"\r\n            not-null=\"true\"\r\n"
                              "            lazy=\"false\"\r\n"));
    EXPECT_EQ(text.count("not-null"), 1);
}

// A string key's column holds 20 characters whatever it declares: its page field takes no more,
// and a run says so for a key declared longer.
TEST(MappingFileTest, StringKeyLongerThanItsColumnIsWarnedAndCappedOnThePage) {
    const TProjectModel& model = TModelBuilder()
                                     .Class("Tag")
                                     .Member("code", "字符串", {TFlag::Key}, "编码", 30)
                                     .Member("name", "字符串", {TFlag::Display}, "", 30)
                                     .Class("Short")
                                     .Member("code", "字符串", {TFlag::Key}, "", 5)
                                     .Build();
    const TBuildContext context{model, "p"};
    const TGeneratedFile tag = MappingFile::BuildMappingFile(context, model.Classes()[0], "");
    EXPECT_EQ(tag.warnings, QStringList{"警告: Tag.code是字符串主键, 声明的长度30超过数据库列的长度"
                                        "20, 页面只接受20个字符"});
    const QString page = ViewFiles::BuildAddView(context, model.Classes()[0]).text;
    EXPECT_TRUE(page.contains("name=\"tag.code\" value=\"<s:property value=\"tag.code\"/>\" "
                              "maxlength=\"20\""));
    EXPECT_TRUE(page.contains("name=\"tag.name\" value=\"<s:property value=\"tag.name\"/>\" "
                              "maxlength=\"30\""));
    EXPECT_TRUE(MappingFile::BuildMappingFile(context, model.Classes()[1], "").warnings.isEmpty());
    EXPECT_TRUE(
        ViewFiles::BuildAddView(context, model.Classes()[1]).text.contains("maxlength=\"5\""));
}

// A preview builds one class the way the run builds it: the steps of BuildProject restricted to
// the class are exactly the class's own files of the whole build, in the same order.
TEST(RunPipelineTest, BuildRestrictedToOneClassGivesThatClassFilesOfTheWholeBuild) {
    const TProjectModel model = TModelBuilder()
                                    .Class("BookType")
                                    .Member("typeId", "整型", {TFlag::Key})
                                    .Member("typeName", "字符串", {TFlag::Display})
                                    .Class("Book")
                                    .Member("barcode", "字符串", {TFlag::Key, TFlag::Query})
                                    .Member("title", "字符串", {TFlag::Display})
                                    .Member("bookType", "BookType", {TFlag::Must})
                                    .Build();
    const RunPipeline::TRunInput input{model, "shop", "lib", {}};
    const RunPipeline::TRunSteps whole = RunPipeline::BuildProject(input);
    const qint64 bookId = model.FindClass("Book")->classId;
    const RunPipeline::TRunSteps book = RunPipeline::BuildProject(input, bookId);
    QStringList expected;
    for (const RunPipeline::TRunStep& step : whole)
        if (step.WritesFile() && QFileInfo(step.file.path).completeBaseName().startsWith("Book") &&
            !QFileInfo(step.file.path).completeBaseName().startsWith("BookType"))
            expected << step.file.path + "\n" + step.file.text;
    QStringList built;
    for (const RunPipeline::TRunStep& step : book) {
        ASSERT_TRUE(step.WritesFile());
        built << step.file.path + "\n" + step.file.text;
    }
    EXPECT_EQ(built.size(), 9); // mapping, three Java sources, two validation files, three views
    EXPECT_EQ(built, expected);
    EXPECT_EQ(RunPipeline::PlannedFiles(book), 9);
}

// The columns of the new words per database kind: PostgreSQL's typed columns take the text
// cast (a bound varchar is refused there), MariaDB/MySQL's take it as it is; a long text's
// MariaDB column holds its declared four-byte characters; a long key keeps its generator.
TEST(MappingFileTest, NewWordsGetTheirColumnsOnBothDatabaseKinds) {
    TClassModel event = TModelBuilder()
                            .Class("Event")
                            .Member("eventId", "长整型", {TFlag::Key})
                            .Member("at", "日期时间型", {TFlag::Must})
                            .Member("price", "小数型", {TFlag::Must}, "", 18)
                            .Member("note", "文本型", {}, "", 65535 / 4 + 1)
                            .Member("done", "布尔型", {TFlag::Must})
                            .Build()
                            .Classes()[0];
    event.members[2].memberScale = 4;
    TProjectModel model(1);
    model.AddClass(event);
    const QString templateText = "$hibernateContentConfigString";
    const QString maria =
        MappingFile::BuildMappingFile({model, "p"}, model.Classes()[0], templateText).text;
    EXPECT_TRUE(maria.contains("<id name=\"eventId\" column=\"eventId\" type=\"long\">"));
    EXPECT_TRUE(maria.contains("<generator class=\"native\"/>"));
    EXPECT_TRUE(maria.contains("<column name=\"at\" sql-type=\"datetime\"/>"));
    EXPECT_TRUE(maria.contains("<column name=\"price\" sql-type=\"decimal(18,4)\"/>"));
    EXPECT_TRUE(maria.contains("<column name=\"note\" sql-type=\"mediumtext\"/>"));
    EXPECT_TRUE(maria.contains("<column name=\"done\" sql-type=\"boolean\"/>"));
    model.SetDatabase({TDatabaseKind::PostgreSql, QString()});
    const QString postgres =
        MappingFile::BuildMappingFile({model, "p"}, model.Classes()[0], templateText).text;
    EXPECT_TRUE(postgres.contains(
        "<column name=\"at\" sql-type=\"timestamp\" write=\"cast(? as timestamp)\"/>"));
    EXPECT_TRUE(postgres.contains(
        "<column name=\"price\" sql-type=\"numeric(18,4)\" write=\"cast(? as numeric(18,4))\"/>"));
    EXPECT_TRUE(postgres.contains("<column name=\"note\" sql-type=\"text\"/>"));
    EXPECT_FALSE(postgres.contains("mediumtext"));
}
