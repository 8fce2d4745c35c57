#include "ActionOperate.h"

#include "CodeText.h"
#include "JavaNames.h"

using namespace CodeText;

namespace {

const QString kList = QStringLiteral("java.util.List");
const QString kActionContext = QStringLiteral("com.opensymphony.xwork2.ActionContext");
const QString kActionSupport = QStringLiteral("com.opensymphony.xwork2.ActionSupport");

// The locals of the Action's methods that an Action property of the same name, or the class's
// object, would be confused with: the context, the stored object looked up by key, and the DAOs
// of the referenced classes.
QSet<QString> RenamedLocals(const TClassModel& c) {
    const QString object = LowerFirst(c.className);
    QSet<QString> properties{ObjectName(c.className)};
    for (const TMember& m : c.members)
        if (IsActionProperty(m))
            properties.insert(m.memberName);
    QSet<QString> locals{QStringLiteral("ctx"), "db_" + object};
    for (const TMember& m : c.ReferenceMembers())
        if (m.memberType != c.className)
            locals.insert(LowerFirst(m.memberType) + "DAO");
    return locals & properties;
}

TJavaNames Names(const TBuildContext& context, const TClassModel& c) {
    return TJavaNames(context.packageName, ClassesSeenBy(c), RenamedLocals(c));
}

// "ActionContext ctx = ActionContext.getContext();", indented by eight spaces.
QString ContextLine(const TJavaNames& names) {
    const QString type = names.Type(kActionContext);
    return "        " + type + " " + names.Local("ctx") + " = " + type + ".getContext();";
}

// A bean property: field, setter, getter returning `returned`, empty line; class indentation.
// The accessors are named set‹suffix› and get‹suffix›, by default the name with an upper first.
QStringList PropertyLines(const QString& type, const QString& name, const QString& returned,
                          const QString& suffix = {}) {
    const QString upper = suffix.isEmpty() ? UpperFirst(name) : suffix;
    return {"    private " + type + " " + name + ";",
            "    public void set" + upper + "(" + type + " " + name + ") {",
            "        this." + name + " = " + name + ";",
            "    }",
            "    public " + type + " get" + upper + "() {",
            "        return " + returned + ";",
            "    }",
            ""};
}

QStringList CommentedProperty(const QString& comment, const QString& type, const QString& name,
                              const QString& returned) {
    return QStringList{"    /*" + comment + "*/"} + PropertyLines(type, name, returned);
}

// The local holding the DAO of a referenced class.
QString DaoLocal(const TJavaNames& names, const QString& refClass) {
    return names.Local(LowerFirst(refClass) + "DAO");
}

QString DaoDeclaration(const TJavaNames& names, const QString& refClass) {
    return refClass + "DAO " + DaoLocal(names, refClass) + " = new " + refClass + "DAO();";
}

QString Put(const TJavaNames& names, const QString& key, const QString& value) {
    return names.Local("ctx") + ".put(" + Quoted(key) + ", " + value + ");";
}

// A message for the page: two blanks after the comma.
QString EncodedPut(const TJavaNames& names, const QString& key, const QString& message) {
    return "            " + names.Local("ctx") + ".put(" + Quoted(key) +
           ",  java.net.URLEncoder.encode(" + Quoted(JavaString(message)) + "));";
}

// The catch line of the methods that store: `tail` follows the brace of the try block's end.
QString CatchLine(const TJavaNames& names, const QString& tail) {
    return "        } catch (" + names.Type("java.lang.Exception") + " e)" + tail;
}

// The DAO call of a try block, then the page's message and result for either outcome.
QStringList OutcomeLines(const TJavaNames& names, const QString& call, const QString& success,
                         const QString& result, const QString& failure, const QString& catchLine) {
    return {"            " + call,
            EncodedPut(names, "message", success),
            "            return " + Quoted(result) + ";",
            catchLine,
            "            " + names.OwnType("utils.FailureLog") + ".Log(e);",
            EncodedPut(names, "error", failure),
            "            return \"error\";"};
}

// The list of all objects of a referenced class, put into the context for a drop-down.
QStringList DropDownLines(const TJavaNames& names, const QString& refClass) {
    const QString list = LowerFirst(refClass) + "List";
    return {"        " + DaoDeclaration(names, refClass),
            "        " + names.Type(kList) + "<" + refClass + "> " + list + " = " +
                DaoLocal(names, refClass) + "." + ChoicesCall(refClass) + ";",
            "        " + Put(names, list, list)};
}

// Replaces each referenced object by the stored one with the same key; one DAO per class.
QStringList StoreReferenceLines(const TBuildContext& context, const TJavaNames& names,
                                const TClassModel& c) {
    const QString object = ObjectVariable(c.className);
    const QList<TMember> refs = c.ReferenceMembers();
    QStringList lines;
    for (qsizetype i = 0; i < refs.size(); ++i) {
        const QString& refClass = refs[i].memberType;
        // the Action's property of that name holds it (a search member's is its SearchName)
        const QString refMember = refs[i].queryFlag == 1 ? SearchName(refs[i]) : refs[i].memberName;
        const QString refKey = UpperFirst(ReferencedKey(context.model, refClass).memberName);
        if (IsFirstOfType(refs, i))
            lines << "            " + DaoDeclaration(names, refClass);
        const QString getter = object + ".get" + UpperFirst(refs[i].memberName) + "()";
        // An empty choice of a nullable reference may leave no object at all: NULL.
        const QString none = IsNullableReference(context.model, refs[i])
                                 ? "null == " + getter + " ? null : "
                                 : QString();
        lines << "            " + refMember + " = " + none + DaoLocal(names, refClass) + ".Get" +
                     refClass + "By" + refKey + "(" + getter + ".get" + refKey + "());"
              << "            " + object + ".set" + UpperFirst(refs[i].memberName) + "(" +
                     refMember + ");";
    }
    return lines;
}

// Struts converts the empty choice "(空)" of a nullable yes/no to false; it stands for NULL.
QStringList EmptyYesNoLines(const TBuildContext& context, const TJavaNames& names,
                            const TClassModel& c) {
    const QString variable = ObjectVariable(c.className); // also the form fields' prefix
    QStringList lines;
    for (const TMember& m : c.members) {
        if (m.memberType != MemberTypes::Boolean || !IsNullableNumber(context.model, m))
            continue;
        if (lines.isEmpty())
            lines << "            /*是否字段选择(空)时存为NULL*/";
        lines << "            if(\"\".equals(" + names.Local("ctx") + ".getParameters().get(\"" +
                     variable + "." + m.memberName + "\").getValue())) " + variable + ".set" +
                     UpperFirst(m.memberName) + "(null);";
    }
    return lines;
}

// The import lines of the types the file writes by their simple names.
QStringList ImportLines(const TJavaNames& names, const QStringList& types) {
    QStringList lines;
    for (const QString& type : types)
        if (names.Imports(type))
            lines << "import " + type + ";";
    return lines;
}

QStringList HeadLines(const TBuildContext& context, const TJavaNames& names, const TClassModel& c) {
    const QString prefix = "import com." + context.packageName;
    QStringList lines{"package com." + context.packageName + ".action;", ""};
    lines << ImportLines(names, {kList, kActionContext, kActionSupport})
          << prefix + ".dao." + c.className + "DAO;" << prefix + ".domain." + c.className + ";";
    for (const TMember& m : c.ReferenceMembers())
        lines << prefix + ".dao." + m.memberType + "DAO;"
              << prefix + ".domain." + m.memberType + ";";
    return lines << ImportLines(names, {names.Qualified("test.TestUtil"),
                                        names.Qualified("utils.ReferenceChoices"),
                                        names.Qualified("utils.FailureLog")})
                 << ""
                 << "public class " + ActionClassName(c.className) + " extends " +
                        names.Type(kActionSupport) +
                        " {"
                 << "";
}

// Query members, then the reference members that are not query members.
QStringList MemberPropertyLines(const TClassModel& c) {
    QStringList lines;
    for (const TMember& m : c.QueryMembers())
        lines << CommentedProperty("界面层需要查询的属性: " + JavaComment(m.memberComment),
                                   QueryType(m.memberType), SearchName(m), "this." + SearchName(m));
    for (const TMember& m : c.ReferenceMembers())
        if (m.queryFlag != 1)
            lines << CommentedProperty(JavaComment(m.memberComment), m.memberType, m.memberName,
                                       "this." + m.memberName);
    return lines;
}

// A text key that is a query member already has its property, unless its search value is
// named otherwise.
QStringList KeyPropertyLines(const TMember& key) {
    if (IsNumberKeyType(key.memberType))
        return PropertyLines(JavaType(key.memberType), key.memberName, key.memberName);
    if (key.queryFlag == 0 || SearchName(key) != key.memberName)
        return PropertyLines("String", key.memberName, key.memberName);
    return {};
}

QStringList TailPropertyLines(const TClassModel& c) {
    const QString& name = c.className;
    const QString object = LowerFirst(name);
    const QString variable = ObjectVariable(name);
    return QStringList{"    /*业务层对象*/",
                       "    " + name + "DAO " + object + "DAO = new " + name + "DAO();", "",
                       "    /*待操作的" + name + "对象*/"} +
           // the accessors are named after the class name, with the object name's "_" if any
           PropertyLines(name, variable, "this." + variable,
                         name + variable.mid(LowerFirst(name).size()));
}

QStringList NullGuardLines(const QList<TMember>& members) {
    QStringList lines;
    for (const TMember& m : members)
        if (IsTextSearch(m.memberType))
            lines << "        if(" + SearchName(m) + " == null) " + SearchName(m) + " = \"\";";
    return lines;
}

// The paged query and the counts, then the list and the paging values into the context.
QStringList QueryCallLines(const TJavaNames& names, const QString& name,
                           const QList<TMember>& members) {
    const QString object = LowerFirst(name);
    QStringList memberNames;
    for (const TMember& m : members)
        memberNames << SearchName(m);
    const QString arguments = memberNames.join(", ");
    return {"        " + names.Type(kList) + "<" + name + "> " + object + "List = " + object +
                "DAO.Query" + name + "Info(" + arguments + (memberNames.isEmpty() ? "" : ", ") +
                "currentPage);",
            "        /*计算总的页数和总的记录数*/",
            "        " + object + "DAO.CalculateTotalPageAndRecordNumber(" + arguments + ");",
            "        /*获取到总的页码数目*/",
            "        totalPage = " + object + "DAO.getTotalPage();",
            "        /*页码超过最后一页时显示最后一页 (DAO 已按最后一页查询)*/",
            "        if(currentPage > totalPage) currentPage = " + names.Type("java.lang.Math") +
                ".max(totalPage, 1);",
            "        /*当前查询条件下总记录数*/",
            "        recordNumber = " + object + "DAO.getRecordNumber();",
            ContextLine(names),
            "        " + names.Local("ctx") + ".put(" + Quoted(object + "List") + ",  " + object +
                "List);",
            "        " + Put(names, "totalPage", "totalPage"),
            "        " + Put(names, "recordNumber", "recordNumber"),
            "        " + Put(names, "currentPage", "currentPage")};
}

// Each query member into the context; a referenced class also gets its drop-down list.
QStringList QueryPutLines(const TJavaNames& names, const QList<TMember>& members) {
    QStringList lines;
    for (qsizetype i = 0; i < members.size(); ++i) {
        const TMember& m = members[i];
        lines << "        " + Put(names, SearchName(m), SearchName(m));
        if (!IsTextSearch(m.memberType) && IsFirstOfType(members, i))
            lines << DropDownLines(names, m.memberType);
    }
    return lines;
}

// A key the user gives is looked up first: an existing object refuses the new one.
QStringList DuplicateKeyLines(const TJavaNames& names, const TClassModel& c, const TMember& key,
                              const QString& type, const QString& label) {
    const QString& name = c.className;
    const QString object = LowerFirst(name);
    const QString stored = names.Local("db_" + object);
    const QString& keyName = key.memberName;
    const QString upperKey = UpperFirst(keyName);
    return {"        /*验证" + JavaComment(label) + "是否已经存在*/",
            "        " + type + " " + keyName + " = " + ObjectVariable(name) + ".get" + upperKey +
                "();",
            "        " + name + " " + stored + " = " + object + "DAO.Get" + name + "By" + upperKey +
                "(" + keyName + ");",
            "        if(null != " + stored + ") {",
            EncodedPut(names, "error", "该" + label + "已经存在!"),
            "            return \"error\";",
            "        }"};
}

} // namespace

