#include <gtest/gtest.h>

#include "GeneratorTestSupport.h"
#include "TestModel.h"
#include "ViewFiles.h"

namespace {

using enum TFlag;

// A shelf numbered by the database, and a book on a shelf, found by its title and shelf.
TProjectModel Library() {
    return TModelBuilder()
        .Class("Shelf", "书架")
        .Member("shelfId", "整型", {Key, Must})
        .Member("label", "字符串", {Display, Must}, "", 30)
        .Class("Book")
        .Member("isbn", "字符串", {Key, Must}, "书号", 13)
        .Member("title", "字符串", {Query, Display}, "书名<%=x%> ${y}", 80)
        .Member("shelf", "Shelf", {Query, Must}, "书架")
        .Member("price", "浮点型", {Must, Hidden}, "价格")
        .Build();
}

QString Line(const QString& text, const QString& start) {
    for (const QString& line : text.split("\r\n"))
        if (line.startsWith(start))
            return line;
    return "<no line starting with " + start + ">";
}

} // namespace

TEST(ViewFilesTest, AddFormHasAFieldPerMemberButTheNumberedKey) {
    const TProjectModel model = Library();
    const TBuildContext context{model, "lib"};
    const TGeneratedFile shelf = ViewFiles::BuildAddView(context, model.Classes()[0]);
    EXPECT_EQ(shelf.path, "WebRoot/Shelf_add.jsp");
    EXPECT_EQ(shelf.encoding, TFileEncoding::Utf8);
    EXPECT_TRUE(
        shelf.text.startsWith("<%-- 此文件由Brennoquill生成; 删除本行后, 再次生成时将保留此文件 "
                              "--%>\r\n<%@ page language=\"java\" contentType=\"text/"
                              "html; charset=UTF-8\" pageEncoding=\"UTF-8\"%>\r\n"));
    EXPECT_FALSE(shelf.text.contains("shelf.shelfId"));
    EXPECT_EQ(Line(shelf.text, "<tr><td>label"),
              "<tr><td>label<span class=\"must\">*</span></td><td><input type=\"text\" "
              "name=\"shelf.label\" value=\"<s:property value=\"shelf.label\"/>\" maxlength=\"30\" "
              "required></td></tr>");
    const TGeneratedFile book = ViewFiles::BuildAddView(context, model.Classes()[1]);
    EXPECT_TRUE(
        book.text.contains("<form method=\"post\" action=\"<%=path%>/Book/Book_AddBook.action\">"));
    EXPECT_TRUE(book.text.contains("name=\"book.isbn\""));
    // The list is read when the Action did not put it (the input result).
    EXPECT_TRUE(book.text.contains(
        "get(\"shelfList\") == null) com.opensymphony.xwork2.ActionContext.getContext().put("
        "\"shelfList\", new com.lib.dao.ShelfDAO().QueryShelfChoices(201)); %>"));
    EXPECT_EQ(Line(book.text, "<tr><td>书架"),
              "<tr><td>书架<span class=\"must\">*</span></td><td>"
              // Above 200 rows of Shelf, a field for its key with suggestions from the look-up
              // action instead of a whole-table list.
              "<s:if test=\"#shelfList.size() > 200\"><input type=\"number\" "
              "name=\"book.shelf.shelfId\" value=\"<s:property value=\"book.shelf.shelfId\"/>\" "
              "placeholder=\"Shelf的主键\" list=\"book.shelf.shelfId.choices\" "
              "data-lookup=\"<%=path%>/Shelf/Shelf_LookupShelf.action\" autocomplete=\"off\" "
              "required><datalist id=\"book.shelf.shelfId.choices\"></datalist></s:if><s:else>"
              // The options are written by Java code that reads the chosen key once.
              "<select name=\"book.shelf.shelfId\" required><%= "
              "com.lib.utils.ReferenceChoices.Options(\"shelfList\", \"shelfId\", \"label\", "
              "\"book.shelf.shelfId\") %>"
              "</select></s:else></td></tr>");
    EXPECT_EQ(Line(book.text, "<tr><td>价格"),
              "<tr><td>价格<span class=\"must\">*</span></td><td><input type=\"number\" "
              "step=\"any\" name=\"book.price\" value=\"<s:property value=\"book.price\"/>\" "
              "required></td></tr>");
    // A comment cannot run code in the page.
    EXPECT_TRUE(book.text.contains("<tr><td>书名&lt;%=x%&gt; &#36;{y}</td>"));
}

