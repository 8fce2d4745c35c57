#include "DaoOperate.h"

#include "CodeText.h"

using namespace CodeText;

namespace {

const QString kIndent12 = QStringLiteral("            ");

// How a query member narrows the HQL of the paged query and the counting method.
enum class TTermKind { Text, Long, Decimal, Boolean, IntReference, Reference };

struct TQueryTerm {
    TTermKind kind;
    QString name;
    QString refKeyName;  // references only
    bool asText = false; // a date and time, matched as its text
};

TQueryTerm TermOf(const TProjectModel& model, const TMember& m) {
    if (IsTextType(m.memberType))
        return {TTermKind::Text, m.memberName, {}, m.memberType == MemberTypes::DateTime};
    if (m.memberType == MemberTypes::Long)
        return {TTermKind::Long, m.memberName, {}};
    if (m.memberType == MemberTypes::Decimal)
        return {TTermKind::Decimal, m.memberName, {}};
    if (m.memberType == MemberTypes::Boolean)
        return {TTermKind::Boolean, m.memberName, {}};
    const TMember key = ReferencedKey(model, m.memberType);
    const TTermKind kind =
        IsNumberKeyType(key.memberType) ? TTermKind::IntReference : TTermKind::Reference;
    return {kind, m.memberName, key.memberName};
}

QList<TQueryTerm> QueryTerms(const TBuildContext& context, const TClassModel& c) {
    QList<TQueryTerm> terms;
    for (const TMember& m : c.QueryMembers())
        terms.append(TermOf(context.model, m));
    return terms;
}

// The referenced key's getter call, e.g. "category.getCategoryId()".
QString RefKeyCall(const TQueryTerm& t) {
    return t.name + ".get" + UpperFirst(t.refKeyName) + "()";
}

// The test that the request gave a value for the term.
QString Guard(const TQueryTerm& t) {
    switch (t.kind) {
    case TTermKind::Text:
    case TTermKind::Long:
    case TTermKind::Decimal:
    case TTermKind::Boolean:
        return "!" + t.name + ".equals(\"\")";
    case TTermKind::IntReference:
        return "null != " + t.name + " && " + RefKeyCall(t) + "!=0";
    case TTermKind::Reference:
        return "null != " + t.name + " && null != " + RefKeyCall(t) + " && !" + RefKeyCall(t) +
               ".equals(\"\")";
    }
    return {};
}

bool OnPostgres(const TBuildContext& context) {
    return context.model.Database().kind == TDatabaseKind::PostgreSql;
}

// Texts are bound as parameters, matched literally (see HibernateUtil.likePattern); only an
// int key is written into the HQL. A text matches without case on both kinds: MariaDB/MySQL's
// collation ignores it, PostgreSQL compares both sides in lower case.
QString Condition(const TBuildContext& context, const TQueryTerm& t, const QString& className) {
    const QString prefix = kIndent12 + "if(" + Guard(t) + ") ";
    const QString property = className + "." + t.name;
    const QString path = t.asText ? "str(" + property + ")" : property;
    switch (t.kind) {
    case TTermKind::Text:
        if (OnPostgres(context))
            return prefix + "hql = hql + \" and lower(" + path + ") like lower(:" + t.name +
                   ") escape '!'\";";
        return prefix + "hql = hql + \" and " + path + " like :" + t.name + " escape '!'\";";
    case TTermKind::Long: // a text that is no long integer matches nothing
        return prefix + "hql += (longValue(" + t.name + ") == null ? \" and 1=0\" : \" and " +
               path + "=:" + t.name + "\");";
    case TTermKind::Decimal: // a text that is no number matches nothing
        return prefix + "hql += (decimalValue(" + t.name + ") == null ? \" and 1=0\" : \" and " +
               path + "=:" + t.name + "\");";
    case TTermKind::Boolean:
        return prefix + "hql += \" and " + path + "=:" + t.name + "\";";
    case TTermKind::IntReference:
        return prefix + "hql += \" and " + path + "." + t.refKeyName + "=\" + " + RefKeyCall(t) +
               ";";
    case TTermKind::Reference:
        return prefix + "hql += \" and " + path + "." + t.refKeyName + "=:" + t.name + "\";";
    }
    return {};
}

QStringList BindingLines(const QList<TQueryTerm>& terms, const QString& indent) {
    QStringList lines;
    for (const TQueryTerm& t : terms) {
        const QString prefix = indent + "if(" + Guard(t) + ") q.setParameter(\"" + t.name + "\", ";
        if (t.kind == TTermKind::Text)
            lines << prefix + "HibernateUtil.likePattern(" + t.name + "));";
        else if (t.kind == TTermKind::Reference)
            lines << prefix + RefKeyCall(t) + ");";
        else if (t.kind == TTermKind::Long)
            lines << indent + "if(!" + t.name + ".equals(\"\") && longValue(" + t.name +
                         ") != null) q.setParameter(\"" + t.name + "\", longValue(" + t.name +
                         "));";
        else if (t.kind == TTermKind::Boolean) // "true" is yes, anything else no
            lines << prefix + "Boolean.valueOf(" + t.name + "));";
        else if (t.kind == TTermKind::Decimal) // the property is a text, the column a number
            lines << indent + "if(!" + t.name + ".equals(\"\") && decimalValue(" + t.name +
                         ") != null) q.setParameter(\"" + t.name + "\", decimalValue(" + t.name +
                         "), org.hibernate.type.BigDecimalType.INSTANCE);";
    }
    return lines;
}

// The HQL text of the conditions, shared by the paged query and the counting method; `head`
// is "select count(*) " for a count.
QStringList HqlLines(const TBuildContext& context, const TClassModel& c, const QString& head) {
    const QString className = ObjectName(c.className);
    QStringList lines{kIndent12 + "String hql = \"" + head + "From " + c.className + " " +
                      className + " where 1=1\";"};
    for (const TQueryTerm& t : QueryTerms(context, c))
        lines << Condition(context, t, className);
    return lines;
}

// The page of the paged query, ordered by the key so that paging is stable. After the first
// page the rows are counted first: a page in the second half is read backwards from the end
// (see HibernateUtil.setPage), and the count is kept for the counting method.
QStringList PageLines(const TBuildContext& context, const TClassModel& c) {
    const QList<TQueryTerm> terms = QueryTerms(context, c);
    const QString object = LowerFirst(c.className);
    const QString key = Quoted(ObjectName(c.className) + "." + KeyOf(c).memberName);
    return QStringList{kIndent12 + "Query q;",
                       kIndent12 +
                           "/*第一页以后先数出记录数: 后一半的页从末尾倒着取, 要跳过的记录少*/",
                       kIndent12 + "if(currentPage > 1) {",
                       kIndent12 + "    q = s.createQuery(\"select count(*) \" + hql);"} +
           BindingLines(terms, kIndent12 + "    ") +
           QStringList{
               kIndent12 +
                   "    this.countedNumber = ((java.lang.Number) q.uniqueResult()).intValue();",
               kIndent12 + "    this.countedQuery = HibernateUtil.queryKey(q);",
               kIndent12 + "    /*页码超过最后一页时取最后一页*/",
               kIndent12 + "    currentPage = HibernateUtil.lastPage(currentPage, "
                           "this.countedNumber, this.PAGE_SIZE);",
               kIndent12 + "}",
               kIndent12 + "/*计算当前显示页码的开始记录*/",
               kIndent12 + "int startIndex = (currentPage-1) * this.PAGE_SIZE;",
               kIndent12 + "q = s.createQuery(hql + HibernateUtil.pageOrder(" + key +
                   ", startIndex, this.countedNumber));"} +
           BindingLines(terms, kIndent12) +
           QStringList{kIndent12 + "HibernateUtil.setPage(q, startIndex, this.PAGE_SIZE, "
                                   "this.countedNumber);",
                       kIndent12 + "List " + object +
                           "List = HibernateUtil.pageRows(q.list(), startIndex, "
                           "this.countedNumber);"};
}

QStringList QueryParameters(const TClassModel& c) {
    QStringList parameters;
    for (const TMember& m : c.QueryMembers())
        parameters << QueryType(m.memberType) + " " + m.memberName;
    return parameters;
}

// A text key is a String, a long key a long; any other key type is taken as int.
QString KeyType(const TMember& key) {
    if (key.memberType == MemberTypes::Long)
        return QStringLiteral("long");
    return key.memberType == MemberTypes::String ? QStringLiteral("String") : QStringLiteral("int");
}

QStringList CatchLines(const QString& rollbackLine) {
    return {"        } catch (HibernateException e) {", "            if(tx != null)", rollbackLine,
            "            throw e;"};
}

QStringList FinallyLines() {
    return {"        } finally {", "            HibernateUtil.closeSession();", "        }",
            "    }", ""};
}

const QString kTabRollback = QStringLiteral("            \t  tx.rollback();");

// A method that changes the database in one transaction: its head lines, then the session and
// transaction around body, rolled back on failure. `blank` ends the try and begin lines.
QString TransactionMethod(const QStringList& head, const QStringList& body, const QString& blank,
                          const QString& rollbackLine) {
    QString text;
    AddLines(text, head + QStringList{"        Session s = null;", "        Transaction tx = null;",
                                      "        try {" + blank,
                                      "            s = HibernateUtil.getSession();",
                                      "            tx = s.beginTransaction();" + blank});
    AddLines(text, body + QStringList{"            tx.commit();"} + CatchLines(rollbackLine) +
                       FinallyLines());
    return text;
}

QStringList HeaderLines(const TBuildContext& context, const TClassModel& c) {
    const QString& package = context.packageName;
    QStringList lines{"package com." + package + ".dao;",
                      "",
                      "import java.util.ArrayList;",
                      "import java.util.List;",
                      "import java.util.List;",
                      "",
                      "import org.hibernate.HibernateException;",
                      "import org.hibernate.Query;",
                      "import org.hibernate.Session;",
                      "import org.hibernate.Transaction;",
                      "import java.sql.Statement;",
                      "import com." + package + ".utils.HibernateUtil;",
                      ""};
    for (const TMember& m : c.ReferenceMembers())
        lines << "import com." + package + ".domain." + m.memberType + ";";
    lines << "import com." + package + ".domain." + c.className + ";"
          << ""
          << "public class " + c.className + "DAO {"
          << "";
    return lines;
}

QStringList FieldLines() {
    return {
        "    /*每页显示记录数目*/",
        "    private final int PAGE_SIZE = 10;",
        "",
        "    /*保存查询后总的页数*/",
        "    private int totalPage;",
        "    public void setTotalPage(int totalPage) {",
        "        this.totalPage = totalPage;",
        "    }",
        "    public int getTotalPage() {",
        "        return totalPage;",
        "    }",
        "",
        "    /*保存查询到的总记录数*/",
        "    private int recordNumber;",
        "    public void setRecordNumber(int recordNumber) {",
        "        this.recordNumber = recordNumber;",
        "    }",
        "    public int getRecordNumber() {",
        "        return recordNumber;",
        "    }",
        "",
        "    /*分页查询数出的记录数和它的查询 (见 HibernateUtil.queryKey), 计算页数时不再重数*/",
        "    private int countedNumber = -1;",
        "    private String countedQuery;",
        ""};
}

QString Text(const QStringList& lines) {
    QString text;
    AddLines(text, lines);
    return text;
}

// The search text of a long integer member as a number; only a class searched by one has it.
QString LongValueMethod(const TClassModel& c) {
    bool searched = false;
    for (const TMember& m : c.QueryMembers())
        searched = searched || m.memberType == MemberTypes::Long;
    if (!searched)
        return {};
    return Text({"    /*查询条件中的长整数, 不是长整数时为 null*/",
                 "    private static Long longValue(String text) {", "        try {",
                 "            return Long.valueOf(text.trim());",
                 "        } catch (NumberFormatException e) {", "            return null;",
                 "        }", "    }", ""});
}

// The search text of a decimal member as a number; only a class searched by one has it.
QString DecimalValueMethod(const TClassModel& c) {
    bool searched = false;
    for (const TMember& m : c.QueryMembers())
        searched = searched || m.memberType == MemberTypes::Decimal;
    if (!searched)
        return {};
    return Text({"    /*查询条件中的小数, 不是数时为 null*/",
                 "    private static java.math.BigDecimal decimalValue(String text) {",
                 "        try {", "            return new java.math.BigDecimal(text.trim());",
                 "        } catch (NumberFormatException e) {", "            return null;",
                 "        }", "    }", ""});
}

// A method that reads a list of the class's objects: its comment and signature, the lines that
// make the query `q`, then the list returned.
QString ListMethod(const TClassModel& c, const QString& comment, const QString& signature,
                   const QStringList& queryLines) {
    const QString& name = c.className;
    const QString object = LowerFirst(name);
    return Text(QStringList{comment, signature, "        Session s = null; ", "        try {",
                            "            s = HibernateUtil.getSession();"} +
                queryLines +
                QStringList{"            List " + object + "List = q.list();",
                            "            return (ArrayList<" + name + ">) " + object + "List;"} +
                FinallyLines());
}

// The look-up's condition on a member: a text starts with the typed text (the display member's
// column has an index for it), an int key equals the typed number, a number's text starts with it.
QString LookupCondition(const QString& object, const TMember& m) {
    const QString path = object + "." + m.memberName;
    if (m.memberIsPri == 1 && m.memberIsInteger == 1)
        return kIndent12 + "if(HibernateUtil.intValue(term) != null) hql += \" or " + path +
               " = \" + HibernateUtil.intValue(term);";
    const bool text = IsTextType(m.memberType) && m.memberType != MemberTypes::DateTime;
    const QString value = text ? path : "str(" + path + ")";
    return kIndent12 + "hql += \" or " + value + " like :term escape '!'\";";
}

} // namespace