TGeneratedFiles TActionOperate::GenerateActionClasses(const TBuildContext& context) {
    return BuildPerClass(context, BuildActionClass);
}

TGeneratedFile TActionOperate::BuildActionClass(const TBuildContext& context,
                                                const TClassModel& c) {
    QString text;
    AddLines(text, HeadLines(context, Names(context, c), c));
    AddLines(text, MemberPropertyLines(c));
    AddLines(text, CommentedProperty("当前第几页", "int", "currentPage", "currentPage"));
    AddLines(text, CommentedProperty("一共多少页", "int", "totalPage", "totalPage"));
    AddLines(text, KeyPropertyLines(KeyOf(c)));
    AddLines(text,
             CommentedProperty("当前查询的总记录数目", "int", "recordNumber", "recordNumber"));
    AddLines(text, TailPropertyLines(c));
    text += BuildAddViewAction(context, c) + BuildAddAction(context, c) +
            BuildQueryAction(context, c) + BuildModifyQueryAction(context, c) +
            BuildModifyAction(context, c) + BuildDeleteAction(context, c) +
            BuildLookupAction(context, c);
    AddLines(text, {"}"});
    return {PackagePath(context.packageName, "action/" + ActionClassName(c.className) + ".java"),
            text,
            TFileEncoding::Ansi,
            kJavaDone,
            {}};
}

