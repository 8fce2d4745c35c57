#include "ActionOperate.h"

#include "CodeText.h"

using namespace CodeText;

namespace {

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

QString DaoDeclaration(const QString& refClass) {
    return refClass + "DAO " + LowerFirst(refClass) + "DAO = new " + refClass + "DAO();";
}

QString Put(const QString& key, const QString& value) {
    return "ctx.put(" + Quoted(key) + ", " + value + ");";
}

// A message for the page: two blanks after the comma.
QString EncodedPut(const QString& key, const QString& message) {
    return "            ctx.put(" + Quoted(key) + ",  java.net.URLEncoder.encode(" +
           Quoted(JavaString(message)) + "));";
}

// The DAO call of a try block, then the page's message and result for either outcome.
QStringList OutcomeLines(const QString& call, const QString& success, const QString& result,
                         const QString& failure, const QString& catchLine) {
    return {"            " + call,
            EncodedPut("message", success),
            "            return " + Quoted(result) + ";",
            catchLine,
            "            FailureLog.Log(e);",
            EncodedPut("error", failure),
            "            return \"error\";"};
}

// The list of all objects of a referenced class, put into the context for a drop-down.
QStringList DropDownLines(const QString& refClass) {
    const QString list = LowerFirst(refClass) + "List";
    return {"        " + DaoDeclaration(refClass),
            "        List<" + refClass + "> " + list + " = " + LowerFirst(refClass) + "DAO." +
                ChoicesCall(refClass) + ";",
            "        " + Put(list, list)};
}

// Replaces each referenced object by the stored one with the same key; one DAO per class.
QStringList StoreReferenceLines(const TBuildContext& context, const TClassModel& c) {
    const QString object = ObjectName(c.className);
    const QList<TMember> refs = c.ReferenceMembers();
    QStringList lines;
    for (qsizetype i = 0; i < refs.size(); ++i) {
        const QString& refClass = refs[i].memberType;
        // the Action's property of that name holds it (a search member's is its SearchName)
        const QString refMember = refs[i].queryFlag == 1 ? SearchName(refs[i]) : refs[i].memberName;
        const QString refKey = UpperFirst(ReferencedKey(context.model, refClass).memberName);
        if (IsFirstOfType(refs, i))
            lines << "            " + DaoDeclaration(refClass);
        const QString getter = object + ".get" + UpperFirst(refs[i].memberName) + "()";
        // An empty choice of a nullable reference may leave no object at all: NULL.
        const QString none = IsNullableReference(context.model, refs[i])
                                 ? "null == " + getter + " ? null : "
                                 : QString();
        lines << "            " + refMember + " = " + none + LowerFirst(refClass) + "DAO.Get" +
                     refClass + "By" + refKey + "(" + getter + ".get" + refKey + "());"
              << "            " + object + ".set" + UpperFirst(refs[i].memberName) + "(" +
                     refMember + ");";
    }
    return lines;
}

// Struts converts the empty choice "(空)" of a nullable yes/no to false; it stands for NULL.
QStringList EmptyYesNoLines(const TBuildContext& context, const TClassModel& c) {
    const QString object = ObjectName(c.className);
    QStringList lines;
    for (const TMember& m : c.members) {
        if (m.memberType != MemberTypes::Boolean || !IsNullableNumber(context.model, m))
            continue;
        if (lines.isEmpty())
            lines << "            /*是否字段选择(空)时存为NULL*/";
        lines << "            if(\"\".equals(ctx.getParameters().get(\"" + object + "." +
                     m.memberName + "\").getValue())) " + object + ".set" +
                     UpperFirst(m.memberName) + "(null);";
    }
    return lines;
}

QStringList HeadLines(const TBuildContext& context, const TClassModel& c) {
    const QString prefix = "import com." + context.packageName;
    QStringList lines{"package com." + context.packageName + ".action;",
                      "",
                      "import java.util.List;",
                      "import com.opensymphony.xwork2.ActionContext;",
                      "import com.opensymphony.xwork2.ActionSupport;",
                      prefix + ".dao." + c.className + "DAO;",
                      prefix + ".domain." + c.className + ";"};
    for (const TMember& m : c.ReferenceMembers())
        lines << prefix + ".dao." + m.memberType + "DAO;"
              << prefix + ".domain." + m.memberType + ";";
    return lines << prefix + ".test.TestUtil;" << prefix + ".utils.ReferenceChoices;"
                 << prefix + ".utils.FailureLog;"
                 << ""
                 << "public class " + ActionClassName(c.className) + " extends ActionSupport {"
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
    const QString object = ObjectName(name);
    // accessors after the class name, and its "_" where the object's name has one
    const QString accessor = name + object.mid(LowerFirst(name).size());
    return QStringList{"    /*业务层对象*/", "    " + DaoDeclaration(name), "",
                       "    /*待操作的" + name + "对象*/"} +
           PropertyLines(name, object, "this." + object, accessor);
}

QStringList NullGuardLines(const QList<TMember>& members) {
    QStringList lines;
    for (const TMember& m : members)
        if (IsTextSearch(m.memberType))
            lines << "        if(" + SearchName(m) + " == null) " + SearchName(m) + " = \"\";";
    return lines;
}

// The paged query and the counts, then the list and the paging values into the context.
QStringList QueryCallLines(const QString& name, const QList<TMember>& members) {
    const QString object = LowerFirst(name);
    QStringList names;
    for (const TMember& m : members)
        names << SearchName(m);
    const QString arguments = names.join(", ");
    return {"        List<" + name + "> " + object + "List = " + object + "DAO.Query" + name +
                "Info(" + arguments + (names.isEmpty() ? "" : ", ") + "currentPage);",
            "        /*计算总的页数和总的记录数*/",
            "        " + object + "DAO.CalculateTotalPageAndRecordNumber(" + arguments + ");",
            "        /*获取到总的页码数目*/",
            "        totalPage = " + object + "DAO.getTotalPage();",
            "        /*页码超过最后一页时显示最后一页 (DAO 已按最后一页查询)*/",
            "        if(currentPage > totalPage) currentPage = Math.max(totalPage, 1);",
            "        /*当前查询条件下总记录数*/",
            "        recordNumber = " + object + "DAO.getRecordNumber();",
            "        ActionContext ctx = ActionContext.getContext();",
            "        ctx.put(" + Quoted(object + "List") + ",  " + object + "List);",
            "        " + Put("totalPage", "totalPage"),
            "        " + Put("recordNumber", "recordNumber"),
            "        " + Put("currentPage", "currentPage")};
}

// Each query member into the context; a referenced class also gets its drop-down list.
QStringList QueryPutLines(const QList<TMember>& members) {
    QStringList lines;
    for (qsizetype i = 0; i < members.size(); ++i) {
        const TMember& m = members[i];
        lines << "        " + Put(SearchName(m), SearchName(m));
        if (!IsTextSearch(m.memberType) && IsFirstOfType(members, i))
            lines << DropDownLines(m.memberType);
    }
    return lines;
}

// A key the user gives is looked up first: an existing object refuses the new one.
QStringList DuplicateKeyLines(const TClassModel& c, const TMember& key, const QString& type,
                              const QString& label) {
    const QString& name = c.className;
    const QString object = LowerFirst(name);
    const QString& keyName = key.memberName;
    const QString upperKey = UpperFirst(keyName);
    return {"        /*验证" + JavaComment(label) + "是否已经存在*/",
            "        " + type + " " + keyName + " = " + ObjectName(name) + ".get" + upperKey +
                "();",
            "        " + name + " db_" + object + " = " + object + "DAO.Get" + name + "By" +
                upperKey + "(" + keyName + ");",
            "        if(null != db_" + object + ") {",
            EncodedPut("error", "该" + label + "已经存在!"),
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
    AddLines(text, HeadLines(context, c));
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

QString TActionOperate::BuildAddViewAction(const TBuildContext&, const TClassModel& c) {
    QString text;
    AddLines(text, {"    /*跳转到添加" + c.className + "视图*/", "    public String AddView() {",
                    "        ActionContext ctx = ActionContext.getContext();"});
    const QList<TMember> refs = c.ReferenceMembers();
    for (qsizetype i = 0; i < refs.size(); ++i) {
        if (!IsFirstOfType(refs, i))
            continue;
        AddLines(text, {"        /*查询所有的" + refs[i].memberType + "信息*/"});
        AddLines(text, DropDownLines(refs[i].memberType));
    }
    AddLines(text, {"        return \"add_view\";", "    }", ""});
    return text;
}

QString TActionOperate::BuildAddAction(const TBuildContext& context, const TClassModel& c) {
    const TMember key = KeyOf(c);
    const QString& name = c.className;
    const QString object = LowerFirst(name);
    const QString value = ObjectName(name);
    QString text;
    AddLines(text, {"    /*添加" + name + "信息*/", "    @SuppressWarnings(\"deprecation\")",
                    "    public String Add" + name + "() {",
                    "        ActionContext ctx = ActionContext.getContext();"});
    if (c.NonKeyMembers().isEmpty() && IsNumberKeyType(key.memberType) && !IsAssignedKey(key))
        AddLines(text, {"        /*添加页面没有要填写的字段, 请求中没有" + name + "对象*/",
                        "        if(null == " + value + ") " + value + " = new " + name + "();"});
    if (key.memberType == MemberTypes::String)
        AddLines(text, DuplicateKeyLines(c, key, "String", key.memberComment));
    else if (IsAssignedKey(key)) // named by its comment, else by its name
        AddLines(text, DuplicateKeyLines(c, key, JavaType(key.memberType),
                                         key.memberComment.isEmpty() ? key.memberName
                                                                     : key.memberComment));
    AddLines(text, {"        try {"});
    AddLines(text, StoreReferenceLines(context, c));
    AddLines(text, EmptyYesNoLines(context, c));
    AddLines(text,
             OutcomeLines(object + "DAO.Add" + name + "(" + value + ");", name + "添加成功!",
                          "add_success", name + "添加失败!", "        } catch (Exception e) {"));
    AddLines(text, {"        }", "    }", ""});
    return text;
}

QString TActionOperate::BuildQueryAction(const TBuildContext&, const TClassModel& c) {
    const QString& name = c.className;
    const QList<TMember> members = c.QueryMembers();
    QString text;
    AddLines(text, {"    /*查询" + name + "信息*/", "    public String Query" + name + "() {",
                    "        if(currentPage < 1) currentPage = 1;"});
    AddLines(text, NullGuardLines(members));
    AddLines(text, QueryCallLines(name, members));
    AddLines(text, QueryPutLines(members));
    AddLines(text, {"        return \"query_view\";", "    }", ""});
    return text;
}

QString TActionOperate::BuildModifyQueryAction(const TBuildContext&, const TClassModel& c) {
    const TMember key = KeyOf(c);
    const QString& name = c.className;
    const QString object = LowerFirst(name);
    const QString value = ObjectName(name);
    QString text;
    AddLines(text, {"    /*查询要修改的" + name + "信息*/",
                    "    public String Modify" + name + "Query() {",
                    "        ActionContext ctx = ActionContext.getContext();",
                    "        /*根据主键" + key.memberName + "获取" + name + "对象*/",
                    "        " + name + " " + value + " = " + object + "DAO.Get" + name + "By" +
                        UpperFirst(key.memberName) + "(" + key.memberName + ");",
                    "        this." + value + " = " + value + ";", ""});
    const QList<TMember> refs = c.ReferenceMembers();
    for (qsizetype i = 0; i < refs.size(); ++i)
        if (IsFirstOfType(refs, i))
            AddLines(text, DropDownLines(refs[i].memberType));
    AddLines(text, {"        ctx.put(" + Quoted(value) + ",  " + value + ");",
                    "        return \"modify_view\";", "    }", ""});
    return text;
}

QString TActionOperate::BuildModifyAction(const TBuildContext& context, const TClassModel& c) {
    const QString& name = c.className;
    const QString object = LowerFirst(name);
    QString text;
    // A refused request (a check or a conversion) shows the modify page again, not the add page.
    AddLines(text, {"    /*更新修改" + name + "信息*/",
                    "    @com.opensymphony.xwork2.interceptor.annotations.InputConfig("
                    "resultName = \"modify_view\")",
                    "    public String Modify" + name + "() {",
                    "        ActionContext ctx = ActionContext.getContext();", "        try {"});
    AddLines(text, StoreReferenceLines(context, c));
    AddLines(text, EmptyYesNoLines(context, c));
    AddLines(text, OutcomeLines(object + "DAO.Update" + name + "(" + ObjectName(name) + ");",
                                name + "信息更新成功!", "modify_success", name + "信息更新失败!",
                                "        } catch (Exception e) {"));
    AddLines(text, {"       }", "   }", ""});
    return text;
}

QString TActionOperate::BuildDeleteAction(const TBuildContext&, const TClassModel& c) {
    const TMember key = KeyOf(c);
    const QString& name = c.className;
    const QString object = LowerFirst(name);
    QString text;
    AddLines(text, {"    /*删除" + name + "信息*/", "    public String Delete" + name + "() {",
                    "        ActionContext ctx = ActionContext.getContext();", "        try { "});
    AddLines(text, OutcomeLines(object + "DAO.Delete" + name + "(" + key.memberName + ");",
                                name + "删除成功!", "delete_success", name + "删除失败!",
                                "        } catch (Exception e) { "));
    AddLines(text, {"        }", "    }", ""});
    return text;
}

// The type-ahead of the pages whose key field stands for a large list of this class.
QString TActionOperate::BuildLookupAction(const TBuildContext& context, const TClassModel& c) {
    const QString& name = c.className;
    const QString object = LowerFirst(name);
    const QString list = object + "List";
    QString text;
    AddLines(text,
             {"    /*输入主键时的提示: 以JSON写回主键或显示值以所填文字开头的前几个" + name + "*/",
              "    public String Lookup" + name + "() {",
              "        List<" + name + "> " + list + " = " + object + "DAO.Query" + name +
                  "Lookup(ReferenceChoices.Term(), ReferenceChoices.LOOKUP_LIMIT);",
              "        ReferenceChoices.Reply(" + list + ", " + Quoted(KeyOf(c).memberName) + ", " +
                  Quoted(ShownProperty(context.model, name)) + ");",
              "        return \"none\";", "    }", ""});
    return text;
}
