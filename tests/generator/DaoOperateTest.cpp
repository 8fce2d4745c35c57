#include <gtest/gtest.h>

#include <QRegularExpression>
#include <stdexcept>

#include "CodeText.h"
#include "DaoOperate.h"
#include "TestModel.h"
#include "TextCompare.h"

namespace {

// Book: integer key "id", one member that is no query member.
const char* const kBookDao = R"(package com.pkg.dao;

import java.util.ArrayList;
import java.util.List;
import java.util.List;

import org.hibernate.HibernateException;
import org.hibernate.Query;
import org.hibernate.Session;
import org.hibernate.Transaction;
import java.sql.Statement;
import com.pkg.utils.HibernateUtil;

import com.pkg.domain.Book;

public class BookDAO {

    /*每页显示记录数目*/
    private final int PAGE_SIZE = 10;

    /*保存查询后总的页数*/
    private int totalPage;
    public void setTotalPage(int totalPage) {
        this.totalPage = totalPage;
    }
    public int getTotalPage() {
        return totalPage;
    }

    /*保存查询到的总记录数*/
    private int recordNumber;
    public void setRecordNumber(int recordNumber) {
        this.recordNumber = recordNumber;
    }
    public int getRecordNumber() {
        return recordNumber;
    }

    /*分页查询数出的记录数和它的查询 (见 HibernateUtil.queryKey), 计算页数时不再重数*/
    private int countedNumber = -1;
    private String countedQuery;

    /*添加Book信息*/
    public void AddBook(Book book) throws Exception {
        Session s = null;
        Transaction tx = null;
        try { 
            s = HibernateUtil.getSession();
            tx = s.beginTransaction(); 
            s.save(book);
            tx.commit();
        } catch (HibernateException e) {
            if(tx != null)
                tx.rollback();
            throw e;
        } finally {
            HibernateUtil.closeSession();
        }
    }

    /*查询Book信息*/
    public ArrayList<Book> QueryBookInfo(int currentPage) { 
        Session s = null; 
        try {
            s = HibernateUtil.getSession();
            String hql = "From Book book where 1=1";
            Query q;
            /*第一页以后先数出记录数: 后一半的页从末尾倒着取, 要跳过的记录少*/
            if(currentPage > 1) {
                q = s.createQuery("select count(*) " + hql);
                this.countedNumber = ((java.lang.Number) q.uniqueResult()).intValue();
                this.countedQuery = HibernateUtil.queryKey(q);
                /*页码超过最后一页时取最后一页*/
                currentPage = HibernateUtil.lastPage(currentPage, this.countedNumber, this.PAGE_SIZE);
            }
            /*计算当前显示页码的开始记录*/
            int startIndex = (currentPage-1) * this.PAGE_SIZE;
            q = s.createQuery(hql + HibernateUtil.pageOrder("book.id", startIndex, this.countedNumber));
            HibernateUtil.setPage(q, startIndex, this.PAGE_SIZE, this.countedNumber);
            List bookList = HibernateUtil.pageRows(q.list(), startIndex, this.countedNumber);
            return (ArrayList<Book>) bookList;
        } finally {
            HibernateUtil.closeSession();
        }
    }

    /*函数功能：查询所有的Book记录*/
    public ArrayList<Book> QueryAllBookInfo() {
        Session s = null; 
        try {
            s = HibernateUtil.getSession();
            String hql = "From Book";
            Query q = s.createQuery(hql);
            List bookList = q.list();
            return (ArrayList<Book>) bookList;
        } finally {
            HibernateUtil.closeSession();
        }
    }

    /*下拉框的选项: 按主键排序的前limit条Book记录*/
    public ArrayList<Book> QueryBookChoices(int limit) {
        Session s = null; 
        try {
            s = HibernateUtil.getSession();
            Query q = s.createQuery("From Book book order by book.id");
            q.setMaxResults(limit);
            List bookList = q.list();
            return (ArrayList<Book>) bookList;
        } finally {
            HibernateUtil.closeSession();
        }
    }

