#include "DaoOperate.h"

#include "CodeText.h"
#include "JavaNames.h"

using namespace CodeText;

namespace {

const QString kIndent12 = QStringLiteral("            ");
const QString kArrayList = QStringLiteral("java.util.ArrayList");
const QString kList = QStringLiteral("java.util.List");
const QString kHibernateException = QStringLiteral("org.hibernate.HibernateException");
const QString kQuery = QStringLiteral("org.hibernate.Query");
const QString kSession = QStringLiteral("org.hibernate.Session");
const QString kTransaction = QStringLiteral("org.hibernate.Transaction");
const QString kNumberFormatException = QStringLiteral("java.lang.NumberFormatException");

// The locals of the DAO's methods that a parameter or local named by the model would clash
// with: the query members are parameters of the query methods, the key of the methods that take
// it, and the class's object of those that store or read one.
QSet<QString> RenamedLocals(const TClassModel& c) {
    QSet<QString> query;
    for (const TMember& m : c.QueryMembers())
        query.insert(m.memberName);
    const QSet<QString> objectAndKey{ObjectName(c.className), KeyOf(c).memberName};
    static const QSet<QString> queryLocals{"s", "hql", "q", "startIndex", "mod"};
    static const QSet<QString> objectLocals{"s", "tx", "e"};
    return (queryLocals & query) + (objectLocals & objectAndKey);
}

TJavaNames Names(const TBuildContext& context, const TClassModel& c) {
    return TJavaNames(context.packageName, ClassesSeenBy(c), RenamedLocals(c));
}

QString HibernateUtil(const TJavaNames& names) {
    return names.OwnType("utils.HibernateUtil");
}

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
QString Condition(const TBuildContext& context, const TJavaNames& names, const TQueryTerm& t,
                  const QString& className) {
    const QString hql = names.Local("hql");
    const QString prefix = kIndent12 + "if(" + Guard(t) + ") ";
    const QString property = className + "." + t.name;
    const QString path = t.asText ? "str(" + property + ")" : property;
    switch (t.kind) {
    case TTermKind::Text:
        if (OnPostgres(context))
            return prefix + hql + " = " + hql + " + \" and lower(" + path +
                   ") like lower(:" + t.name + ") escape '!'\";";
        return prefix + hql + " = " + hql + " + \" and " + path + " like :" + t.name +
               " escape '!'\";";
    case TTermKind::Long: // a text that is no long integer matches nothing
        return prefix + hql + " += (longValue(" + t.name + ") == null ? \" and 1=0\" : \" and " +
               path + "=:" + t.name + "\");";
    case TTermKind::Decimal: // a text that is no number matches nothing
        return prefix + hql + " += (decimalValue(" + t.name + ") == null ? \" and 1=0\" : \" and " +
               path + "=:" + t.name + "\");";
    case TTermKind::Boolean:
        return prefix + hql + " += \" and " + path + "=:" + t.name + "\";";
    case TTermKind::IntReference:
        return prefix + hql + " += \" and " + path + "." + t.refKeyName + "=\" + " + RefKeyCall(t) +
               ";";
    case TTermKind::Reference:
        return prefix + hql + " += \" and " + path + "." + t.refKeyName + "=:" + t.name + "\";";
    }
    return {};
}

QStringList BindingLines(const TJavaNames& names, const QList<TQueryTerm>& terms,
                         const QString& indent) {
    const QString q = names.Local("q");
    QStringList lines;
    for (const TQueryTerm& t : terms) {
        const QString prefix =
            indent + "if(" + Guard(t) + ") " + q + ".setParameter(\"" + t.name + "\", ";
        if (t.kind == TTermKind::Text)
            lines << prefix + HibernateUtil(names) + ".likePattern(" + t.name + "));";
        else if (t.kind == TTermKind::Reference)
            lines << prefix + RefKeyCall(t) + ");";
        else if (t.kind == TTermKind::Long)
            lines << indent + "if(!" + t.name + ".equals(\"\") && longValue(" + t.name +
                         ") != null) " + q + ".setParameter(\"" + t.name + "\", longValue(" +
                         t.name + "));";
        else if (t.kind == TTermKind::Boolean) // "true" is yes, anything else no
            lines << prefix + names.Type("java.lang.Boolean") + ".valueOf(" + t.name + "));";
        else if (t.kind == TTermKind::Decimal) // the property is a text, the column a number
            lines << indent + "if(!" + t.name + ".equals(\"\") && decimalValue(" + t.name +
                         ") != null) " + q + ".setParameter(\"" + t.name + "\", decimalValue(" +
                         t.name + "), org.hibernate.type.BigDecimalType.INSTANCE);";
    }
    return lines;
}

// The HQL text of the conditions, shared by the paged query and the counting method; `head`
// is "select count(*) " for a count.
QStringList HqlLines(const TBuildContext& context, const TJavaNames& names, const TClassModel& c,
                     const QString& head) {
    const QString className = ObjectName(c.className);
    QStringList lines{kIndent12 + "String " + names.Local("hql") + " = \"" + head + "From " +
                      c.className + " " + className + " where 1=1\";"};
    for (const TQueryTerm& t : QueryTerms(context, c))
        lines << Condition(context, names, t, className);
    return lines;
}

// The page of the paged query, ordered by the key so that paging is stable. After the first
// page the rows are counted first: a page in the second half is read backwards from the end
// (see HibernateUtil.setPage), and the count is kept for the counting method.
QStringList PageLines(const TBuildContext& context, const TJavaNames& names, const TClassModel& c) {
    const QList<TQueryTerm> terms = QueryTerms(context, c);
    const QString object = LowerFirst(c.className);
    const QString key = Quoted(ObjectName(c.className) + "." + KeyOf(c).memberName);
    const QString util = HibernateUtil(names);
    const QString q = names.Local("q");
    const QString s = names.Local("s");
    const QString hql = names.Local("hql");
    const QString start = names.Local("startIndex");
    return QStringList{kIndent12 + names.Type(kQuery) + " " + q + ";",
                       kIndent12 +
                           "/*第一页以后先数出记录数: 后一半的页从末尾倒着取, 要跳过的记录少*/",
                       kIndent12 + "if(currentPage > 1) {",
                       kIndent12 + "    " + q + " = " + s + ".createQuery(\"select count(*) \" + " +
                           hql + ");"} +
           BindingLines(names, terms, kIndent12 + "    ") +
           QStringList{kIndent12 + "    this.countedNumber = ((java.lang.Number) " + q +
                           ".uniqueResult()).intValue();",
                       kIndent12 + "    this.countedQuery = " + util + ".queryKey(" + q + ");",
                       kIndent12 + "    /*页码超过最后一页时取最后一页*/",
                       kIndent12 + "    currentPage = " + util +
                           ".lastPage(currentPage, this.countedNumber, this.PAGE_SIZE);",
                       kIndent12 + "}",
                       kIndent12 + "/*计算当前显示页码的开始记录*/",
                       kIndent12 + "int " + start + " = (currentPage-1) * this.PAGE_SIZE;",
                       kIndent12 + q + " = " + s + ".createQuery(" + hql + " + " + util +
                           ".pageOrder(" + key + ", " + start + ", this.countedNumber));"} +
           BindingLines(names, terms, kIndent12) +
           QStringList{kIndent12 + util + ".setPage(" + q + ", " + start +
                           ", this.PAGE_SIZE, this.countedNumber);",
                       kIndent12 + names.Type(kList) + " " + object + "List = " + util +
                           ".pageRows(" + q + ".list(), " + start + ", this.countedNumber);"};
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

QStringList CatchLines(const TJavaNames& names, const QString& rollbackLine) {
    const QString e = names.Local("e");
    return {"        } catch (" + names.Type(kHibernateException) + " " + e + ") {",
            "            if(" + names.Local("tx") + " != null)", rollbackLine,
            "            throw " + e + ";"};
}

QStringList FinallyLines(const TJavaNames& names) {
    return {"        } finally {", "            " + HibernateUtil(names) + ".closeSession();",
            "        }", "    }", ""};
}

// The rollback line: with a tab in the update and the delete, with spaces only in the add.
QString TabRollback(const TJavaNames& names) {
    return "            \t  " + names.Local("tx") + ".rollback();";
}

QString SpaceRollback(const TJavaNames& names) {
    return "                " + names.Local("tx") + ".rollback();";
}

// "Session s = null;" followed by `tail`, then the line that opens the session.
QString SessionLine(const TJavaNames& names, const QString& tail = {}) {
    return "        " + names.Type(kSession) + " " + names.Local("s") + " = null;" + tail;
}

QString GetSessionLine(const TJavaNames& names) {
    return "            " + names.Local("s") + " = " + HibernateUtil(names) + ".getSession();";
}

// A method that changes the database in one transaction: its head lines, then the session and
// transaction around body, rolled back on failure. `blank` ends the try and begin lines.
QString TransactionMethod(const TJavaNames& names, const QStringList& head, const QStringList& body,
                          const QString& blank, const QString& rollbackLine) {
    const QString tx = names.Local("tx");
    QString text;
    AddLines(text, head + QStringList{SessionLine(names),
                                      "        " + names.Type(kTransaction) + " " + tx + " = null;",
                                      "        try {" + blank, GetSessionLine(names),
                                      "            " + tx + " = " + names.Local("s") +
                                          ".beginTransaction();" + blank});
    AddLines(text, body + QStringList{"            " + tx + ".commit();"} +
                       CatchLines(names, rollbackLine) + FinallyLines(names));
    return text;
}

QStringList HeaderLines(const TBuildContext& context, const TJavaNames& names,
                        const TClassModel& c) {
    const QString& package = context.packageName;
    const QString util = names.Qualified("utils.HibernateUtil");
    auto import = [&names](const QString& type) {
        return names.Imports(type) ? QStringList{"import " + type + ";"} : QStringList();
    };
    QStringList lines{"package com." + package + ".dao;", ""};
    lines << import(kArrayList) << import(kList) << import(kList) << ""
          << import(kHibernateException) << import(kQuery) << import(kSession)
          << import(kTransaction) << import(QStringLiteral("java.sql.Statement")) << import(util)
          << "";
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

// The catch of a search text that is no number.
QString NumberCatchLine(const TJavaNames& names) {
    return "        } catch (" + names.Type(kNumberFormatException) + " " + names.Local("e") +
           ") {";
}

// The search text of a long integer member as a number; only a class searched by one has it.
QString LongValueMethod(const TJavaNames& names, const TClassModel& c) {
    bool searched = false;
    for (const TMember& m : c.QueryMembers())
        searched = searched || m.memberType == MemberTypes::Long;
    if (!searched)
        return {};
    const QString type = names.Type("java.lang.Long");
    return Text({"    /*查询条件中的长整数, 不是长整数时为 null*/",
                 "    private static " + type + " longValue(String text) {", "        try {",
                 "            return " + type + ".valueOf(text.trim());", NumberCatchLine(names),
                 "            return null;", "        }", "    }", ""});
}

// The search text of a decimal member as a number; only a class searched by one has it.
QString DecimalValueMethod(const TJavaNames& names, const TClassModel& c) {
    bool searched = false;
    for (const TMember& m : c.QueryMembers())
        searched = searched || m.memberType == MemberTypes::Decimal;
    if (!searched)
        return {};
    return Text({"    /*查询条件中的小数, 不是数时为 null*/",
                 "    private static java.math.BigDecimal decimalValue(String text) {",
                 "        try {", "            return new java.math.BigDecimal(text.trim());",
                 NumberCatchLine(names), "            return null;", "        }", "    }", ""});
}

// A method that reads a list of the class's objects: its comment and signature, the lines that
// make the query `q`, then the list returned.
QString ListMethod(const TJavaNames& names, const TClassModel& c, const QString& comment,
                   const QString& signature, const QStringList& queryLines) {
    const QString& name = c.className;
    const QString object = LowerFirst(name);
    return Text(QStringList{comment, signature, SessionLine(names, " "), "        try {",
                            GetSessionLine(names)} +
                queryLines +
                QStringList{"            " + names.Type(kList) + " " + object +
                                "List = " + names.Local("q") + ".list();",
                            "            return (" + names.Type(kArrayList) + "<" + name + ">) " +
                                object + "List;"} +
                FinallyLines(names));
}

// The look-up's condition on a member: a text starts with the typed text (the display member's
// column has an index for it), an int key equals the typed number, a number's text starts with it.
QString LookupCondition(const TJavaNames& names, const QString& object, const TMember& m) {
    const QString path = object + "." + m.memberName;
    const QString util = HibernateUtil(names);
    const QString hql = names.Local("hql");
    if (m.memberIsPri == 1 && m.memberIsInteger == 1)
        return kIndent12 + "if(" + util + ".intValue(term) != null) " + hql + " += \" or " + path +
               " = \" + " + util + ".intValue(term);";
    const bool text = IsTextType(m.memberType) && m.memberType != MemberTypes::DateTime;
    const QString value = text ? path : "str(" + path + ")";
    return kIndent12 + hql + " += \" or " + value + " like :term escape '!'\";";
}

// "throws Exception", the end of the signature of the methods that store.
QString Throws(const TJavaNames& names) {
    return " throws " + names.Type("java.lang.Exception") + " {";
}

// "Query q = s.createQuery(hql);", indented by twelve spaces.
QString CreateQueryLine(const TJavaNames& names, const QString& argument) {
    return kIndent12 + names.Type(kQuery) + " " + names.Local("q") + " = " + names.Local("s") +
           ".createQuery(" + argument + ");";
}

} // namespace

TGeneratedFiles TDaoOperate::GenerateDaoClasses(const TBuildContext& context) {
    return BuildPerClass(context, BuildDaoClass);
}

TGeneratedFile TDaoOperate::BuildDaoClass(const TBuildContext& context, const TClassModel& c) {
    const TJavaNames names = Names(context, c);
    const QString text = Text(HeaderLines(context, names, c) + FieldLines()) +
                         BuildAddMethod(context, c) + BuildQueryMethod(context, c) +
                         BuildQueryAllMethod(context, c) + BuildChoicesMethod(context, c) +
                         BuildLookupMethod(context, c) + BuildCalculateMethod(context, c) +
                         BuildGetMethod(context, c) + BuildUpdateMethod(context, c) +
                         BuildDeleteMethod(context, c) + LongValueMethod(names, c) +
                         DecimalValueMethod(names, c) + Text({"}"});
    return {PackagePath(context.packageName, "dao/" + c.className + "DAO.java"),
            text,
            TFileEncoding::Ansi,
            kJavaDone,
            {}};
}

QString TDaoOperate::BuildAddMethod(const TBuildContext& context, const TClassModel& c) {
    const TJavaNames names = Names(context, c);
    const QString& name = c.className;
    const QString object = ObjectVariable(name);
    return TransactionMethod(
        names,
        {"    /*添加" + name + "信息*/",
         "    public void Add" + name + "(" + name + " " + object + ")" + Throws(names)},
        {"            " + names.Local("s") + ".save(" + object + ");"}, QStringLiteral(" "),
        SpaceRollback(names));
}

QString TDaoOperate::BuildQueryMethod(const TBuildContext& context, const TClassModel& c) {
    const TJavaNames names = Names(context, c);
    const QString& name = c.className;
    const QString object = LowerFirst(name);
    QString parameters;
    for (const QString& parameter : QueryParameters(c))
        parameters += parameter + ",";
    return Text(QStringList{"    /*查询" + name + "信息*/",
                            "    public " + names.Type(kArrayList) + "<" + name + "> Query" + name +
                                "Info(" + parameters + "int currentPage) { ",
                            SessionLine(names, " "), "        try {", GetSessionLine(names)} +
                HqlLines(context, names, c, QString()) + PageLines(context, names, c) +
                QStringList{"            return (" + names.Type(kArrayList) + "<" + name + ">) " +
                            object + "List;"} +
                FinallyLines(names));
}

QString TDaoOperate::BuildQueryAllMethod(const TBuildContext& context, const TClassModel& c) {
    const TJavaNames names = Names(context, c);
    const QString& name = c.className;
    const QString hql = names.Local("hql");
    return ListMethod(
        names, c, "    /*函数功能：查询所有的" + name + "记录*/",
        "    public " + names.Type(kArrayList) + "<" + name + "> QueryAll" + name + "Info() {",
        {"            String " + hql + " = \"From " + name + "\";", CreateQueryLine(names, hql)});
}

// The first rows of the class by key, for the drop-downs of the classes that refer to it.
QString TDaoOperate::BuildChoicesMethod(const TBuildContext& context, const TClassModel& c) {
    const TJavaNames names = Names(context, c);
    const QString& name = c.className;
    const QString object = ObjectName(name);
    return ListMethod(names, c, "    /*下拉框的选项: 按主键排序的前limit条" + name + "记录*/",
                      "    public " + names.Type(kArrayList) + "<" + name + "> Query" + name +
                          "Choices(int limit) {",
                      {CreateQueryLine(names, "\"From " + name + " " + object + " order by " +
                                                  object + "." + KeyOf(c).memberName + "\""),
                       "            " + names.Local("q") + ".setMaxResults(limit);"});
}

// The first rows by key whose key or display text starts with a text: the type-ahead of the
// key fields that replace the drop-downs of a large referenced class. A display member that is
// a reference is followed by left joins, so that a row with an empty reference still matches
// by its key.
QString TDaoOperate::BuildLookupMethod(const TBuildContext& context, const TClassModel& c) {
    const TJavaNames names = Names(context, c);
    const QString& name = c.className;
    const QString object = ObjectName(name);
    const QString hql = names.Local("hql");
    const QString q = names.Local("q");
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
    QStringList lines{kIndent12 + "String " + hql + " = \"" + from + " where 1=0\";",
                      LookupCondition(names, object, key)};
    const bool shown = !path.isEmpty() && MemberTypes::IsSimple(path.last().memberType);
    if (shown && (path.size() > 1 || path.last().memberName != key.memberName))
        lines << LookupCondition(names, owner, path.last());
    const bool bound = lines.join(QString()).contains(QStringLiteral(":term"));
    lines << kIndent12 + hql + " += \" order by " + object + "." + key.memberName + "\";"
          << CreateQueryLine(names, hql);
    if (bound)
        lines << kIndent12 + q + ".setParameter(\"term\", " + HibernateUtil(names) +
                     ".likePrefix(term));";
    lines << kIndent12 + q + ".setMaxResults(limit);";
    return ListMethod(names, c,
                      "    /*输入主键时的提示: 主键或显示值以term开头的前limit条" + name + "记录*/",
                      "    public " + names.Type(kArrayList) + "<" + name + "> Query" + name +
                          "Lookup(String term, int limit) {",
                      lines);
}

QString TDaoOperate::BuildCalculateMethod(const TBuildContext& context, const TClassModel& c) {
    const TJavaNames names = Names(context, c);
    const QString q = names.Local("q");
    const QString mod = names.Local("mod");
    return Text(QStringList{"    /*计算总的页数和记录数*/",
                            "    public void CalculateTotalPageAndRecordNumber(" +
                                QueryParameters(c).join(',') + ") {",
                            SessionLine(names), "        try {", GetSessionLine(names)} +
                HqlLines(context, names, c, "select count(*) ") +
                QStringList{CreateQueryLine(names, names.Local("hql"))} +
                BindingLines(names, QueryTerms(context, c), kIndent12) +
                QStringList{"            /*分页查询刚数过同样的记录时不再数*/",
                            "            if(" + HibernateUtil(names) + ".queryKey(" + q +
                                ").equals(this.countedQuery)) recordNumber = this.countedNumber;",
                            "            else recordNumber = ((java.lang.Number) " + q +
                                ".uniqueResult()).intValue();",
                            "            this.countedQuery = null;",
                            "            int " + mod + " = recordNumber % this.PAGE_SIZE;",
                            "            totalPage = recordNumber / this.PAGE_SIZE;",
                            "            if(" + mod + " != 0) totalPage++;"} +
                FinallyLines(names));
}

QString TDaoOperate::BuildGetMethod(const TBuildContext& context, const TClassModel& c) {
    const TJavaNames names = Names(context, c);
    const QString& name = c.className;
    const QString object = ObjectVariable(name);
    const TMember key = KeyOf(c);
    const QString& keyName = key.memberName;
    return Text(QStringList{"    /*根据主键获取对象*/",
                            "    public " + name + " Get" + name + "By" + UpperFirst(keyName) +
                                "(" + KeyType(key) + " " + keyName + ") {",
                            SessionLine(names), "        try {", GetSessionLine(names),
                            "            " + name + " " + object + " = (" + name + ")" +
                                names.Local("s") + ".get(" + name + ".class, " + keyName + ");",
                            "            return " + object + ";"} +
                FinallyLines(names));
}

QString TDaoOperate::BuildUpdateMethod(const TBuildContext& context, const TClassModel& c) {
    const TJavaNames names = Names(context, c);
    const QString& name = c.className;
    const QString object = ObjectVariable(name);
    return TransactionMethod(
        names,
        {"    /*更新" + name + "信息*/",
         "    public void Update" + name + "(" + name + " " + object + ")" + Throws(names)},
        {"            " + names.Local("s") + ".update(" + object + ");"}, QString(),
        TabRollback(names));
}

QString TDaoOperate::BuildDeleteMethod(const TBuildContext& context, const TClassModel& c) {
    const TJavaNames names = Names(context, c);
    const QString& name = c.className;
    const QString object = ObjectVariable(name);
    const TMember key = KeyOf(c);
    const QString s = names.Local("s");
    return TransactionMethod(
        names,
        {"    /*删除" + name + "信息*/", "    public void Delete" + name + " (" + KeyType(key) +
                                             " " + key.memberName + ")" + Throws(names)},
        {"            " + names.Type("java.lang.Object") + " " + object + " = " + s + ".get(" +
             name + ".class, " + key.memberName + ");",
         "            " + s + ".delete(" + object + ");"},
        QString(), TabRollback(names));
}