TGeneratedFiles TDaoOperate::GenerateDaoClasses(const TBuildContext& context) {
    return BuildPerClass(context, BuildDaoClass);
}

TGeneratedFile TDaoOperate::BuildDaoClass(const TBuildContext& context, const TClassModel& c) {
    const QString text = Text(HeaderLines(context, c) + FieldLines()) + BuildAddMethod(c) +
                         BuildQueryMethod(context, c) + BuildQueryAllMethod(c) +
                         BuildChoicesMethod(c) + BuildLookupMethod(context, c) +
                         BuildCalculateMethod(context, c) + BuildGetMethod(c) +
                         BuildUpdateMethod(c) + BuildDeleteMethod(c) + LongValueMethod(c) +
                         DecimalValueMethod(c) + Text({"}"});
    return {PackagePath(context.packageName, "dao/" + c.className + "DAO.java"),
            text,
            TFileEncoding::Ansi,
            kJavaDone,
            {}};
}

QString TDaoOperate::BuildAddMethod(const TClassModel& c) {
    const QString& name = c.className;
    const QString object = ObjectName(name);
    return TransactionMethod(
        {"    /*添加" + name + "信息*/",
         "    public void Add" + name + "(" + name + " " + object + ") throws Exception {"},
        {"            s.save(" + object + ");"}, QStringLiteral(" "),
        QStringLiteral("                tx.rollback();"));
}

