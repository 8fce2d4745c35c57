#include "ImportCheck.h"

#include <QSet>

#include "ModelCheck.h"
#include "Printable.h"
#include "ProjectModel.h"

namespace {

[[noreturn]] void Refuse(const QString& place, const QString& text) {
    throw TExchangeError(place + ": " + text);
}

void CheckMembers(const TImportClass& c, const QSet<QString>& classNames) {
    const QString kind = "类" + Printable(c.className) + "的成员名";
    QSet<QString> names;
    for (const TImportMember& item : c.members) {
        const TMember& m = item.member;
        if (const std::optional<QString> error = ModelCheck::NameError(kind, m.memberName))
            Refuse(item.place + ".memberName", *error);
        if (names.contains(m.memberName))
            Refuse(item.place + ".memberName",
                   ModelCheck::DuplicateMemberError(c.className, m.memberName));
        names.insert(m.memberName);
        if (!MemberTypes::IsSimple(m.memberType) && !classNames.contains(m.memberType))
            Refuse(item.place + ".memberType", ModelCheck::MissingReferenceError(c.className, m));
        if (const std::optional<QString> error = ModelCheck::LengthError(m, c.className))
            Refuse(item.place + ".memberLength", *error);
        if (const std::optional<QString> error = ModelCheck::ScaleError(m, c.className))
            Refuse(item.place + ".scale", *error);
    }
}

// The project as a run would read it, for the rules a run applies to each class.
TProjectModel ModelOf(const TImportProject& p) {
    TProjectModel model;
    model.SetDatabase(p.database);
    qint64 id = 0;
    for (const TImportClass& c : p.classes) {
        TClassModel& added = model.AddClass({++id, c.className, c.friendName, {}, c.tableName});
        for (const TImportMember& item : c.members)
            added.members.append(item.member);
    }
    return model;
}

void CheckProject(const TImportProject& p) {
    if (const std::optional<QString> error =
            ModelCheck::UnsafeNameError(QStringLiteral("工程名称"), p.projectName))
        Refuse(p.namePlace, *error);
    QSet<QString> classNames;
    for (const TImportClass& c : p.classes) {
        if (const std::optional<QString> error = ModelCheck::NameError("类名", c.className))
            Refuse(c.place + ".className", *error);
        if (classNames.contains(c.className))
            Refuse(c.place + ".className", ModelCheck::DuplicateClassError(c.className));
        classNames.insert(c.className);
    }
    for (const TImportClass& c : p.classes)
        CheckMembers(c, classNames);
    if (const std::optional<QString> error = ModelCheck::ProjectNameError(p.projectName))
        Refuse(p.namePlace, *error);
    const TProjectModel model = ModelOf(p);
    for (qsizetype i = 0; i < p.classes.size(); ++i)
        if (const std::optional<QString> error =
                ModelCheck::ClassRuleError(model, model.Classes()[i]))
            Refuse(p.classes[i].place, *error);
    if (const std::optional<QString> error = ModelCheck::AdminTableError(model))
        Refuse(p.namePlace, *error);
}

} // namespace

namespace ImportCheck {

QString TakenText(const TImportProject& p, const QString& message) {
    return p.namePlace + " (" + Printable(p.projectName) + "): " + message;
}

void CheckModel(const TImportModel& model) {
    TProjectList earlier;
    for (const TImportProject& p : model) {
        CheckProject(p);
        if (const std::optional<QString> error =
                ModelCheck::ProjectNameTakenError(p.projectName, earlier))
            throw TExchangeError(TakenText(p, *error)); // no other name helps here
        earlier.append({p.projectName, 0});
    }
}

} // namespace ImportCheck
