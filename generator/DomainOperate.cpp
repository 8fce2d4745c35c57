#include "DomainOperate.h"

#include <QSet>

#include "CodeText.h"

using namespace CodeText;

namespace {

// A date and time is kept as yyyy-MM-dd HH:mm:ss: the browser's date-time field posts
// yyyy-MM-ddTHH:mm[:ss], a database may give fractions of a second.
QStringList DateTimeFieldLines(const TMember& m) {
    const QString& name = m.memberName;
    const QString upper = UpperFirst(name);
    return {"    /*" + JavaComment(m.memberComment) + "*/",
            "    private String " + name + ";",
            "    public String get" + upper + "() {",
            "        return " + name + ";",
            "    }",
            "    public void set" + upper + "(String " + name + ") {",
            "        if(" + name + " != null && " + name +
                ".matches(\"[0-9]{4}-[0-9]{2}-[0-9]{2}[T "
                "][0-9]{2}:[0-9]{2}(:[0-9]{2}([.][0-9]*)?)?\")) {",
            "            " + name + " = " + name + ".substring(0, 10) + \" \" + " + name +
                ".substring(11, 16) + (" + name + ".length() >= 19 ? " + name +
                ".substring(16, 19) : \":00\");",
            "        }",
            "        this." + name + " = " + name + ";",
            "    }",
            ""};
}

// The member's Java type; a wrapper class of java.lang written qualified where a class of the
// model, in the same package, has its name.
QString FieldType(const TProjectModel& model, const TMember& m) {
    static const QSet<QString> wrappers{"Integer", "Float", "Long", "Boolean"};
    const QString type = MemberJavaType(model, m);
    if (MemberTypes::IsSimple(m.memberType) && wrappers.contains(type) &&
        model.FindClass(type) != nullptr)
        return "java.lang." + type;
    return type;
}

QStringList FieldLines(const TProjectModel& model, const TMember& m) {
    if (m.memberType == MemberTypes::DateTime)
        return DateTimeFieldLines(m);
    const QString type = FieldType(model, m);
    const QString& name = m.memberName;
    const QString upper = UpperFirst(name);
    return {"    /*" + JavaComment(m.memberComment) + "*/",
            "    private " + type + " " + name + ";",
            "    public " + type + " get" + upper + "() {",
            "        return " + name + ";",
            "    }",
            "    public void set" + upper + "(" + type + " " + name + ") {",
            "        this." + name + " = " + name + ";",
            "    }",
            ""};
}

// The display text of a class displayed by a reference: the referenced object's own, which the
// pages, drop-downs and look-ups read as the property kShownProperty. Empty for any other class.
QStringList ShownLines(const TProjectModel& model, const TClassModel& c) {
    const std::optional<TMember> display = c.DisplayMember();
    if (!display || MemberTypes::IsSimple(display->memberType))
        return {};
    const QString shown = ShownProperty(model, display->memberType);
    const QString call =
        shown == QLatin1String("toString()") ? shown : "get" + UpperFirst(shown) + "()";
    const QString& name = display->memberName;
    return {"    /*显示值: 所引用对象的显示值*/",
            "    public Object get" + UpperFirst(kShownProperty) + "() {",
            "        return " + name + " == null ? null : " + name + "." + call + ";",
            "    }",
            ""};
}

} // namespace

TGeneratedFiles TDomainOperate::GenerateDomainClasses(const TBuildContext& context) {
    return BuildPerClass(context, BuildDomainClass);
}

// The closing brace alone has no line end.
TGeneratedFile TDomainOperate::BuildDomainClass(const TBuildContext& context,
                                                const TClassModel& c) {
    QString text;
    AddLines(text, {"package com." + context.packageName + ".domain;", "",
                    "public class " + c.className + " {"});
    for (const TMember& m : c.members)
        AddLines(text, FieldLines(context.model, m));
    AddLines(text, ShownLines(context.model, c));
    text += QLatin1Char('}');
    return {PackagePath(context.packageName, "domain/" + c.className + ".java"),
            text,
            TFileEncoding::Ansi,
            kJavaDone,
            {}};
}