QString TDaoOperate::BuildQueryMethod(const TBuildContext& context, const TClassModel& c) {
    const QString& name = c.className;
    const QString object = LowerFirst(name);
    QString parameters;
    for (const QString& parameter : QueryParameters(c))
        parameters += parameter + ",";
    return Text(QStringList{"    /*查询" + name + "信息*/",
                            "    public ArrayList<" + name + "> Query" + name + "Info(" +
                                parameters + "int currentPage) { ",
                            "        Session s = null; ", "        try {",
                            "            s = HibernateUtil.getSession();"} +
                HqlLines(context, c, QString()) + PageLines(context, c) +
                QStringList{"            return (ArrayList<" + name + ">) " + object + "List;"} +
                FinallyLines());
}

QString TDaoOperate::BuildQueryAllMethod(const TClassModel& c) {
    const QString& name = c.className;
    return ListMethod(c, "    /*函数功能：查询所有的" + name + "记录*/",
                      "    public ArrayList<" + name + "> QueryAll" + name + "Info() {",
                      {"            String hql = \"From " + name + "\";",
                       "            Query q = s.createQuery(hql);"});
}

// The first rows of the class by key, for the drop-downs of the classes that refer to it.
QString TDaoOperate::BuildChoicesMethod(const TClassModel& c) {
    const QString& name = c.className;
    const QString object = ObjectName(name);
    return ListMethod(c, "    /*下拉框的选项: 按主键排序的前limit条" + name + "记录*/",
                      "    public ArrayList<" + name + "> Query" + name + "Choices(int limit) {",
                      {"            Query q = s.createQuery(\"From " + name + " " + object +
                           " order by " + object + "." + KeyOf(c).memberName + "\");",
                       "            q.setMaxResults(limit);"});
}