    /*输入主键时的提示: 主键或显示值以term开头的前limit条Book记录*/
    public ArrayList<Book> QueryBookLookup(String term, int limit) {
        Session s = null; 
        try {
            s = HibernateUtil.getSession();
            String hql = "From Book book where 1=0";
            if(HibernateUtil.intValue(term) != null) hql += " or book.id = " + HibernateUtil.intValue(term);
            hql += " order by book.id";
            Query q = s.createQuery(hql);
            q.setMaxResults(limit);
            List bookList = q.list();
            return (ArrayList<Book>) bookList;
        } finally {
            HibernateUtil.closeSession();
        }
    }

    /*计算总的页数和记录数*/
    public void CalculateTotalPageAndRecordNumber() {
        Session s = null;
        try {
            s = HibernateUtil.getSession();
            String hql = "select count(*) From Book book where 1=1";
            Query q = s.createQuery(hql);
            /*分页查询刚数过同样的记录时不再数*/
            if(HibernateUtil.queryKey(q).equals(this.countedQuery)) recordNumber = this.countedNumber;
            else recordNumber = ((java.lang.Number) q.uniqueResult()).intValue();
            this.countedQuery = null;
            int mod = recordNumber % this.PAGE_SIZE;
            totalPage = recordNumber / this.PAGE_SIZE;
            if(mod != 0) totalPage++;
        } finally {
            HibernateUtil.closeSession();
        }
    }

    /*根据主键获取对象*/
    public Book GetBookById(int id) {
        Session s = null;
        try {
            s = HibernateUtil.getSession();
            Book book = (Book)s.get(Book.class, id);
            return book;
        } finally {
            HibernateUtil.closeSession();
        }
    }

    /*更新Book信息*/
    public void UpdateBook(Book book) throws Exception {
        Session s = null;
        Transaction tx = null;
        try {
            s = HibernateUtil.getSession();
            tx = s.beginTransaction();
            s.update(book);
            tx.commit();
        } catch (HibernateException e) {
            if(tx != null)
            <TAB>  tx.rollback();
            throw e;
        } finally {
            HibernateUtil.closeSession();
        }
    }

    /*删除Book信息*/
    public void DeleteBook (int id) throws Exception {
        Session s = null;
        Transaction tx = null;
        try {
            s = HibernateUtil.getSession();
            tx = s.beginTransaction();
            Object book = s.get(Book.class, id);
            s.delete(book);
            tx.commit();
        } catch (HibernateException e) {
            if(tx != null)
            <TAB>  tx.rollback();
            throw e;
        } finally {
            HibernateUtil.closeSession();
        }
    }

}
)";

// The paged query of Book with the query members of each test; "<PARAMETERS>", "<CONDITIONS>"
// and "<BINDINGS>" are filled in by the test.
const char* const kQueryMethod = R"(    /*查询Book信息*/
    public ArrayList<Book> QueryBookInfo(<PARAMETERS>int currentPage) { 
        Session s = null; 
        try {
            s = HibernateUtil.getSession();
            String hql = "From Book book where 1=1";
<CONDITIONS>            Query q;
            /*第一页以后先数出记录数: 后一半的页从末尾倒着取, 要跳过的记录少*/
            if(currentPage > 1) {
                q = s.createQuery("select count(*) " + hql);
<COUNT_BINDINGS>                this.countedNumber = ((java.lang.Number) q.uniqueResult()).intValue();
                this.countedQuery = HibernateUtil.queryKey(q);
                /*页码超过最后一页时取最后一页*/
                currentPage = HibernateUtil.lastPage(currentPage, this.countedNumber, this.PAGE_SIZE);
            }
            /*计算当前显示页码的开始记录*/
            int startIndex = (currentPage-1) * this.PAGE_SIZE;
            q = s.createQuery(hql + HibernateUtil.pageOrder("book.id", startIndex, this.countedNumber));
<BINDINGS>            HibernateUtil.setPage(q, startIndex, this.PAGE_SIZE, this.countedNumber);
            List bookList = HibernateUtil.pageRows(q.list(), startIndex, this.countedNumber);
            return (ArrayList<Book>) bookList;
        } finally {
            HibernateUtil.closeSession();
        }
    }

)";