TEST(ViewFilesTest, QueryPageSearchesResultsAndPages) {
    const TProjectModel model = Library();
    const TBuildContext context{model, "lib"};
    const QString text = ViewFiles::BuildQueryView(context, model.Classes()[1]).text;
    EXPECT_TRUE(
        text.contains("<form method=\"get\" action=\"<%=path%>/Book/Book_QueryBook.action\">"));
    EXPECT_TRUE(text.contains("<input type=\"text\" name=\"title\" value=\"<s:property "
                              "value=\"#title\"/>\">"));
    EXPECT_TRUE(text.contains("<select name=\"shelf.shelfId\"><option value=\"0\">全部</option><%= "
                              "com.lib.utils.ReferenceChoices.Options(\"shelfList\", \"shelfId\", "
                              "\"label\", \"#shelf.shelfId\") %></select>"));
    // The hidden price has no column; a reference shows its display member.
    EXPECT_EQ(Line(text, "<tr><th>"),
              "<tr><th>书号</th><th>书名&lt;%=x%&gt; &#36;{y}</th><th>书架</th><th>操作</th></tr>");
    EXPECT_TRUE(text.contains("<td><s:property value=\"#row$.shelf.label\"/></td><td>"));
    EXPECT_TRUE(text.contains("<a href=\"<s:url action=\"Book_ModifyBookQuery\" "
                              "namespace=\"/Book\"><s:param name=\"isbn\" value=\"#row$.isbn\"/>"
                              "</s:url>\">修改</a>"));
    EXPECT_TRUE(text.contains("<span class=\"paging\">共<b><s:property value=\"#recordNumber\"/>"
                              "</b>条记录 第<b><s:property value=\"#currentPage\"/></b>/<b>"
                              "<s:property value=\"#totalPage\"/></b>页</span>"));
    EXPECT_TRUE(text.contains("<s:param name=\"title\" value=\"#title\"/><s:param "
                              "name=\"shelf.shelfId\" value=\"#shelf == null ? 0 : "
                              "#shelf.shelfId\"/><s:param name=\"currentPage\" "
                              "value=\"#currentPage + 1\"/></s:url>\">下一页</a></s:if>"));
}

TEST(ViewFilesTest, QueryPageDeletesThroughASmallPostFormWithTheSessionToken) {
    const TProjectModel model = Library();
    const TBuildContext context{model, "lib"};
    const QString text = ViewFiles::BuildQueryView(context, model.Classes()[1]).text;
    EXPECT_FALSE(text.contains("Book_DeleteBook\" namespace"));
    EXPECT_TRUE(text.contains(
        "<form class=\"delete\" method=\"post\" action=\"<%=path%>/Book/Book_DeleteBook.action\" "
        "style=\"display: inline\" onsubmit=\"return confirm('确定删除吗?');\">"
        "<input type=\"hidden\" name=\"isbn\" value=\"<s:property value=\"#row$.isbn\"/>\">"
        "<input type=\"hidden\" name=\"csrfToken\" value=\"${sessionScope.csrfToken}\">"
        "<input type=\"submit\" value=\"删除\"></form></td></tr>"));
}

TEST(ViewFilesTest, AddAndModifyFormsCarryTheSessionToken) {
    const TProjectModel model = Library();
    const TBuildContext context{model, "lib"};
    const QString token =
        "<input type=\"hidden\" name=\"csrfToken\" value=\"${sessionScope.csrfToken}\">";
    for (const QString& text : {ViewFiles::BuildAddView(context, model.Classes()[1]).text,
                                ViewFiles::BuildModifyView(context, model.Classes()[1]).text}) {
        const qsizetype form = text.indexOf("<form method=\"post\"");
        ASSERT_GE(form, 0);
        EXPECT_EQ(text.indexOf(token), text.indexOf('\n', form) + 1);
        EXPECT_EQ(text.count(token), 1);
    }
}