QString TActionOperate::BuildAddViewAction(const TBuildContext& context, const TClassModel& c) {
    const TJavaNames names = Names(context, c);
    QString text;
    AddLines(text, {"    /*跳转到添加" + c.className + "视图*/", "    public String AddView() {",
                    ContextLine(names)});
    const QList<TMember> refs = c.ReferenceMembers();
    for (qsizetype i = 0; i < refs.size(); ++i) {
        if (!IsFirstOfType(refs, i))
            continue;
        AddLines(text, {"        /*查询所有的" + refs[i].memberType + "信息*/"});
        AddLines(text, DropDownLines(names, refs[i].memberType));
    }
    AddLines(text, {"        return \"add_view\";", "    }", ""});
    return text;
}

QString TActionOperate::BuildAddAction(const TBuildContext& context, const TClassModel& c) {
    const TJavaNames names = Names(context, c);
    const TMember key = KeyOf(c);
    const QString& name = c.className;
    const QString object = LowerFirst(name);
    const QString variable = ObjectVariable(name);
    QString text;
    AddLines(text, {"    /*添加" + name + "信息*/",
                    "    @" + names.Type("java.lang.SuppressWarnings") + "(\"deprecation\")",
                    "    public String Add" + name + "() {", ContextLine(names)});
    if (c.NonKeyMembers().isEmpty() && IsNumberKeyType(key.memberType) && !IsAssignedKey(key))
        AddLines(text,
                 {"        /*添加页面没有要填写的字段, 请求中没有" + name + "对象*/",
                  "        if(null == " + variable + ") " + variable + " = new " + name + "();"});
    if (key.memberType == MemberTypes::String)
        AddLines(text, DuplicateKeyLines(names, c, key, "String", key.memberComment));
    else if (IsAssignedKey(key)) // named by its comment, else by its name
        AddLines(text, DuplicateKeyLines(names, c, key, JavaType(key.memberType),
                                         key.memberComment.isEmpty() ? key.memberName
                                                                     : key.memberComment));
    AddLines(text, {"        try {"});
    AddLines(text, StoreReferenceLines(context, names, c));
    AddLines(text, EmptyYesNoLines(context, names, c));
    AddLines(text, OutcomeLines(names, object + "DAO.Add" + name + "(" + variable + ");",
                                name + "添加成功!", "add_success", name + "添加失败!",
                                CatchLine(names, " {")));
    AddLines(text, {"        }", "    }", ""});
    return text;
}

