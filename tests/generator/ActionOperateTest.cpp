#include <gtest/gtest.h>

#include <QRegularExpression>
#include <stdexcept>

#include "ActionOperate.h"
#include "CodeText.h"
#include "TestModel.h"
#include "TextCompare.h"

namespace {

const QString S = MemberTypes::String;
const QString I = MemberTypes::Integer;
const QString D = MemberTypes::Date;

// The text from the first line starting with `from` up to the line starting with `to`.
QString Slice(const QString& text, const QString& from, const QString& to) {
    const qsizetype start = text.indexOf(from);
    const qsizetype end = text.indexOf(to, start);
    return start < 0 || end < 0 ? QStringLiteral("<not found>") : text.mid(start, end - start);
}

QString ActionText(const TProjectModel& model, const QString& className = "Book") {
    return TActionOperate::BuildActionClass({model, "pkg"}, *model.FindClass(className)).text;
}

// The imports after the class's own, and the properties before the paging ones.
QString ReferenceImports(const QString& text) {
    return Slice(text, "import com.pkg.domain.Book;", "import com.pkg.test.TestUtil;");
}
QString MemberProperties(const QString& text) {
    return Slice(text, "public class", "    /*当前第几页*/");
}
QString KeyProperty(const QString& text) {
    return Slice(text, "        return totalPage;", "    /*当前查询的总记录数目*/");
}

// Referenced classes: one with an integer key, one with a text key.
TModelBuilder& AddReferencedClasses(TModelBuilder& builder) {
    return builder.Class("Publisher")
        .Member("id", I, {TFlag::Key})
        .Class("Author")
        .Member("authorNo", S, {TFlag::Key})
        .Class("Book")
        .Member("id", I, {TFlag::Key});
}

TEST(ActionOperateTest, ClassWithOnlyIntegerKeyWritesWholeFile) {
    TModelBuilder builder;
    builder.Class("Book").Member("id", I, {TFlag::Key}, "编号");
    const TProjectModel& model = builder.Build();
    const TGeneratedFile file =
        TActionOperate::BuildActionClass({model, "pkg"}, model.Classes()[0]);
    EXPECT_EQ(file.path, "src/com/pkg/action/BookAction.java");
    EXPECT_EQ(file.encoding, TFileEncoding::Ansi);
    EXPECT_EQ(file.doneSuffix, kJavaDone);
    EXPECT_TRUE(file.warnings.isEmpty());
    EXPECT_EQ(file.text, Crlf(R"java(package com.pkg.action;

import java.util.List;
import com.opensymphony.xwork2.ActionContext;
import com.opensymphony.xwork2.ActionSupport;
import com.pkg.dao.BookDAO;
import com.pkg.domain.Book;
import com.pkg.test.TestUtil;
import com.pkg.utils.ReferenceChoices;
import com.pkg.utils.FailureLog;

public class BookAction extends ActionSupport {

    /*当前第几页*/
    private int currentPage;
    public void setCurrentPage(int currentPage) {
        this.currentPage = currentPage;
    }
    public int getCurrentPage() {
        return currentPage;
    }

    /*一共多少页*/
    private int totalPage;
    public void setTotalPage(int totalPage) {
        this.totalPage = totalPage;
    }
    public int getTotalPage() {
        return totalPage;
    }

    private int id;
    public void setId(int id) {
        this.id = id;
    }
    public int getId() {
        return id;
    }

    /*当前查询的总记录数目*/
    private int recordNumber;
    public void setRecordNumber(int recordNumber) {
        this.recordNumber = recordNumber;
    }
    public int getRecordNumber() {
        return recordNumber;
    }

    /*业务层对象*/
    BookDAO bookDAO = new BookDAO();

    /*待操作的Book对象*/
    private Book book;
    public void setBook(Book book) {
        this.book = book;
    }
    public Book getBook() {
        return this.book;
    }

    /*跳转到添加Book视图*/
    public String AddView() {
        ActionContext ctx = ActionContext.getContext();
        return "add_view";
    }

    /*添加Book信息*/
    @SuppressWarnings("deprecation")
    public String AddBook() {
        ActionContext ctx = ActionContext.getContext();
        /*添加页面没有要填写的字段, 请求中没有Book对象*/
        if(null == book) book = new Book();
        try {
            bookDAO.AddBook(book);
            ctx.put("message",  java.net.URLEncoder.encode("Book添加成功!"));
            return "add_success";
        } catch (Exception e) {
            FailureLog.Log(e);
            ctx.put("error",  java.net.URLEncoder.encode("Book添加失败!"));
            return "error";
        }
    }

    /*查询Book信息*/
    public String QueryBook() {
        if(currentPage < 1) currentPage = 1;
        List<Book> bookList = bookDAO.QueryBookInfo(currentPage);
        /*计算总的页数和总的记录数*/
        bookDAO.CalculateTotalPageAndRecordNumber();
        /*获取到总的页码数目*/
        totalPage = bookDAO.getTotalPage();
        /*页码超过最后一页时显示最后一页 (DAO 已按最后一页查询)*/
        if(currentPage > totalPage) currentPage = Math.max(totalPage, 1);
        /*当前查询条件下总记录数*/
        recordNumber = bookDAO.getRecordNumber();
        ActionContext ctx = ActionContext.getContext();
        ctx.put("bookList",  bookList);
        ctx.put("totalPage", totalPage);
        ctx.put("recordNumber", recordNumber);
        ctx.put("currentPage", currentPage);
        return "query_view";
    }

    /*查询要修改的Book信息*/
    public String ModifyBookQuery() {
        ActionContext ctx = ActionContext.getContext();
        /*根据主键id获取Book对象*/
        Book book = bookDAO.GetBookById(id);
        this.book = book;

        ctx.put("book",  book);
        return "modify_view";
    }

    /*更新修改Book信息*/
    @com.opensymphony.xwork2.interceptor.annotations.InputConfig(resultName = "modify_view")
    public String ModifyBook() {
        ActionContext ctx = ActionContext.getContext();
        try {
            bookDAO.UpdateBook(book);
            ctx.put("message",  java.net.URLEncoder.encode("Book信息更新成功!"));
            return "modify_success";
        } catch (Exception e) {
            FailureLog.Log(e);
            ctx.put("error",  java.net.URLEncoder.encode("Book信息更新失败!"));
            return "error";
       }
   }

    /*删除Book信息*/
    public String DeleteBook() {
        ActionContext ctx = ActionContext.getContext();
        try { 
            bookDAO.DeleteBook(id);
            ctx.put("message",  java.net.URLEncoder.encode("Book删除成功!"));
            return "delete_success";
        } catch (Exception e) { 
            FailureLog.Log(e);
            ctx.put("error",  java.net.URLEncoder.encode("Book删除失败!"));
            return "error";
        }
    }

    /*输入主键时的提示: 以JSON写回主键或显示值以所填文字开头的前几个Book*/
    public String LookupBook() {
        List<Book> bookList = bookDAO.QueryBookLookup(ReferenceChoices.Term(), ReferenceChoices.LOOKUP_LIMIT);
        ReferenceChoices.Reply(bookList, "id", "toString()");
        return "none";
    }

}
)java"));
}

TEST(ActionOperateTest, GeneratesOneFilePerClassInOrder) {
    TModelBuilder builder;
    builder.Class("Zoo").Member("id", I, {TFlag::Key}).Class("Ape").Member("id", I, {TFlag::Key});
    const TProjectModel& model = builder.Build();
    const TGeneratedFiles files = TActionOperate::GenerateActionClasses({model, "pkg"});
    ASSERT_EQ(files.size(), 2);
    EXPECT_EQ(files[0].path, "src/com/pkg/action/ZooAction.java");
    EXPECT_EQ(files[1].path, "src/com/pkg/action/ApeAction.java");
    EXPECT_TRUE(TActionOperate::GenerateActionClasses({TProjectModel(), "pkg"}).isEmpty());
}

TEST(ActionOperateTest, ClassWithoutKeyIsRefused) {
    TModelBuilder builder;
    builder.Class("Book").Member("title", S, {TFlag::Query});
    const TProjectModel& model = builder.Build();
    for (auto build : {&TActionOperate::BuildAddAction, &TActionOperate::BuildModifyQueryAction,
                       &TActionOperate::BuildDeleteAction}) {
        try {
            build({model, "pkg"}, model.Classes()[0]);
            ADD_FAILURE() << "no error";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "类Book没有主键成员");
        }
    }
    EXPECT_THROW(ActionText(model), std::runtime_error);
}

TEST(ActionOperateTest, StringKeyThatIsQueryMemberGetsCommentedPropertyAndDuplicateTest) {
    TModelBuilder builder;
    builder.Class("Book").Member("isbn", S, {TFlag::Key, TFlag::Query}, "书号");
    const TProjectModel& model = builder.Build();
    const QString text = ActionText(model);
    EXPECT_EQ(MemberProperties(text), Crlf(R"(public class BookAction extends ActionSupport {

    /*界面层需要查询的属性: 书号*/
    private String isbn;
    public void setIsbn(String isbn) {
        this.isbn = isbn;
    }
    public String getIsbn() {
        return this.isbn;
    }

)"));
    EXPECT_EQ(KeyProperty(text), Crlf("        return totalPage;\n    }\n\n"));
    EXPECT_EQ(TActionOperate::BuildAddAction({model, "pkg"}, model.Classes()[0]),
              Crlf(R"(    /*添加Book信息*/
    @SuppressWarnings("deprecation")
    public String AddBook() {
        ActionContext ctx = ActionContext.getContext();
        /*验证书号是否已经存在*/
        String isbn = book.getIsbn();
        Book db_book = bookDAO.GetBookByIsbn(isbn);
        if(null != db_book) {
            ctx.put("error",  java.net.URLEncoder.encode("该书号已经存在!"));
            return "error";
        }
        try {
            bookDAO.AddBook(book);
            ctx.put("message",  java.net.URLEncoder.encode("Book添加成功!"));
            return "add_success";
        } catch (Exception e) {
            FailureLog.Log(e);
            ctx.put("error",  java.net.URLEncoder.encode("Book添加失败!"));
            return "error";
        }
    }

)"));
}

TEST(ActionOperateTest, StringKeyThatIsNoQueryMemberGetsStringPropertyWithoutComment) {
    TModelBuilder builder;
    builder.Class("Book").Member("isbn", S, {TFlag::Key}, "书号");
    const QString text = ActionText(builder.Build());
    EXPECT_EQ(MemberProperties(text), Crlf("public class BookAction extends ActionSupport {\n\n"));
    EXPECT_EQ(KeyProperty(text), Crlf(R"(        return totalPage;
    }

    private String isbn;
    public void setIsbn(String isbn) {
        this.isbn = isbn;
    }
    public String getIsbn() {
        return isbn;
    }

)"));
}

TEST(ActionOperateTest, QueryPassesEveryQueryMemberAndFillsDropDowns) {
    TModelBuilder builder;
    AddReferencedClasses(builder)
        .Member("title", S, {TFlag::Query}, "书名")
        .Member("pages", I)
        .Member("published", D, {TFlag::Query}, "出版日期")
        .Member("publisher", "Publisher", {TFlag::Query}, "出版社");
    const TProjectModel& model = builder.Build();
    EXPECT_EQ(TActionOperate::BuildQueryAction({model, "pkg"}, *model.FindClass("Book")),
              Crlf(R"(    /*查询Book信息*/
    public String QueryBook() {
        if(currentPage < 1) currentPage = 1;
        if(title == null) title = "";
        if(published == null) published = "";
        List<Book> bookList = bookDAO.QueryBookInfo(title, published, publisher, currentPage);
        /*计算总的页数和总的记录数*/
        bookDAO.CalculateTotalPageAndRecordNumber(title, published, publisher);
        /*获取到总的页码数目*/
        totalPage = bookDAO.getTotalPage();
        /*页码超过最后一页时显示最后一页 (DAO 已按最后一页查询)*/
        if(currentPage > totalPage) currentPage = Math.max(totalPage, 1);
        /*当前查询条件下总记录数*/
        recordNumber = bookDAO.getRecordNumber();
        ActionContext ctx = ActionContext.getContext();
        ctx.put("bookList",  bookList);
        ctx.put("totalPage", totalPage);
        ctx.put("recordNumber", recordNumber);
        ctx.put("currentPage", currentPage);
        ctx.put("title", title);
        ctx.put("published", published);
        ctx.put("publisher", publisher);
        PublisherDAO publisherDAO = new PublisherDAO();
        List<Publisher> publisherList = publisherDAO.QueryPublisherChoices(201);
        ctx.put("publisherList", publisherList);
        return "query_view";
    }

)"));
    const QString text = ActionText(model);
    EXPECT_TRUE(MemberProperties(text).contains(Crlf(R"(
    /*界面层需要查询的属性: 出版日期*/
    private String published;
    public void setPublished(String published) {
)")));
}

TEST(ActionOperateTest, QueryWithOneDateMember) {
    TModelBuilder builder;
    builder.Class("Book").Member("id", I, {TFlag::Key}).Member("published", D, {TFlag::Query});
    const TProjectModel& model = builder.Build();
    const QString query = TActionOperate::BuildQueryAction({model, "pkg"}, model.Classes()[0]);
    EXPECT_TRUE(query.contains(Crlf(R"(        if(published == null) published = "";
        List<Book> bookList = bookDAO.QueryBookInfo(published, currentPage);
        /*计算总的页数和总的记录数*/
        bookDAO.CalculateTotalPageAndRecordNumber(published);
)")));
    EXPECT_TRUE(query.contains(Crlf(R"(
        ctx.put("published", published);
        return "query_view";
)")));
}

TEST(ActionOperateTest, ReferencesAreImportedAndStoredByTheReferencedKey) {
    TModelBuilder builder;
    AddReferencedClasses(builder)
        .Member("publisher", "Publisher", {TFlag::Query}, "出版社")
        .Member("author", "Author", {TFlag::Query}, "作者");
    const TProjectModel& model = builder.Build();
    const QString text = ActionText(model);
    EXPECT_EQ(ReferenceImports(text), Crlf(R"(import com.pkg.domain.Book;
import com.pkg.dao.PublisherDAO;
import com.pkg.domain.Publisher;
import com.pkg.dao.AuthorDAO;
import com.pkg.domain.Author;
)"));
    EXPECT_TRUE(MemberProperties(text).contains(Crlf(R"(
    /*界面层需要查询的属性: 作者*/
    private Author author;
    public void setAuthor(Author author) {
        this.author = author;
    }
    public Author getAuthor() {
        return this.author;
    }
)")));
    const QString stored = Crlf(R"(        try {
            PublisherDAO publisherDAO = new PublisherDAO();
            publisher = publisherDAO.GetPublisherById(book.getPublisher().getId());
            book.setPublisher(publisher);
            AuthorDAO authorDAO = new AuthorDAO();
            author = authorDAO.GetAuthorByAuthorNo(book.getAuthor().getAuthorNo());
            book.setAuthor(author);
            bookDAO.)");
    const TClassModel& book = *model.FindClass("Book");
    EXPECT_TRUE(TActionOperate::BuildAddAction({model, "pkg"}, book).contains(stored));
    EXPECT_TRUE(TActionOperate::BuildModifyAction({model, "pkg"}, book).contains(stored));
}

TEST(ActionOperateTest, TwoReferencesToOneClassDeclareItsDaoOnce) {
    TModelBuilder builder;
    AddReferencedClasses(builder)
        .Member("author", "Author", {TFlag::Query})
        .Member("publisher", "Publisher")
        .Member("translator", "Author", {TFlag::Query});
    const TProjectModel& model = builder.Build();
    const TBuildContext context{model, "pkg"};
    const TClassModel& book = *model.FindClass("Book");
    const QString lists = Crlf(R"(        AuthorDAO authorDAO = new AuthorDAO();
        List<Author> authorList = authorDAO.QueryAuthorChoices(201);
        ctx.put("authorList", authorList);
)");
    const QString publisherLists = Crlf(R"(        PublisherDAO publisherDAO = new PublisherDAO();
        List<Publisher> publisherList = publisherDAO.QueryPublisherChoices(201);
        ctx.put("publisherList", publisherList);
)");
    EXPECT_EQ(TActionOperate::BuildAddViewAction(context, book),
              Crlf(R"(    /*跳转到添加Book视图*/
    public String AddView() {
        ActionContext ctx = ActionContext.getContext();
        /*查询所有的Author信息*/
)") + lists + Crlf("        /*查询所有的Publisher信息*/\n") +
                  publisherLists + Crlf("        return \"add_view\";\n    }\n\n"));
    EXPECT_TRUE(TActionOperate::BuildQueryAction(context, book)
                    .endsWith(Crlf(R"(        ctx.put("author", author);
)") + lists + Crlf(R"(        ctx.put("translator", translator);
        return "query_view";
    }

)")));
    EXPECT_TRUE(
        TActionOperate::BuildModifyQueryAction(context, book)
            .endsWith(Crlf("\n") + lists + publisherLists +
                      Crlf("        ctx.put(\"book\",  book);\n        return \"modify_view\";\n"
                           "    }\n\n")));
    const QString stored = Crlf(R"(        try {
            AuthorDAO authorDAO = new AuthorDAO();
            author = authorDAO.GetAuthorByAuthorNo(book.getAuthor().getAuthorNo());
            book.setAuthor(author);
            PublisherDAO publisherDAO = new PublisherDAO();
            publisher = publisherDAO.GetPublisherById(book.getPublisher().getId());
            book.setPublisher(publisher);
            translator = authorDAO.GetAuthorByAuthorNo(book.getTranslator().getAuthorNo());
            book.setTranslator(translator);
            bookDAO.)");
    EXPECT_TRUE(TActionOperate::BuildAddAction(context, book).contains(stored));
    EXPECT_TRUE(TActionOperate::BuildModifyAction(context, book).contains(stored));
}

TEST(ActionOperateTest, ReferenceThatIsNoQueryMemberIsImportedAndDeclared) {
    TModelBuilder builder;
    AddReferencedClasses(builder)
        .Member("title", S, {TFlag::Query}, "书名")
        .Member("publisher", "Publisher", {}, "出版社");
    const QString text = ActionText(builder.Build());
    EXPECT_EQ(ReferenceImports(text), Crlf(R"(import com.pkg.domain.Book;
import com.pkg.dao.PublisherDAO;
import com.pkg.domain.Publisher;
)"));
    EXPECT_EQ(Slice(text, "    /*出版社*/", "    /*当前第几页*/"), Crlf(R"(    /*出版社*/
    private Publisher publisher;
    public void setPublisher(Publisher publisher) {
        this.publisher = publisher;
    }
    public Publisher getPublisher() {
        return this.publisher;
    }

)"));
    const QString properties = MemberProperties(text);
    EXPECT_TRUE(properties.indexOf("书名") < properties.indexOf("出版社"));
}

TEST(ActionOperateTest, EmptyCommentsLeaveNothingBetweenTheMarks) {
    TModelBuilder builder;
    AddReferencedClasses(builder)
        .Class("Tag")
        .Member("code", S, {TFlag::Key, TFlag::Query})
        .Member("publisher", "Publisher");
    const TProjectModel& model = builder.Build();
    const QString text = ActionText(model, "Tag");
    EXPECT_TRUE(text.contains(Crlf("    /*界面层需要查询的属性: */\n    private String code;\n")));
    EXPECT_TRUE(text.contains(Crlf("    /**/\n    private Publisher publisher;\n")));
    EXPECT_TRUE(text.contains(Crlf(R"(        /*验证是否已经存在*/
        String code = tag.getCode();
        Tag db_tag = tagDAO.GetTagByCode(code);
        if(null != db_tag) {
            ctx.put("error",  java.net.URLEncoder.encode("该已经存在!"));
)")));
}

TEST(ActionOperateTest, NamesStartingWithUnderscoreKeepTheirCase) {
    TModelBuilder builder;
    builder.Class("Book").Member("_no", I, {TFlag::Key}).Member("_title", S, {TFlag::Query});
    const QString text = ActionText(builder.Build());
    EXPECT_TRUE(text.contains(Crlf(R"(    private String _title;
    public void set_title(String _title) {
        this._title = _title;
    }
    public String get_title() {
)")));
    EXPECT_TRUE(text.contains(Crlf("    public void set_no(int _no) {\n")));
    EXPECT_TRUE(text.contains(Crlf("        if(_title == null) _title = \"\";\n")));
    EXPECT_TRUE(text.contains(Crlf("        /*根据主键_no获取Book对象*/\n"
                                   "        Book book = bookDAO.GetBookBy_no(_no);\n")));
    EXPECT_TRUE(text.contains(Crlf("            bookDAO.DeleteBook(_no);\n")));
}

} // namespace

// The accessors of the class's object are set‹ClassName› and get‹ClassName› with the class name
// as written, so a class starting with a lower-case letter keeps it.
TEST(ActionOperateTest, ObjectAccessorsAreNamedAfterTheClassAsWritten) {
    TModelBuilder builder;
    builder.Class("widget").Member("id", I, {TFlag::Key}).Member("name", S, {}, "", 10);
    const QString text = ActionText(builder.Build(), "widget");
    EXPECT_TRUE(text.contains("    public void setwidget(widget widget) {\r\n"));
    EXPECT_TRUE(text.contains("    public widget getwidget() {\r\n"));
}

namespace {

// The Action of a class K with a text key `k1` and the given search members (texts), a
// reference to a class Shelf and a member of the class's own referenced in its Action's methods.
QString SearchedAction(const QStringList& searched) {
    TModelBuilder builder;
    builder.Class("Shelf").Member("id", I, {TFlag::Key, TFlag::Display});
    builder.Class("K").Member("k1", S, {TFlag::Key, TFlag::Display}, "", 10);
    builder.Member("shelf", "Shelf", {TFlag::Query});
    for (const QString& name : searched)
        builder.Member(name, S, {TFlag::Query}, "", 10);
    const TProjectModel model = builder.Build();
    return TActionOperate::BuildActionClass({model, "pkg"}, model.Classes()[1]).text;
}

} // namespace

// Search members named like the locals of the Action's methods give the Action of members named
// otherwise, but for those locals, renamed with "$" everywhere: a local left as it was would put
// itself into the page under the member's name.
TEST(ActionOperateTest, LocalsTheModelTakesAreRenamedEverywhere) {
    const QStringList locals{"ctx", "db_k", "shelfDAO"};
    const QStringList others{"m1", "m2", "m3"};
    QStringList renamed;
    QStringList from = others;
    QStringList to = locals;
    for (qsizetype i = 0; i < locals.size(); ++i) {
        renamed << locals[i] + "$";
        for (const char* accessor : {"get", "set"}) {
            from << accessor + CodeText::UpperFirst(others[i]);
            to << accessor + CodeText::UpperFirst(locals[i]);
        }
    }
    const QString expected =
        ReplaceWords(ReplaceWords(SearchedAction(others), locals, renamed), from, to);
    EXPECT_EQ(SearchedAction(locals), expected);
}
