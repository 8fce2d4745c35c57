#include "ValidationFiles.h"

#include <utility>

#include "CodeText.h"

using namespace CodeText;

namespace {

const QString kIntRange = QStringLiteral("-2147483648到2147483647");
const QString kLongRange = QStringLiteral("-9223372036854775808到9223372036854775807");

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

// A check of the validator "typevalue", for the types "formvalue" has none for.
QStringList TypeCheck(const QString& check, const QString& message,
                      const QStringList& params = {}) {
    QStringList lines = Check(check, message, true, params);
    lines[0].replace(QLatin1String("\"formvalue\""), QLatin1String("\"typevalue\""));
    return lines;
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

// The digits a decimal takes, as the message words them.
QString DecimalRule(const TMember& m) {
    const QString whole = QString::number(m.memberLength - m.memberScale);
    if (m.memberScale == 0)
        return "必须是最多" + whole + "位的整数";
    return "必须是整数部分最多" + whole + "位、小数部分最多" + QString::number(m.memberScale) +
           "位的数";
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
    if (m.memberType == MemberTypes::Long)
        return TypeCheck("long", label + "必须是" + kLongRange + "之间的整数");
    if (m.memberType == MemberTypes::DateTime)
        return TypeCheck("datetime", label + "必须是有效的日期时间(yyyy-MM-dd HH:mm:ss)");
    if (m.memberType == MemberTypes::Decimal)
        return TypeCheck(
            "decimal", label + DecimalRule(m),
            {"<param name=\"precision\">" + QString::number(m.memberLength) + "</param>",
             "<param name=\"scale\">" + QString::number(m.memberScale) + "</param>"});
    const int length = m.memberType == MemberTypes::Text ? TextLength(context, m) : MaxLength(m);
    if (length == 0)
        return {};
    const QString limit = QString::number(length);
    return Check("maxlength", label + "不能超过" + limit + "个字符", true,
                 {"<param name=\"maxLength\">" + limit + "</param>"});
}

// A reference is chosen by its key; an integer key must be a number.
QStringList ReferenceCheck(const TBuildContext& context, const TMember& m) {
    const QString keyType = ReferencedKey(context.model, m.memberType).memberType;
    if (keyType == MemberTypes::Long)
        return TypeCheck("long", "请从列表中选择" + Label(m));
    if (keyType != MemberTypes::Integer)
        return {};
    return Check("int", "请从列表中选择" + Label(m), true);
}

// The field's checks; empty when it has none. A required field stops at its first failure.
QStringList FieldLines(const TBuildContext& context, const QString& object, const TMember& m) {
    const bool simple = MemberTypes::IsSimple(m.memberType);
    const QStringList value = simple ? ValueCheck(context, m) : ReferenceCheck(context, m);
    QStringList checks;
    // a check box posts nothing when it is not checked: a required yes/no is never missing
    if ((m.memberIsMust == 1 || m.memberIsPri == 1) && m.memberType != MemberTypes::Boolean)
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
        if (m.memberIsPri == 1 && IsNumberKeyType(m.memberType) && !withNumberedKey &&
            !IsAssignedKey(m))
            continue; // the database numbers it
        fields << FieldLines(context, ObjectName(name), m);
    }
    AddLines(text, fields.isEmpty() ? NothingToCheck() : fields);
    AddLines(text, {"</validators>"});
    return {PackagePath(context.packageName,
                        "action/" + ActionClassName(name) + "-" + action + "-validation.xml"),
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
    if (context.onlyClassId == 0 && NeedsTypeChecks(context.model))
        files << TypeCheckFiles(context);
    return files;
}

bool NeedsTypeChecks(const TProjectModel& model) {
    for (const TClassModel& c : model.Classes())
        for (const TMember& m : c.members)
            if (m.memberType == MemberTypes::Long || m.memberType == MemberTypes::DateTime ||
                m.memberType == MemberTypes::Decimal ||
                ReferencedKey(model, m.memberType).memberType == MemberTypes::Long)
                return true;
    return false;
}

TGeneratedFiles TypeCheckFiles(const TBuildContext& context) {
    static const QStringList validator = QString(R"java(package com.$packageName.utils;

import java.math.BigDecimal;
import java.math.RoundingMode;
import java.time.LocalDateTime;
import java.time.format.DateTimeFormatter;
import java.time.format.DateTimeParseException;
import java.time.format.ResolverStyle;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;

import org.apache.struts2.dispatcher.HttpParameters;
import org.apache.struts2.dispatcher.Parameter;

import com.opensymphony.xwork2.ActionContext;
import com.opensymphony.xwork2.interceptor.ValidationAware;
import com.opensymphony.xwork2.validator.ValidationException;
import com.opensymphony.xwork2.validator.validators.FieldValidatorSupport;

/**
 * Struts 2 字段校验器 typevalue (在 src/typevalue-validators.xml 中注册): 像 formvalue 一样
 * 检查请求中提交的原始文本, 用于 formvalue 没有的类型。
 *
 * 参数 check:
 *   long      -9223372036854775808 到 9223372036854775807 之间的整数
 *   datetime  1000-01-01 00:00:00 到 9999-12-31 23:59:59 之间的有效日期时间, 格式
 *             yyyy-MM-dd HH:mm:ss, 或者浏览器日期时间字段的 yyyy-MM-ddTHH:mm[:ss]
 *   decimal   总位数最多 precision、小数位数最多 scale 的数 (不用 E 记数法)
 * 没有填写的字段不报错 (必填由 formvalue 检查); 同一字段提交了多个值时总是报错。
 * 类型转换失败时 Struts 已加上的英文信息被换成这里的信息。
 */
public class TypeValueValidator extends FieldValidatorSupport {

    private static final DateTimeFormatter DATE_TIME =
        DateTimeFormatter.ofPattern("uuuu-MM-dd HH:mm:ss").withResolverStyle(ResolverStyle.STRICT);

    private String check = "long";
    private int precision;
    private int scale;

    public void setCheck(String check) {
        this.check = check;
    }
    public String getCheck() {
        return check;
    }
    public void setPrecision(int precision) {
        this.precision = precision;
    }
    public int getPrecision() {
        return precision;
    }
    public void setScale(int scale) {
        this.scale = scale;
    }
    public int getScale() {
        return scale;
    }

    public void validate(Object object) throws ValidationException {
        String name = getValidatorContext().getFullFieldName(getFieldName());
        if (accepts(submitted(name))) {
            return;
        }
        if (ActionContext.getContext().getConversionErrors().containsKey(name)
                && object instanceof ValidationAware) {
            ValidationAware aware = (ValidationAware) object;
            Map<String, List<String>> errors =
                new LinkedHashMap<String, List<String>>(aware.getFieldErrors());
            errors.remove(name);
            aware.setFieldErrors(errors);
        }
        getValidatorContext().addFieldError(getFieldName(), getDefaultMessage());
    }

    /*请求中这个字段的所有值*/
    private static String[] submitted(String name) {
        HttpParameters parameters = ActionContext.getContext().getParameters();
        Parameter parameter = parameters == null ? null : parameters.get(name);
        String[] values = parameter == null ? null : parameter.getMultipleValues();
        return values == null ? new String[0] : values;
    }

    private boolean accepts(String[] values) {
        if (values.length > 1) {
            return false;
        }
        String value = values.length == 0 || values[0] == null ? "" : values[0].trim();
        if (value.isEmpty()) {
            return true;
        }
        if ("long".equals(check)) {
            return isLong(value);
        }
        if ("datetime".equals(check)) {
            return isDateTime(value);
        }
        if ("decimal".equals(check)) {
            return isDecimal(value);
        }
        return true;
    }

    /*多出的小数位只能是 0; 按 scale 位小数写出时最多 precision 位数字*/
    private boolean isDecimal(String value) {
        if (!value.matches("[+-]?([0-9]+([.][0-9]*)?|[.][0-9]+)")) {
            return false;
        }
        try {
            BigDecimal number = new BigDecimal(value).setScale(scale, RoundingMode.UNNECESSARY);
            return number.precision() - number.scale() <= precision - scale;
        } catch (ArithmeticException e) {
            return false;
        }
    }

    private static boolean isDateTime(String value) {
        if (value.matches("[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}")) {
            value = value + ":00";
        }
        if (!value.matches("[1-9][0-9]{3}-[0-9]{2}-[0-9]{2}[ T][0-9]{2}:[0-9]{2}:[0-9]{2}")) {
            return false;
        }
        try {
            LocalDateTime.parse(value.replace('T', ' '), DATE_TIME);
            return true;
        } catch (DateTimeParseException e) {
            return false;
        }
    }

    private static boolean isLong(String value) {
        try {
            Long.parseLong(value);
            return true;
        } catch (NumberFormatException e) {
            return false;
        }
    }
})java")
                                             .split(QLatin1Char('\n'));
    static const QStringList registration = QString(R"java(<?xml version="1.0" encoding="GBK"?>
<!DOCTYPE validators PUBLIC
        "-//Apache Struts//XWork Validator Definition 1.0//EN"
        "https://struts.apache.org/dtds/xwork-validator-definition-1.0.dtd">
<!--
    typevalue 检查 formvalue 没有的类型的表单字段 (见 utils/TypeValueValidator.java);
    Struts 读取 src 下所有名称以 -validators.xml 结尾的文件。
-->
<validators>
    <validator name="typevalue" class="com.$packageName.utils.TypeValueValidator"/>
</validators>)java")
                                                .split(QLatin1Char('\n'));
    auto file = [&context](const QString& path, const QStringList& lines) {
        QString text;
        AddLines(text, lines);
        text.replace(QStringLiteral("$packageName"), context.packageName);
        return TGeneratedFile{path, text, TFileEncoding::Ansi, kJavaDone, {}};
    };
    return {file(QStringLiteral("src/typevalue-validators.xml"), registration),
            file(PackagePath(context.packageName, "utils/TypeValueValidator.java"), validator)};
}

} // namespace ValidationFiles