QString TActionOperate::BuildQueryAction(const TBuildContext& context, const TClassModel& c) {
    const TJavaNames names = Names(context, c);
    const QString& name = c.className;
    const QList<TMember> members = c.QueryMembers();
    QString text;
    AddLines(text, {"    /*查询" + name + "信息*/", "    public String Query" + name + "() {",
                    "        if(currentPage < 1) currentPage = 1;"});
    AddLines(text, NullGuardLines(members));
    AddLines(text, QueryCallLines(names, name, members));
    AddLines(text, QueryPutLines(names, members));
    AddLines(text, {"        return \"query_view\";", "    }", ""});
    return text;
}

QString TActionOperate::BuildModifyQueryAction(const TBuildContext& context, const TClassModel& c) {
    const TJavaNames names = Names(context, c);
    const TMember key = KeyOf(c);
    const QString& name = c.className;
    const QString object = LowerFirst(name);
    const QString variable = ObjectVariable(name);
    QString text;
    AddLines(text, {"    /*查询要修改的" + name + "信息*/",
                    "    public String Modify" + name + "Query() {", ContextLine(names),
                    "        /*根据主键" + key.memberName + "获取" + name + "对象*/",
                    "        " + name + " " + variable + " = " + object + "DAO.Get" + name + "By" +
                        UpperFirst(key.memberName) + "(" + key.memberName + ");",
                    "        this." + variable + " = " + variable + ";", ""});
    const QList<TMember> refs = c.ReferenceMembers();
    for (qsizetype i = 0; i < refs.size(); ++i)
        if (IsFirstOfType(refs, i))
            AddLines(text, DropDownLines(names, refs[i].memberType));
    AddLines(text,
             {"        " + names.Local("ctx") + ".put(" + Quoted(variable) + ",  " + variable + ");",
              "        return \"modify_view\";", "    }", ""});
    return text;
}

