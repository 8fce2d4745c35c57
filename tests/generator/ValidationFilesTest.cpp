#include <gtest/gtest.h>

#include "TestModel.h"
#include "TextCompare.h"
#include "ValidationFiles.h"

namespace {

using enum TFlag;

// A shelf numbered by the database; a book with a member of every kind, required or not.
TProjectModel Library() {
    return TModelBuilder()
        .Class("Shelf", "书架")
        .Member("shelfId", "整型", {Key, Display}, "编号")
        .Class("Book")
        .Member("isbn", "字符串", {Key}, "书号", 30)
        .Member("title", "字符串", {Display, Must}, "书名<&>\n", 80)
        .Member("note", "字符串", {}, "备注")
        .Member("shelf", "Shelf", {Must}, "书架")
        .Member("price", "浮点型", {Must}, "价格")
        .Member("count", "整型")
        .Member("published", "日期型", {Must}, "出版日期")
        .Build();
}

const char* const kHead = R"(<?xml version="1.0" encoding="GBK"?>
<!DOCTYPE validators PUBLIC
        "-//Apache Struts//XWork Validator 1.0.3//EN"
        "http://struts.apache.org/dtds/xwork-validator-1.0.3.dtd">
<!--
)";

// The string key takes no more than its column holds (20); a text without a length and an
// optional reference to a class with a string key have nothing to check.
const char* const kBookFields = R"(<validators>
    <field name="book.isbn">
        <field-validator type="formvalue" short-circuit="true">
            <param name="check">required</param>
            <message>请输入书号</message>
        </field-validator>
        <field-validator type="formvalue">
            <param name="check">maxlength</param>
            <param name="maxLength">20</param>
            <message>书号不能超过20个字符</message>
        </field-validator>
    </field>
    <field name="book.title">
        <field-validator type="formvalue" short-circuit="true">
            <param name="check">required</param>
            <message>请输入书名&lt;&amp;&gt; </message>
        </field-validator>
        <field-validator type="formvalue">
            <param name="check">maxlength</param>
            <param name="maxLength">80</param>
            <message>书名&lt;&amp;&gt; 不能超过80个字符</message>
        </field-validator>
    </field>
    <field name="book.shelf.shelfId">
        <field-validator type="formvalue" short-circuit="true">
            <param name="check">required</param>
            <message>请选择书架</message>
        </field-validator>
        <field-validator type="formvalue">
            <param name="check">int</param>
            <message>请从列表中选择书架</message>
        </field-validator>
    </field>
    <field name="book.price">
        <field-validator type="formvalue" short-circuit="true">
            <param name="check">required</param>
            <message>请输入价格</message>
        </field-validator>
        <field-validator type="formvalue">
            <param name="check">float</param>
            <message>价格必须是数字</message>
        </field-validator>
    </field>
    <field name="book.count">
        <field-validator type="formvalue">
            <param name="check">int</param>
            <message>count必须是-2147483648到2147483647之间的整数</message>
        </field-validator>
    </field>
    <field name="book.published">
        <field-validator type="formvalue" short-circuit="true">
            <param name="check">required</param>
            <message>请输入出版日期</message>
        </field-validator>
        <field-validator type="formvalue">
            <param name="check">date</param>
            <message>出版日期必须是有效的日期(yyyy-MM-dd)</message>
        </field-validator>
    </field>
</validators>
)";

QString Comment(const QString& doing, const QString& action) {
    return "    " + doing + "的请求 " + action +
           ".action 的校验规则:\r\n"
           "    与模型中成员的定义一致, 由 validators.xml 中注册的 formvalue 校验器检查。\r\n"
           "    校验失败时回到原来的表单, 显示用户填写的值和错误信息。\r\n-->\r\n";
}

} // namespace