// The form shows the Action's object: the stored one, or the one a refused request carried
// (its path is the field's name, so a value Struts could not convert is shown as typed).
TEST(ViewFilesTest, ModifyFormShowsTheObjectOfTheActionWithAReadOnlyKey) {
    const TProjectModel model = Library();
    const TBuildContext context{model, "lib"};
    const QString shelf = ViewFiles::BuildModifyView(context, model.Classes()[0]).text;
    EXPECT_TRUE(shelf.contains("<input type=\"number\" step=\"1\" name=\"shelf.shelfId\" "
                               "value=\"<s:property value=\"shelf.shelfId\"/>\" required "
                               "readonly>"));
    const QString book = ViewFiles::BuildModifyView(context, model.Classes()[1]).text;
    EXPECT_TRUE(book.contains("action=\"<%=path%>/Book/Book_ModifyBook.action\""));
    EXPECT_TRUE(book.contains("name=\"book.price\" value=\"<s:property value=\"book.price\"/>\""));
    EXPECT_TRUE(book.contains("ReferenceChoices.Options(\"shelfList\", \"shelfId\", \"label\", "
                              "\"book.shelf.shelfId\")"));
    // A page with a reference ends with the script that fills the key field's suggestions.
    EXPECT_TRUE(book.endsWith("</script>\r\n</body>\r\n</html>\r\n"));
    EXPECT_FALSE(shelf.contains("<script>"));
}

TEST(ViewFilesTest, MenuLinksEveryClassByItsChineseName) {
    const TProjectModel model = Library();
    const TGeneratedFile menu = ViewFiles::BuildMenu({model, "lib"});
    EXPECT_EQ(menu.path, "WebRoot/menu.jsp");
    EXPECT_TRUE(menu.text.endsWith(
        "<ul class=\"menu\">\r\n"
        "  <li>书架: <a href=\"<%=menuPath%>/Shelf/Shelf_AddView.action\">添加</a> <a "
        "href=\"<%=menuPath%>/Shelf/Shelf_QueryShelf.action\">查询</a></li>\r\n"
        "  <li>Book: <a href=\"<%=menuPath%>/Book/Book_AddView.action\">添加</a> <a "
        "href=\"<%=menuPath%>/Book/Book_QueryBook.action\">查询</a></li>\r\n"
        "</ul>\r\n"));
    EXPECT_EQ(ViewFiles::PageText("a<b>&\"c\" ${x} #{y}"),
              "a&lt;b&gt;&amp;&quot;c&quot; &#36;{x} &#35;{y}");
}

class WebFilesRunTest : public GeneratorTest {};

// A generated view or build file is replaced while its first line has the mark, and kept
// once the user took the mark away.
TEST_F(WebFilesRunTest, FilesWithoutTheMarkAreKept) {
    MakeBak();
    WriteTemplate("pom.xml",
                  "<!-- 此文件由Brennoquill生成 -->\n<groupId>com.$packageName</groupId>");
    const int project = AddProject("P");
    AddKeyOnlyClass(project, "A");
    ASSERT_EQ(Run(project).events, QStringList{"finished"});
    EXPECT_EQ(Read("projects/P/pom.xml"),
              "<!-- 此文件由Brennoquill生成 -->\r\n<groupId>com.pkg</groupId>\r\n");
    EXPECT_FALSE(Exists("projects/P/README.txt")); // no template, no file
    const QByteArray view = Read("projects/P/WebRoot/A_add.jsp");
    Write("projects/P/WebRoot/A_add.jsp", "<p>mine</p>\n" + view);
    Write("projects/P/WebRoot/A_modify.jsp", view.left(view.indexOf('\n') + 1) + "edited");
    Write("projects/P/pom.xml", "<project>mine</project>");

    const TRecordingListener again = Run(project);
    EXPECT_EQ(again.events, QStringList{"finished"});
    EXPECT_TRUE(again.lines.contains(
        "保留已修改的文件: projects/P/WebRoot/A_add.jsp (首行已没有生成标记)"));
    EXPECT_TRUE(again.lines.contains("保留已修改的文件: projects/P/pom.xml (首行已没有生成标记)"));
    EXPECT_TRUE(again.lines.contains("projects/P/WebRoot/A_modify.jsp生成完毕!"));
    EXPECT_EQ(Read("projects/P/WebRoot/A_add.jsp"), "<p>mine</p>\n" + view);
    EXPECT_EQ(Read("projects/P/pom.xml"), "<project>mine</project>");
    EXPECT_NE(Read("projects/P/WebRoot/A_modify.jsp"),
              view.left(view.indexOf('\n') + 1) + "edited");
}