const char* const kCalculateMethod = R"(    /*计算总的页数和记录数*/
    public void CalculateTotalPageAndRecordNumber(<PARAMETERS>) {
        Session s = null;
        try {
            s = HibernateUtil.getSession();
            String hql = "select count(*) From Book book where 1=1";
<CONDITIONS>            Query q = s.createQuery(hql);
<BINDINGS>            /*分页查询刚数过同样的记录时不再数*/
            if(HibernateUtil.queryKey(q).equals(this.countedQuery)) recordNumber = this.countedNumber;
            else recordNumber = ((java.lang.Number) q.uniqueResult()).intValue();
            this.countedQuery = null;
            int mod = recordNumber % this.PAGE_SIZE;
            totalPage = recordNumber / this.PAGE_SIZE;
            if(mod != 0) totalPage++;
        } finally {
            HibernateUtil.closeSession();
        }
    }

)";

QString Filled(const char* method, const QString& parameters, const char* conditions,
               const char* bindings) {
    return Crlf(method)
        .replace("<PARAMETERS>", parameters)
        .replace("<CONDITIONS>", Crlf(conditions))
        .replace("<BINDINGS>", Crlf(bindings))
        .replace("<COUNT_BINDINGS>",
                 Crlf(bindings).replace("            if(", "                if("));
}

// The second line of a method text: its signature.
QString Signature(const QString& method) {
    return method.split("\r\n").value(1);
}

TBuildContext Context(const TProjectModel& model) {
    return {model, "pkg"};
}

} // namespace

TEST(DaoOperateTest, IntegerKeyClassWithoutQueryMembersIsWrittenWhole) {
    TModelBuilder builder;
    builder.Class("Book", "图书")
        .Member("id", "整型", {TFlag::Key}, "编号")
        .Member("title", "字符串", {}, "", 40);
    const TProjectModel& model = builder.Build();
    const TGeneratedFile file = TDaoOperate::BuildDaoClass(Context(model), model.Classes()[0]);
    EXPECT_EQ(file.path, "src/com/pkg/dao/BookDAO.java");
    EXPECT_EQ(file.text, Crlf(kBookDao));
    EXPECT_EQ(file.encoding, TFileEncoding::Ansi);
    EXPECT_EQ(file.doneSuffix, kJavaDone);
    EXPECT_TRUE(file.warnings.isEmpty());
}

TEST(DaoOperateTest, OneFilePerClassInClassOrder) {
    TModelBuilder builder;
    builder.Class("Zoo").Member("id", "整型", {TFlag::Key});
    builder.Class("Animal").Member("id", "整型", {TFlag::Key});
    const TGeneratedFiles files = TDaoOperate::GenerateDaoClasses(Context(builder.Build()));
    ASSERT_EQ(files.size(), 2);
    EXPECT_EQ(files[0].path, "src/com/pkg/dao/ZooDAO.java");
    EXPECT_EQ(files[1].path, "src/com/pkg/dao/AnimalDAO.java");
    EXPECT_TRUE(files[1].text.startsWith("package com.pkg.dao;\r\n"));
    EXPECT_TRUE(TDaoOperate::GenerateDaoClasses(Context(TModelBuilder().Build())).isEmpty());
}

// Only a text key is a String parameter; every other key type word gives int.
TEST(DaoOperateTest, KeyParameterTypeFollowsTheKeyTypeWord) {
    const QString getInt = "    public Book GetBookById(int id) {";
    const QString deleteInt = "    public void DeleteBook (int id) throws Exception {";
    for (const QString type : {"字符串", "日期型", "整型"}) {
        TModelBuilder builder;
        builder.Class("Book").Member("id", type, {TFlag::Key});
        const TProjectModel model = builder.Build();
        const TClassModel& book = model.Classes()[0];
        const QString javaType = type == "字符串" ? "String id" : "int id";
        EXPECT_EQ(Signature(TDaoOperate::BuildGetMethod(Context(model), book)),
                  QString(getInt).replace("int id", javaType));
        EXPECT_EQ(Signature(TDaoOperate::BuildDeleteMethod(Context(model), book)),
                  QString(deleteInt).replace("int id", javaType));
    }
}

