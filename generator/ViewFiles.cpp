#include "ViewFiles.h"

#include "CodeText.h"
#include "FileOperate.h"

using namespace CodeText;

namespace ViewFiles {

namespace {

// The pages' own iterator variable: "$" is in no class or member name the model checks accept.
const QString kRowVar = QStringLiteral("row$");

const QString kMarkLine = "<%-- " + kGeneratedMark + "; 删除本行后, 再次生成时将保留此文件 --%>";

QString Label(const TMember& m) {
    return PageText(m.memberComment.isEmpty() ? m.memberName : m.memberComment);
}

QString ClassLabel(const TClassModel& c) {
    return PageText(c.friendName.isEmpty() ? c.className : c.friendName);
}

QString Attribute(const QString& name, const QString& value) {
    return " " + name + "=" + Quoted(value);
}

QString Property(const QString& expression) {
    return "<s:property value=" + Quoted(expression) + "/>";
}

// The address of an action of the named class.
QString Action(const QString& className, const QString& method) {
    return "<%=path%>/" + className + "/" + className + "_" + method + ".action";
}

QString Action(const TClassModel& c, const QString& method) {
    return Action(c.className, method);
}

// The session's CSRF token, which the login guard filter checks on every POST.
const QString kTokenField = QStringLiteral(
    "<input type=\"hidden\" name=\"csrfToken\" value=\"${sessionScope.csrfToken}\">");

QStringList Head(const QString& title) {
    return {kMarkLine,
            "<%@ page language=\"java\" contentType=\"text/html; charset=UTF-8\" "
            "pageEncoding=\"UTF-8\"%>",
            "<%@ taglib prefix=\"s\" uri=\"/struts-tags\" %>",
            "<% String path = request.getContextPath(); %>",
            "<!DOCTYPE html>",
            "<html>",
            "<head>",
            "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">",
            "<title>" + title + "</title>",
            "<style type=\"text/css\">",
            "body { font-family: \"Microsoft YaHei\", SimSun, sans-serif; font-size: 14px; }",
            "table { border-collapse: collapse; }",
            "td, th { border: 1px solid #bcd; padding: 4px 8px; }",
            ".must { color: #c00; }",
            ".errors { color: #c00; }",
            "</style>",
            "</head>",
            "<body>",
            "<p><a href=\"<%=path%>/main.jsp\">返回主界面</a></p>",
            "<h2>" + title + "</h2>"};
}

QStringList Tail() {
    return {"</body>", "</html>"};
}

// Fills the suggestions of each key field from its look-up action while the user types; the
// texts go in as option values and labels, never as markup.
const QStringList kLookupScript{
    "<script>",
    "document.querySelectorAll('input[data-lookup]').forEach(function (box) {",
    "  var timer = null;",
    "  box.addEventListener('input', function () {",
    "    clearTimeout(timer);",
    "    timer = setTimeout(function () {",
    "      fetch(box.getAttribute('data-lookup') + '?term=' + encodeURIComponent(box.value),",
    "            {credentials: 'same-origin'})",
    "        .then(function (reply) { return reply.ok ? reply.json() : []; })",
    "        .then(function (rows) {",
    "          var list = document.getElementById(box.getAttribute('list'));",
    "          list.textContent = '';",
    "          rows.forEach(function (row) {",
    "            var option = document.createElement('option');",
    "            option.value = row[0];",
    "            option.label = row[1];",
    "            list.appendChild(option);",
    "          });",
    "        })",
    "        .catch(function () {});",
    "    }, 250);",
    "  });",
    "});",
    "</script>"};

// The end of a page; with the look-up script when a field refers to another class.
QStringList Tail(const QStringList& referenced) {
    return (referenced.isEmpty() ? QStringList() : kLookupScript) + Tail();
}

// The referenced classes of the members, each once, in member order.
QStringList ReferencedClasses(const QList<TMember>& members) {
    QStringList classes;
    for (const TMember& m : members)
        if (!MemberTypes::IsSimple(m.memberType) && !classes.contains(m.memberType))
            classes << m.memberType;
    return classes;
}

// Fills a drop-down list the Action did not put into the context (the input result).
QStringList ListFallback(const TBuildContext& context, const QStringList& classes) {
    QStringList lines;
    for (const QString& refClass : classes) {
        const QString list = Quoted(LowerFirst(refClass) + "List");
        lines << "<% if (com.opensymphony.xwork2.ActionContext.getContext().get(" + list +
                     ") == null) com.opensymphony.xwork2.ActionContext.getContext().put(" + list +
                     ", new com." + context.packageName + ".dao." + refClass + "DAO()." +
                     ChoicesCall(refClass) + "); %>";
    }
    return lines;
}

QString InputType(const TMember& m) {
    if (m.memberType == MemberTypes::Integer)
        return QStringLiteral("number\" step=\"1");
    if (m.memberType == MemberTypes::Float)
        return QStringLiteral("number\" step=\"any");
    if (m.memberType == MemberTypes::Date)
        return QStringLiteral("date");
    return QStringLiteral("text");
}

QString Required(const TMember& m) {
    return m.memberIsMust == 1 ? QStringLiteral(" required") : QString();
}

QString MustMark(const TMember& m) {
    return m.memberIsMust == 1 ? QStringLiteral("<span class=\"must\">*</span>") : QString();
}

// A drop-down while the referenced class has at most kChoiceLimit rows, else `keyField`.
QString ChoiceOrKey(const TMember& m, const QString& keyField, const QString& select) {
    return "<s:if test=" +
           Quoted("#" + LowerFirst(m.memberType) + "List.size() > " +
                  QString::number(kChoiceLimit)) +
           ">" + keyField + "</s:if><s:else>" + select + "</s:else>";
}

// The field for the key of a referenced object, typed like that key, with a list of suggestions
// that the page's script fills from the referenced class's look-up action.
QString KeyInput(const TBuildContext& context, const TMember& m, const QString& name,
                 const QString& value, const QString& extra) {
    const TMember key = ReferencedKey(context.model, m.memberType);
    // a long key is typed as text: a number field rounds what a double does not hold
    const QString type =
        key.memberType == MemberTypes::Integer ? QStringLiteral("number") : QStringLiteral("text");
    const QString& ref = m.memberType;
    const QString choices = name + ".choices";
    return "<input type=\"" + type + "\"" + Attribute("name", name) + " value=\"" +
           Property(value) + "\"" + Attribute("placeholder", PageText(ref) + "的主键") +
           Attribute("list", choices) + Attribute("data-lookup", Action(ref, "Lookup" + ref)) +
           " autocomplete=\"off\"" + extra + "><datalist" + Attribute("id", choices) +
           "></datalist>";
}

// The options of the objects of a referenced class, the one whose key equals the value of the
// expression `selected` marked: written by Java code, so the expression is read once per list.
QString Options(const TBuildContext& context, const TMember& m, const QString& selected) {
    return "<%= com." + context.packageName + ".utils.ReferenceChoices.Options(" +
           Quoted(LowerFirst(m.memberType) + "List") + ", " +
           Quoted(ReferencedKey(context.model, m.memberType).memberName) + ", " +
           Quoted(ShownProperty(context.model, m.memberType)) + ", " + Quoted(selected) + ") %>";
}

// One labelled field of a form; `value` is the OGNL path of the object shown.
// The most characters a text field takes: the declared length, and for a string key no more
// than its column holds. Zero for no limit.
int PageLength(const TMember& m) {
    if (m.memberType != MemberTypes::String || m.memberLength <= 0)
        return 0;
    return m.memberIsPri == 1 ? qMin(m.memberLength, kStringKeyLength) : m.memberLength;
}

// A long text's field: the browser drops one line break right after the opening tag, so the
// one written there keeps a text's own leading line break.
QString TextArea(const QString& name, const TMember& m, const QString& value) {
    return "<textarea" + Attribute("name", name) + " rows=\"8\" cols=\"60\"" + Required(m) +
           ">&#10;" + Property(value + "." + m.memberName) + "</textarea>";
}

// A yes/no: "true" or "false", selected when the expression equals it (a boolean, or with
// `asText` the search's text).
QString YesNoOption(const QString& expression, bool yes, bool asText = false) {
    const QString word = yes ? QStringLiteral("true") : QStringLiteral("false");
    const QString compared = asText ? "'" + word + "'" : word;
    return "<option value=\"" + word + "\"<s:if test=" + Quoted(expression + " == " + compared) +
           "> selected</s:if>>" + (yes ? "是" : "否") + "</option>";
}

// A required yes/no is a check box; one that may be NULL a drop-down with the empty choice.
QString YesNoField(const QString& name, const TMember& m, const QString& value) {
    const QString path = value + "." + m.memberName;
    if (m.memberIsMust == 1)
        return "<input type=\"checkbox\"" + Attribute("name", name) +
               " value=\"true\"<s:if test=" + Quoted(path) + "> checked</s:if>>";
    return "<select" + Attribute("name", name) + "><option value=\"\">(空)</option>" +
           YesNoOption(path, true) + YesNoOption(path, false) + "</select>";
}

QString FormField(const TBuildContext& context, const QString& object, const TMember& m,
                  const QString& value, bool readOnly) {
    const QString name = object + "." + m.memberName;
    QString field;
    if (!MemberTypes::IsSimple(m.memberType)) {
        const QString keyName = ReferencedKey(context.model, m.memberType).memberName;
        const QString selected = value + "." + m.memberName + "." + keyName;
        // Nothing chosen: a NULL shows as the empty choice and is saved as NULL.
        const QString empty = IsNullableReference(context.model, m)
                                  ? QStringLiteral("<option value=\"\">(空)</option>")
                                  : QString();
        field = ChoiceOrKey(m, KeyInput(context, m, name + "." + keyName, selected, Required(m)),
                            "<select" + Attribute("name", name + "." + keyName) + Required(m) +
                                ">" + empty + Options(context, m, selected) + "</select>");
    } else if (m.memberType == MemberTypes::Text) {
        field = TextArea(name, m, value);
    } else if (m.memberType == MemberTypes::Boolean) {
        field = YesNoField(name, m, value);
    } else {
        const int length = PageLength(m);
        const QString maxLength =
            length > 0 ? Attribute("maxlength", QString::number(length)) : QString();
        field = "<input type=\"" + InputType(m) + "\"" + Attribute("name", name) + " value=\"" +
                Property(value + "." + m.memberName) + "\"" + maxLength + Required(m) +
                (readOnly ? QStringLiteral(" readonly") : QString()) + ">";
    }
    return "<tr><td>" + Label(m) + MustMark(m) + "</td><td>" + field + "</td></tr>";
}

QStringList FormLines(const TBuildContext& context, const TClassModel& c, const QString& method,
                      const QString& value, bool addForm) {
    const QString object = ObjectName(c.className);
    QStringList lines{"<s:actionerror cssClass=\"errors\"/>", "<s:fielderror cssClass=\"errors\"/>",
                      "<form method=\"post\" action=\"" + Action(c, method) + "\">", kTokenField,
                      "<table>"};
    for (const TMember& m : c.members) {
        const bool isKey = m.memberIsPri == 1;
        if (addForm && isKey && IsNumberKeyType(m.memberType) && !IsAssignedKey(m))
            continue; // the database numbers it
        lines << FormField(context, object, m, value, isKey && !addForm);
    }
    return lines << "</table>"
                 << "<p><input type=\"submit\" value=\"" + QString(addForm ? "添加" : "保存") +
                        "\"> <input type=\"reset\" "
                        "value=\"重置\"></p>"
                 << "</form>";
}

QString SearchField(const TBuildContext& context, const TMember& m) {
    if (m.memberType == MemberTypes::Boolean) // the search value is the text "true" or "false"
        return Label(m) + ": <select" + Attribute("name", SearchName(m)) +
               "><option value=\"\">不限</option>" + YesNoOption("#" + SearchName(m), true, true) +
               YesNoOption("#" + SearchName(m), false, true) + "</select>";
    if (IsTextSearch(m.memberType))
        return Label(m) + ": <input type=\"" + InputType(m) + "\"" +
               Attribute("name", SearchName(m)) + " value=\"" + Property("#" + SearchName(m)) +
               "\">";
    const TMember key = ReferencedKey(context.model, m.memberType);
    const QString all = IsNumberKeyType(key.memberType) ? "0" : "";
    const QString name = SearchName(m) + "." + key.memberName;
    const QString selected = "#" + name;
    return Label(m) + ": " +
           ChoiceOrKey(m, KeyInput(context, m, name, selected, QString()),
                       "<select" + Attribute("name", name) + "><option value=\"" + all +
                           "\">全部</option>" + Options(context, m, selected) + "</select>");
}

// The search values, as parameters of a link; an unchosen reference gives its "all" value.
QString SearchParams(const TBuildContext& context, const TClassModel& c) {
    QString params;
    for (const TMember& m : c.QueryMembers()) {
        if (IsTextSearch(m.memberType)) {
            params += "<s:param name=" + Quoted(SearchName(m)) +
                      " value=" + Quoted("#" + SearchName(m)) + "/>";
            continue;
        }
        const TMember key = ReferencedKey(context.model, m.memberType);
        const QString path = "#" + SearchName(m) + "." + key.memberName;
        const QString all = IsNumberKeyType(key.memberType) ? "0" : "''";
        params += "<s:param name=" + Quoted(SearchName(m) + "." + key.memberName) +
                  " value=" + Quoted("#" + SearchName(m) + " == null ? " + all + " : " + path) +
                  "/>";
    }
    return params;
}

QString PageLink(const TBuildContext& context, const TClassModel& c, const QString& page,
                 const QString& text) {
    return "<a href=\"<s:url action=" + Quoted(c.className + "_Query" + c.className) +
           " namespace=" + Quoted("/" + c.className) + ">" + SearchParams(context, c) +
           "<s:param name=\"currentPage\" value=" + Quoted(page) + "/></s:url>\">" + text + "</a>";
}

QStringList PagingLines(const TBuildContext& context, const TClassModel& c) {
    return {"<p><span class=\"paging\">共<b>" + Property("#recordNumber") + "</b>条记录 第<b>" +
                Property("#currentPage") + "</b>/<b>" + Property("#totalPage") + "</b>页</span>",
            PageLink(context, c, "1", "首页"),
            "<s:if test=\"#currentPage > 1\">" +
                PageLink(context, c, "#currentPage - 1", "上一页") + "</s:if>",
            "<s:if test=\"#currentPage < #totalPage\">" +
                PageLink(context, c, "#currentPage + 1", "下一页") + "</s:if>",
            PageLink(context, c, "#totalPage > 0 ? #totalPage : 1", "尾页") + "</p>"};
}

QString RowLink(const TClassModel& c, const QString& method, const QString& text,
                const QString& extra) {
    const QString keyName = KeyOf(c).memberName;
    return "<a href=\"<s:url action=" + Quoted(c.className + "_" + method) +
           " namespace=" + Quoted("/" + c.className) + "><s:param name=" + Quoted(keyName) +
           " value=" + Quoted("#" + kRowVar + "." + keyName) + "/></s:url>\"" + extra + ">" + text +
           "</a>";
}

// The shown value of a result cell: a reference shows its object's display member.
QString CellValue(const TBuildContext& context, const TMember& m) {
    if (m.memberType == MemberTypes::Boolean) {
        const QString path = "#" + kRowVar + "." + m.memberName;
        return "<s:if test=" + Quoted(path + " == true") +
               ">是</s:if><s:elseif test=" + Quoted(path + " == false") + ">否</s:elseif>";
    }
    if (MemberTypes::IsSimple(m.memberType))
        return Property("#" + kRowVar + "." + m.memberName);
    return Property("#" + kRowVar + "." + m.memberName + "." +
                    ShownProperty(context.model, m.memberType));
}

QStringList ResultLines(const TBuildContext& context, const TClassModel& c) {
    QString heading = "<tr>";
    QString cells = "<tr class=\"row\">";
    for (const TMember& m : c.members) {
        if (m.memberQueryDisplay != 1)
            continue;
        heading += "<th>" + Label(m) + "</th>";
        cells += "<td>" + CellValue(context, m) + "</td>";
    }
    const QString keyName = KeyOf(c).memberName;
    const QString deleteForm =
        "<form class=\"delete\" method=\"post\" action=\"" + Action(c, "Delete" + c.className) +
        "\" style=\"display: inline\" onsubmit=\"return confirm('确定删除吗?');\">" +
        "<input type=\"hidden\"" + Attribute("name", keyName) + " value=\"" +
        Property("#" + kRowVar + "." + keyName) + "\">" + kTokenField +
        "<input type=\"submit\" value=\"删除\"></form>";
    const QString links =
        RowLink(c, "Modify" + c.className + "Query", "修改", "") + " " + deleteForm;
    return {"<table class=\"result\">",
            heading + "<th>操作</th></tr>",
            "<s:iterator value=" + Quoted("#" + LowerFirst(c.className) + "List") + " var=\"" +
                kRowVar + "\">",
            cells + "<td>" + links + "</td></tr>",
            "</s:iterator>",
            "</table>"};
}

QString Text(const QStringList& lines) {
    QString text;
    AddLines(text, lines);
    return text;
}

TGeneratedFile View(const TClassModel& c, const QString& suffix, const QStringList& lines) {
    return {"WebRoot/" + c.className + suffix, Text(lines), TFileEncoding::Utf8, kJavaDone, {}};
}

} // namespace

QString PageText(const QString& text) {
    QString result;
    for (QChar c : text.toHtmlEscaped()) {
        if (c == QLatin1Char('$'))
            result += QStringLiteral("&#36;");
        else if (c == QLatin1Char('#'))
            result += QStringLiteral("&#35;");
        else
            result += c;
    }
    return result;
}

TGeneratedFile BuildAddView(const TBuildContext& context, const TClassModel& c) {
    const QStringList referenced = ReferencedClasses(c.members);
    QStringList lines = Head("添加" + ClassLabel(c));
    lines << ListFallback(context, referenced)
          << FormLines(context, c, "Add" + c.className, ObjectName(c.className), true)
          << Tail(referenced);
    return View(c, "_add.jsp", lines);
}

TGeneratedFile BuildQueryView(const TBuildContext& context, const TClassModel& c) {
    const QList<TMember> query = c.QueryMembers();
    const QStringList referenced = ReferencedClasses(query);
    QStringList lines = Head(ClassLabel(c) + "查询");
    lines << ListFallback(context, referenced)
          << "<form method=\"get\" action=\"" + Action(c, "Query" + c.className) + "\">";
    for (const TMember& m : query)
        lines << SearchField(context, m);
    lines << "<input type=\"submit\" value=\"查询\">"
          << "</form>" << ResultLines(context, c) << PagingLines(context, c)
          << "<p><a href=\"" + Action(c, "AddView") + "\">添加" + ClassLabel(c) + "</a></p>"
          << Tail(referenced);
    return View(c, "_query_result.jsp", lines);
}

TGeneratedFile BuildModifyView(const TBuildContext& context, const TClassModel& c) {
    const QStringList referenced = ReferencedClasses(c.members);
    QStringList lines = Head("修改" + ClassLabel(c));
    lines << ListFallback(context, referenced)
          << FormLines(context, c, "Modify" + c.className, ObjectName(c.className), false)
          << Tail(referenced);
    return View(c, "_modify.jsp", lines);
}

TGeneratedFiles GenerateViews(const TBuildContext& context) {
    TGeneratedFiles files;
    for (const TClassModel& c : context.model.Classes())
        if (context.InScope(c))
            files << BuildAddView(context, c) << BuildQueryView(context, c)
                  << BuildModifyView(context, c);
    return files;
}

TGeneratedFile BuildMenu(const TBuildContext& context) {
    QStringList lines{kMarkLine,
                      "<%@ page language=\"java\" contentType=\"text/html; charset=UTF-8\" "
                      "pageEncoding=\"UTF-8\"%>",
                      "<% String menuPath = request.getContextPath(); %>", "<ul class=\"menu\">"};
    for (const TClassModel& c : context.model.Classes()) {
        const QString base = "<%=menuPath%>/" + c.className + "/" + c.className + "_";
        lines << "  <li>" + ClassLabel(c) + ": <a href=\"" + base + "AddView.action\">添加</a> " +
                     "<a href=\"" + base + "Query" + c.className + ".action\">查询</a></li>";
    }
    lines << "</ul>";
    return {"WebRoot/menu.jsp", Text(lines), TFileEncoding::Utf8, kJavaDone, {}};
}

} // namespace ViewFiles