TEST(ValidationFilesTest, AddAndModifyOfAClassWithAStringKeyCheckEveryField) {
    const TProjectModel model = Library();
    const TBuildContext context{model, "lib"};
    const TGeneratedFile add = ValidationFiles::BuildAddValidation(context, model.Classes()[1]);
    EXPECT_EQ(add.path, "src/com/lib/action/BookAction-Book_AddBook-validation.xml");
    EXPECT_EQ(add.encoding, TFileEncoding::Ansi);
    EXPECT_EQ(add.doneSuffix, "生成完毕!");
    EXPECT_EQ(add.text, Crlf(kHead) + Comment("添加Book", "Book_AddBook") + Crlf(kBookFields));
    const TGeneratedFile modify =
        ValidationFiles::BuildModifyValidation(context, model.Classes()[1]);
    EXPECT_EQ(modify.path, "src/com/lib/action/BookAction-Book_ModifyBook-validation.xml");
    EXPECT_EQ(modify.text,
              Crlf(kHead) + Comment("修改Book", "Book_ModifyBook") + Crlf(kBookFields));
}

// The numbered key is no field of the add form; the file still holds a check, as the DTD asks.
TEST(ValidationFilesTest, NumberedKeyIsCheckedOnModifyOnly) {
    const TProjectModel model = Library();
    const TBuildContext context{model, "lib"};
    const TGeneratedFile add = ValidationFiles::BuildAddValidation(context, model.Classes()[0]);
    EXPECT_EQ(add.text, Crlf(kHead) + Comment("添加Shelf", "Shelf_AddShelf") + Crlf(R"(<validators>
    <!-- 表单中没有要检查的字段 -->
    <validator type="expression">
        <param name="expression">true</param>
        <message></message>
    </validator>
</validators>
)"));
    const TGeneratedFile modify =
        ValidationFiles::BuildModifyValidation(context, model.Classes()[0]);
    EXPECT_EQ(modify.text,
              Crlf(kHead) + Comment("修改Shelf", "Shelf_ModifyShelf") + Crlf(R"(<validators>
    <field name="shelf.shelfId">
        <field-validator type="formvalue" short-circuit="true">
            <param name="check">required</param>
            <message>请输入编号</message>
        </field-validator>
        <field-validator type="formvalue">
            <param name="check">int</param>
            <message>编号必须是-2147483648到2147483647之间的整数</message>
        </field-validator>
    </field>
</validators>
)"));
    const TGeneratedFiles all = ValidationFiles::GenerateValidationFiles(context);
    ASSERT_EQ(all.size(), 4);
    EXPECT_EQ(all[1].path, modify.path);
    EXPECT_EQ(all[2].path, "src/com/lib/action/BookAction-Book_AddBook-validation.xml");
}

// A long integer is checked by the validator "typevalue", whose registration and class come
// with the model's files only when a long integer (or a reference to a class keyed by one) is
// there to check; a preview of one class never carries them.
TEST(ValidationFilesTest, LongIntegersBringTheirValidatorAlong) {
    const TProjectModel plain = Library();
    const TBuildContext plainContext{plain, "lib"};
    EXPECT_EQ(ValidationFiles::GenerateValidationFiles(plainContext).size(),
              2 * plain.Classes().size());
    const TProjectModel model = TModelBuilder()
                                    .Class("Order")
                                    .Member("orderId", "长整型", {Key, Display}, "单号")
                                    .Class("Line")
                                    .Member("lineId", "整型", {Key})
                                    .Member("order", "Order", {Must}, "订单")
                                    .Build();
    const TBuildContext context{model, "shop"};
    const TGeneratedFiles all = ValidationFiles::GenerateValidationFiles(context);
    ASSERT_EQ(all.size(), 2 * model.Classes().size() + 2);
    const QString registration = all[all.size() - 2].text;
    const TGeneratedFile validator = all.last();
    EXPECT_TRUE(all[all.size() - 2].path.endsWith("-validators.xml"));
    EXPECT_TRUE(registration.contains("class=\"com." +
                                      validator.path.mid(8).chopped(5).replace('/', '.') + "\""));
    EXPECT_TRUE(validator.text.startsWith("package com.shop.utils;"));
    const QString modifyOrder = all[1].text;
    EXPECT_TRUE(modifyOrder.contains(Crlf(R"(<field-validator type="typevalue">
            <param name="check">long</param>
            <message>单号必须是-9223372036854775808到9223372036854775807之间的整数</message>)")));
    EXPECT_TRUE(all[2].text.contains("<message>请从列表中选择订单</message>"));
    const TBuildContext preview{model, "shop", model.Classes()[0].classId};
    EXPECT_EQ(ValidationFiles::GenerateValidationFiles(preview).size(), 2);
}