TEST(DaoOperateTest, TextQueryMembersAreMatchedWithABoundLike) {
    TModelBuilder builder;
    builder.Class("Book")
        .Member("id", "整型", {TFlag::Key})
        .Member("bookName", "字符串", {TFlag::Query})
        .Member("price", "浮点型")
        .Member("published", "日期型", {TFlag::Query});
    const TProjectModel& model = builder.Build();
    const TClassModel& book = model.Classes()[0];
    const char* const conditions =
        R"(            if(!bookName.equals("")) hql = hql + " and book.bookName like :bookName escape '!'";
            if(!published.equals("")) hql = hql + " and book.published like :published escape '!'";
)";
    const char* const bindings =
        R"(            if(!bookName.equals("")) q.setParameter("bookName", HibernateUtil.likePattern(bookName));
            if(!published.equals("")) q.setParameter("published", HibernateUtil.likePattern(published));
)";
    EXPECT_EQ(TDaoOperate::BuildQueryMethod(Context(model), book),
              Filled(kQueryMethod, "String bookName,String published,", conditions, bindings));
    EXPECT_EQ(TDaoOperate::BuildCalculateMethod(Context(model), book),
              Filled(kCalculateMethod, "String bookName,String published", conditions, bindings));
}

TEST(DaoOperateTest, ReferenceQueryMembersCompareTheReferencedKey) {
    TModelBuilder builder;
    builder.Class("Category").Member("categoryId", "整型", {TFlag::Key});
    builder.Class("Press").Member("pressCode", "字符串", {TFlag::Key});
    builder.Class("Book")
        .Member("id", "整型", {TFlag::Key})
        .Member("category", "Category", {TFlag::Query})
        .Member("press", "Press", {TFlag::Query});
    const TProjectModel& model = builder.Build();
    const TClassModel& book = model.Classes()[2];
    // An int key is written into the HQL; a text key is bound, and a reference without its key
    // (a crafted request) is no condition.
    const char* const conditions =
        R"(            if(null != category && category.getCategoryId()!=0) hql += " and book.category.categoryId=" + category.getCategoryId();
            if(null != press && null != press.getPressCode() && !press.getPressCode().equals("")) hql += " and book.press.pressCode=:press";
)";
    const char* const bindings =
        R"(            if(null != press && null != press.getPressCode() && !press.getPressCode().equals("")) q.setParameter("press", press.getPressCode());
)";
    EXPECT_EQ(TDaoOperate::BuildQueryMethod(Context(model), book),
              Filled(kQueryMethod, "Category category,Press press,", conditions, bindings));
    EXPECT_EQ(TDaoOperate::BuildCalculateMethod(Context(model), book),
              Filled(kCalculateMethod, "Category category,Press press", conditions, bindings));
}

// The type-ahead: a text key and a display member by a bound prefix, a number key by its value.
TEST(DaoOperateTest, LookupMatchesTheStartOfTheKeyOrDisplayMember) {
    TModelBuilder builder;
    builder.Class("Shelf")
        .Member("code", "字符串", {TFlag::Key})
        .Member("label", "字符串", {TFlag::Display}, "", 30);
    builder.Class("Box")
        .Member("id", "整型", {TFlag::Key})
        .Member("size", "浮点型", {TFlag::Display});
    const TProjectModel& model = builder.Build();
    EXPECT_TRUE(
        TDaoOperate::BuildLookupMethod(Context(model), model.Classes()[0])
            .contains("            String hql = \"From Shelf shelf where 1=0\";\r\n"
                      "            hql += \" or shelf.code like :term escape '!'\";\r\n"
                      "            hql += \" or shelf.label like :term escape '!'\";\r\n"
                      "            hql += \" order by shelf.code\";\r\n"
                      "            Query q = s.createQuery(hql);\r\n"
                      "            q.setParameter(\"term\", HibernateUtil.likePrefix(term));\r\n"));
    EXPECT_TRUE(
        TDaoOperate::BuildLookupMethod(Context(model), model.Classes()[1])
            .contains("            if(HibernateUtil.intValue(term) != null) hql += \" or "
                      "box.id = \" + HibernateUtil.intValue(term);\r\n"
                      "            hql += \" or str(box.size) like :term escape '!'\";\r\n"));
}

