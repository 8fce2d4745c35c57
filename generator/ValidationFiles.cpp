#include "ValidationFiles.h"

#include <utility>

#include "CodeText.h"

using namespace CodeText;

namespace {

const QString kIntRange = QStringLiteral("-2147483648到2147483647");

QString Label(const TMember& m) {
    return XmlText(m.memberComment.isEmpty() ? m.memberName : m.memberComment);
}

// One check of a field: the validator's parameters and the message it shows.
QStringList Check(const QString& check, const QString& message, bool last,
                  const QStringList& params = {}) {
    QStringList lines{"        <field-validator type=\"formvalue\"" +
                          QString(last ? "" : " short-circuit=\"true\"") + ">",
                      "            <param name=\"check\">" + check + "</param>"};
    for (const QString& param : params)
        lines << "            " + param;
    return lines << "            <message>" + message + "</message>"
                 << "        </field-validator>";
}

// The most characters the field takes: the declared length, and for a string key no more than
// its column holds. Zero for no limit.
int MaxLength(const TMember& m) {
    if (m.memberIsPri == 1)
        return m.memberLength > 0 ? qMin(int(m.memberLength), kStringKeyLength) : kStringKeyLength;
    return m.memberLength > 0 ? int(m.memberLength) : 0;
}

// A long text's limit: the declared length when an int holds it (a Java string holds no more
// anyway); undeclared, what a MariaDB/MySQL TEXT column holds of four-byte characters.
int TextLength(const TBuildContext& context, const TMember& m) {
    if (m.memberLength > 0)
        return std::in_range<int>(m.memberLength) ? int(m.memberLength) : 0;
    return context.model.Database().kind == TDatabaseKind::PostgreSql ? 0 : 65535 / 4;
}

// The check of the field's text beyond being present; none for a text without a limit.
QStringList ValueCheck(const TBuildContext& context, const TMember& m) {
    const QString label = Label(m);
    if (m.memberType == MemberTypes::Integer)
        return Check("int", label + "必须是" + kIntRange + "之间的整数", true);
    if (m.memberType == MemberTypes::Float)
        return Check("float", label + "必须是数字", true);
    if (m.memberType == MemberTypes::Date)
        return Check("date", label + "必须是有效的日期(yyyy-MM-dd)", true);
    const int length = m.memberType == MemberTypes::Text ? TextLength(context, m) : MaxLength(m);
    if (length == 0)
        return {};
    const QString limit = QString::number(length);
    return Check("maxlength", label + "不能超过" + limit + "个字符", true,
                 {"<param name=\"maxLength\">" + limit + "</param>"});
}

// A reference is chosen by its key; an integer key must be a number.
QStringList ReferenceCheck(const TBuildContext& context, const TMember& m) {
    if (ReferencedKey(context.model, m.memberType).memberType != MemberTypes::Integer)
        return {};
    return Check("int", "请从列表中选择" + Label(m), true);
}

// The field's checks; empty when it has none. A required field stops at its first failure.
QStringList FieldLines(const TBuildContext& context, const QString& object, const TMember& m) {
    const bool simple = MemberTypes::IsSimple(m.memberType);
    const QStringList value = simple ? ValueCheck(context, m) : ReferenceCheck(context, m);
    QStringList checks;
    if (m.memberIsMust == 1 || m.memberIsPri == 1)
        checks << Check("required", (simple ? "请输入" : "请选择") + Label(m), value.isEmpty());
    checks << value;
    if (checks.isEmpty())
        return {};
    QString name = object + "." + m.memberName;
    if (!simple)
        name += "." + ReferencedKey(context.model, m.memberType).memberName;
    return QStringList{"    <field name=" + Quoted(name) + ">"} + checks +
           QStringList{"    </field>"};
}

// The file must hold a check; an old file with rules for fields gone is replaced all the same.
QStringList NothingToCheck() {
    return {"    <!-- 表单中没有要检查的字段 -->", "    <validator type=\"expression\">",
            "        <param name=\"expression\">true</param>", "        <message></message>",
            "    </validator>"};
}

TGeneratedFile Build(const TBuildContext& context, const TClassModel& c, const QString& method,
                     const QString& doing, bool withNumberedKey) {
    const QString& name = c.className;
    const QString action = name + "_" + method + name;
    QString text;
    AddLines(text,
             {"<?xml version=\"1.0\" encoding=\"GBK\"?>", "<!DOCTYPE validators PUBLIC",
              "        \"-//Apache Struts//XWork Validator 1.0.3//EN\"",
              "        \"http://struts.apache.org/dtds/xwork-validator-1.0.3.dtd\">", "<!--",
              "    " + doing + name + "的请求 " + action + ".action 的校验规则:",
              "    与模型中成员的定义一致, 由 validators.xml 中注册的 formvalue 校验器检查。",
              "    校验失败时回到原来的表单, 显示用户填写的值和错误信息。", "-->", "<validators>"});
    QStringList fields;
    for (const TMember& m : c.members) {
        if (m.memberIsPri == 1 && m.memberType == MemberTypes::Integer && !withNumberedKey &&
            !IsAssignedKey(m))
            continue; // the database numbers it
        fields << FieldLines(context, LowerFirst(name), m);
    }
    AddLines(text, fields.isEmpty() ? NothingToCheck() : fields);
    AddLines(text, {"</validators>"});
    return {
        PackagePath(context.packageName, "action/" + name + "Action-" + action + "-validation.xml"),
        text,
        TFileEncoding::Ansi,
        kJavaDone,
        {}};
}

} // namespace

namespace ValidationFiles {

TGeneratedFile BuildAddValidation(const TBuildContext& context, const TClassModel& c) {
    return Build(context, c, QStringLiteral("Add"), QStringLiteral("添加"), false);
}

TGeneratedFile BuildModifyValidation(const TBuildContext& context, const TClassModel& c) {
    return Build(context, c, QStringLiteral("Modify"), QStringLiteral("修改"), true);
}

TGeneratedFiles GenerateValidationFiles(const TBuildContext& context) {
    TGeneratedFiles files;
    for (const TClassModel& c : context.model.Classes())
        if (context.InScope(c))
            files << BuildAddValidation(context, c) << BuildModifyValidation(context, c);
    return files;
}

} // namespace ValidationFiles