QString TActionOperate::BuildModifyAction(const TBuildContext& context, const TClassModel& c) {
    const TJavaNames names = Names(context, c);
    const QString& name = c.className;
    const QString object = LowerFirst(name);
    const QString variable = ObjectVariable(name);
    QString text;
    // A refused request (a check or a conversion) shows the modify page again, not the add page.
    AddLines(text,
             {"    /*更新修改" + name + "信息*/",
              "    @com.opensymphony.xwork2.interceptor.annotations.InputConfig("
              "resultName = \"modify_view\")",
              "    public String Modify" + name + "() {", ContextLine(names), "        try {"});
    AddLines(text, StoreReferenceLines(context, names, c));
    AddLines(text, EmptyYesNoLines(context, names, c));
    AddLines(text, OutcomeLines(names, object + "DAO.Update" + name + "(" + variable + ");",
                                name + "信息更新成功!", "modify_success", name + "信息更新失败!",
                                CatchLine(names, " {")));
    AddLines(text, {"       }", "   }", ""});
    return text;
}

QString TActionOperate::BuildDeleteAction(const TBuildContext& context, const TClassModel& c) {
    const TJavaNames names = Names(context, c);
    const TMember key = KeyOf(c);
    const QString& name = c.className;
    const QString object = LowerFirst(name);
    QString text;
    AddLines(text, {"    /*删除" + name + "信息*/", "    public String Delete" + name + "() {",
                    ContextLine(names), "        try { "});
    AddLines(text, OutcomeLines(names, object + "DAO.Delete" + name + "(" + key.memberName + ");",
                                name + "删除成功!", "delete_success", name + "删除失败!",
                                CatchLine(names, " { ")));
    AddLines(text, {"        }", "    }", ""});
    return text;
}

// The type-ahead of the pages whose key field stands for a large list of this class.
QString TActionOperate::BuildLookupAction(const TBuildContext& context, const TClassModel& c) {
    const TJavaNames names = Names(context, c);
    const QString choices = names.OwnType("utils.ReferenceChoices");
    const QString& name = c.className;
    const QString object = LowerFirst(name);
    const QString list = object + "List";
    QString text;
    AddLines(text,
             {"    /*输入主键时的提示: 以JSON写回主键或显示值以所填文字开头的前几个" + name + "*/",
              "    public String Lookup" + name + "() {",
              "        " + names.Type(kList) + "<" + name + "> " + list + " = " + object +
                  "DAO.Query" + name + "Lookup(" + choices + ".Term(), " + choices +
                  ".LOOKUP_LIMIT);",
              "        " + choices + ".Reply(" + list + ", " + Quoted(KeyOf(c).memberName) + ", " +
                  Quoted(ShownProperty(context.model, name)) + ");",
              "        return \"none\";", "    }", ""});
    return text;
}