// A display member that is a reference is followed to the text shown, by left joins: a row
// whose reference is empty is still found by its key.
TEST(DaoOperateTest, LookupFollowsDisplayReferencesByLeftJoins) {
    TModelBuilder builder;
    builder.Class("Shelf")
        .Member("code", "字符串", {TFlag::Key}, "", 20)
        .Member("label", "字符串", {TFlag::Display}, "", 30);
    builder.Class("Box")
        .Member("id", "整型", {TFlag::Key})
        .Member("shelf", "Shelf", {TFlag::Display});
    builder.Class("Crate")
        .Member("id", "整型", {TFlag::Key})
        .Member("box", "Box", {TFlag::Display});
    const TProjectModel& model = builder.Build();
    EXPECT_TRUE(TDaoOperate::BuildLookupMethod(Context(model), model.Classes()[2])
                    .contains("            String hql = \"select crate From Crate crate left join "
                              "crate.box crate_1 left join crate_1.shelf crate_2 where 1=0\";\r\n"
                              "            if(HibernateUtil.intValue(term) != null) hql += \" or "
                              "crate.id = \" + HibernateUtil.intValue(term);\r\n"
                              "            hql += \" or crate_2.label like :term escape '!'\";\r\n"
                              "            hql += \" order by crate.id\";\r\n"));
}

TEST(DaoOperateTest, ReferenceToAnUnknownClassIsBoundAsAStringKey) {
    TModelBuilder builder;
    builder.Class("Book")
        .Member("id", "整型", {TFlag::Key})
        .Member("shelf", "Shelf", {TFlag::Query});
    const TProjectModel& model = builder.Build();
    const QString method = TDaoOperate::BuildQueryMethod(Context(model), model.Classes()[0]);
    EXPECT_TRUE(method.contains("            if(null != shelf && null != shelf.getShelfId() && "
                                "!shelf.getShelfId().equals(\"\")) hql += \" and "
                                "book.shelf.shelfId=:shelf\";\r\n"));
    EXPECT_TRUE(method.contains(
        "            q = s.createQuery(hql + HibernateUtil.pageOrder(\"book.id\", startIndex, "
        "this.countedNumber));\r\n"
        "            if(null != shelf && null != shelf.getShelfId() && "
        "!shelf.getShelfId().equals(\"\")) "
        "q.setParameter(\"shelf\", shelf.getShelfId());\r\n"));
}

TEST(DaoOperateTest, ParameterListsOfZeroOneAndThreeQueryMembers) {
    struct Case {
        int queryMembers;
        QString query;
        QString calculate;
    };
    const QList<Case> cases{
        {0, "int currentPage", ""},
        {1, "String a,int currentPage", "String a"},
        {3, "String a,Category b,String c,int currentPage", "String a,Category b,String c"}};
    const QStringList types{"字符串", "Category", "日期型"};
    const QStringList names{"a", "b", "c"};
    for (const Case& test : cases) {
        TModelBuilder builder;
        builder.Class("Category").Member("id", "整型", {TFlag::Key});
        builder.Class("Book").Member("id", "整型", {TFlag::Key});
        for (int i = 0; i < 3; ++i) {
            if (i < test.queryMembers)
                builder.Member(names[i], types[i], {TFlag::Query});
            else
                builder.Member(names[i], types[i]);
        }
        const TProjectModel& model = builder.Build();
        const TClassModel& book = model.Classes()[1];
        EXPECT_EQ(Signature(TDaoOperate::BuildQueryMethod(Context(model), book)),
                  "    public ArrayList<Book> QueryBookInfo(" + test.query + ") { ");
        EXPECT_EQ(Signature(TDaoOperate::BuildCalculateMethod(Context(model), book)),
                  "    public void CalculateTotalPageAndRecordNumber(" + test.calculate + ") {");
    }
}