// The first rows by key whose key or display text starts with a text: the type-ahead of the
// key fields that replace the drop-downs of a large referenced class. A display member that is
// a reference is followed by left joins, so that a row with an empty reference still matches
// by its key.
QString TDaoOperate::BuildLookupMethod(const TBuildContext& context, const TClassModel& c) {
    const QString& name = c.className;
    const QString object = ObjectName(name);
    const TMember key = KeyOf(c);
    const QList<TMember> path = DisplayPath(context.model, name);
    QString from = "From " + name + " " + object;
    QString owner = object;
    for (qsizetype i = 0; i + 1 < path.size(); ++i) {
        const QString alias = object + "_" + QString::number(i + 1);
        from += " left join " + owner + "." + path[i].memberName + " " + alias;
        owner = alias;
    }
    if (path.size() > 1)
        from = "select " + object + " " + from;
    QStringList lines{kIndent12 + "String hql = \"" + from + " where 1=0\";",
                      LookupCondition(object, key)};
    const bool shown = !path.isEmpty() && MemberTypes::IsSimple(path.last().memberType);
    if (shown && (path.size() > 1 || path.last().memberName != key.memberName))
        lines << LookupCondition(owner, path.last());
    const bool bound = lines.join(QString()).contains(QStringLiteral(":term"));
    lines << kIndent12 + "hql += \" order by " + object + "." + key.memberName + "\";"
          << kIndent12 + "Query q = s.createQuery(hql);";
    if (bound)
        lines << kIndent12 + "q.setParameter(\"term\", HibernateUtil.likePrefix(term));";
    lines << kIndent12 + "q.setMaxResults(limit);";
    return ListMethod(
        c, "    /*输入主键时的提示: 主键或显示值以term开头的前limit条" + name + "记录*/",
        "    public ArrayList<" + name + "> Query" + name + "Lookup(String term, int limit) {",
        lines);
}

