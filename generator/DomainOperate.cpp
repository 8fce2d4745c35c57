#include "DomainOperate.h"

#include "CodeText.h"

using namespace CodeText;

namespace {

QStringList FieldLines(const TProjectModel& model, const TMember& m) {
    const QString type = MemberJavaType(model, m);
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
    text += QLatin1Char('}');
    return {PackagePath(context.packageName, "domain/" + c.className + ".java"),
            text,
            TFileEncoding::Ansi,
            kJavaDone,
            {}};
}