TEST(DaoOperateTest, EveryReferenceMemberImportsItsClass) {
    TModelBuilder builder;
    builder.Class("Person").Member("id", "整型", {TFlag::Key});
    builder.Class("Loan")
        .Member("id", "整型", {TFlag::Key})
        .Member("lender", "Person", {TFlag::Query})
        .Member("note", "字符串")
        .Member("borrower", "Person");
    const TProjectModel& model = builder.Build();
    const QString text = TDaoOperate::BuildDaoClass(Context(model), model.Classes()[1]).text;
    EXPECT_TRUE(text.contains("import com.pkg.utils.HibernateUtil;\r\n\r\n"
                              "import com.pkg.domain.Person;\r\n"
                              "import com.pkg.domain.Person;\r\n"
                              "import com.pkg.domain.Loan;\r\n\r\n"
                              "public class LoanDAO {\r\n"));
}

TEST(DaoOperateTest, NamesStartingWithAnUnderscoreKeepTheirCase) {
    TModelBuilder builder;
    builder.Class("_Tag").Member("_code", "字符串", {TFlag::Key});
    builder.Class("_Item")
        .Member("_no", "整型", {TFlag::Key})
        .Member("_tag", "_Tag", {TFlag::Query});
    const TProjectModel& model = builder.Build();
    const TClassModel& item = model.Classes()[1];
    EXPECT_EQ(Signature(TDaoOperate::BuildAddMethod(Context(model), item)),
              "    public void Add_Item(_Item _Item) throws Exception {");
    EXPECT_EQ(Signature(TDaoOperate::BuildGetMethod(Context(model), item)),
              "    public _Item Get_ItemBy_no(int _no) {");
    EXPECT_TRUE(TDaoOperate::BuildQueryMethod(Context(model), item)
                    .contains("            if(null != _tag && null != _tag.get_code() && "
                              "!_tag.get_code().equals(\"\")) hql "
                              "+= \" and _Item._tag._code=:_tag\";\r\n"));
}

TEST(DaoOperateTest, ClassWithoutKeyIsAnError) {
    TModelBuilder builder;
    builder.Class("Book").Member("title", "字符串");
    const TProjectModel& model = builder.Build();
    try {
        TDaoOperate::BuildDaoClass(Context(model), model.Classes()[0]);
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "类Book没有主键成员");
    }
}

namespace {

// The DAO of a class K with the given key and search members (text, long, decimal, yes/no in
// turn) and a search reference to a class List.
QString SearchedDao(const QString& key, const QStringList& searched) {
    TModelBuilder builder;
    builder.Class("List").Member("id", "整型", {TFlag::Key, TFlag::Display});
    builder.Class("K").Member(key, "字符串", {TFlag::Key, TFlag::Query}, "", 10);
    builder.Member("shelf", "List", {TFlag::Query});
    const QStringList types{"字符串", "长整型", "小数型", "布尔型"};
    for (qsizetype i = 0; i < searched.size(); ++i)
        builder.Member(searched[i], types[i % types.size()], {TFlag::Query}, "", 10);
    const TProjectModel model = builder.Build();
    return TDaoOperate::BuildDaoClass(Context(model), model.Classes()[1]).text;
}

} // namespace

// A key and search members named like the locals of the DAO's methods give the DAO of members
// named otherwise, but for those locals, renamed with "$" everywhere (a local left as it was
// would read the member, or a member the local).
TEST(DaoOperateTest, LocalsTheModelTakesAreRenamedEverywhere) {
    const QStringList locals{"hql", "q", "startIndex", "mod"};
    const QStringList others{"m1", "m2", "m3", "m4"};
    for (const char* key : {"s", "tx", "e"}) {
        const QStringList taken = QStringList{key} + locals;
        QStringList renamed;
        for (const QString& local : taken)
            renamed << local + "$";
        const QString expected =
            ReplaceWords(ReplaceWords(SearchedDao("k1", others), taken, renamed),
                         QStringList{"k1", "GetKByK1"} + others,
                         QStringList{key, "GetKBy" + CodeText::UpperFirst(key)} + locals);
        EXPECT_EQ(SearchedDao(key, locals), expected) << key;
    }
}