QString TDaoOperate::BuildCalculateMethod(const TBuildContext& context, const TClassModel& c) {
    return Text(QStringList{"    /*计算总的页数和记录数*/",
                            "    public void CalculateTotalPageAndRecordNumber(" +
                                QueryParameters(c).join(',') + ") {",
                            "        Session s = null;", "        try {",
                            "            s = HibernateUtil.getSession();"} +
                HqlLines(context, c, "select count(*) ") +
                QStringList{"            Query q = s.createQuery(hql);"} +
                BindingLines(QueryTerms(context, c), kIndent12) +
                QStringList{"            /*分页查询刚数过同样的记录时不再数*/",
                            "            if(HibernateUtil.queryKey(q).equals(this.countedQuery)) "
                            "recordNumber = this.countedNumber;",
                            "            else recordNumber = ((java.lang.Number) "
                            "q.uniqueResult()).intValue();",
                            "            this.countedQuery = null;",
                            "            int mod = recordNumber % this.PAGE_SIZE;",
                            "            totalPage = recordNumber / this.PAGE_SIZE;",
                            "            if(mod != 0) totalPage++;"} +
                FinallyLines());
}

QString TDaoOperate::BuildGetMethod(const TClassModel& c) {
    const QString& name = c.className;
    const QString object = ObjectName(name);
    const TMember key = KeyOf(c);
    const QString& keyName = key.memberName;
    return Text(QStringList{"    /*根据主键获取对象*/",
                            "    public " + name + " Get" + name + "By" + UpperFirst(keyName) +
                                "(" + KeyType(key) + " " + keyName + ") {",
                            "        Session s = null;", "        try {",
                            "            s = HibernateUtil.getSession();",
                            "            " + name + " " + object + " = (" + name + ")s.get(" +
                                name + ".class, " + keyName + ");",
                            "            return " + object + ";"} +
                FinallyLines());
}

QString TDaoOperate::BuildUpdateMethod(const TClassModel& c) {
    const QString& name = c.className;
    const QString object = ObjectName(name);
    return TransactionMethod(
        {"    /*更新" + name + "信息*/",
         "    public void Update" + name + "(" + name + " " + object + ") throws Exception {"},
        {"            s.update(" + object + ");"}, QString(), kTabRollback);
}

QString TDaoOperate::BuildDeleteMethod(const TClassModel& c) {
    const QString& name = c.className;
    const QString object = ObjectName(name);
    const TMember key = KeyOf(c);
    return TransactionMethod(
        {"    /*删除" + name + "信息*/", "    public void Delete" + name + " (" + KeyType(key) +
                                             " " + key.memberName + ") throws Exception {"},
        {"            Object " + object + " = s.get(" + name + ".class, " + key.memberName + ");",
         "            s.delete(" + object + ");"},
        QString(), kTabRollback);
}
