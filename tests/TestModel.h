#pragma once

// The one test model of every suite: readable Qt texts in failure messages, member records,
// rows stored through the stores (each returning its new id), and models built in memory.
#include <QString>
#include <QStringList>
#include <initializer_list>
#include <ostream>

#include "ClassDAO.h"
#include "Member.h"
#include "MemberDAO.h"
#include "ProjectDAO.h"
#include "ProjectModel.h"

// Readable Qt texts in failure messages (GoogleTest finds PrintTo by the argument's type).
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& lines, std::ostream* os) {
    *os << '{';
    for (const QString& line : lines)
        *os << "\n  \"" << line.toStdString() << '"';
    *os << "\n}";
}

// A member record with the given owner, name and type, every other field at its default.
inline TMember NewMember(int projectId, int classId, const QString& name, const QString& type) {
    TMember m;
    m.projectId = projectId;
    m.classId = classId;
    m.memberName = name;
    m.memberType = type;
    return m;
}

// Rows stored in the database the stores use; each returns the new row's id.
namespace TestModel {

inline int AddProject(const QString& name) {
    return int(TProjectDAO().AddProject(name));
}
inline int AddClass(int projectId, const QString& name, const QString& friendName) {
    return int(TClassDAO().AddClass(projectId, name, friendName));
}
inline int AddMember(const TMember& member) {
    return int(TMemberDAO().AddMember(member));
}

} // namespace TestModel

enum class TFlag { Key, Query, Display, Must, Hidden };

// Builds a project model in memory for builder tests, classes and members in the order given:
//   TModelBuilder().Class("Book").Member("id", "整型", {TFlag::Key}, "编号").Build()
class TModelBuilder {
public:
    explicit TModelBuilder(int projectId = 1) : model_(projectId) {}

    TModelBuilder& Class(const QString& name, const QString& friendName = QString()) {
        current_ = &model_.AddClass({++lastClassId_, name, friendName, {}, {}});
        return *this;
    }
    // A member of the current class; an integer or float type sets its flag as the dialogs do.
    TModelBuilder& Member(const QString& name, const QString& type,
                          std::initializer_list<TFlag> flags = {}, const QString& comment = "",
                          int length = 0) {
        TMember m = NewMember(model_.ProjectId(), current_->classId, name, type);
        m.memberId = ++lastMemberId_;
        m.memberLength = length;
        m.memberComment = comment;
        m.memberIsInteger = type == MemberTypes::Integer ? 1 : 0;
        m.memberIsFloat = type == MemberTypes::Float ? 1 : 0;
        for (TFlag flag : flags)
            Apply(m, flag);
        current_->members.append(m);
        return *this;
    }
    TProjectModel Build() const { return model_; }

private:
    static void Apply(TMember& m, TFlag flag) {
        switch (flag) {
        case TFlag::Key:
            m.memberIsPri = 1;
            break;
        case TFlag::Query:
            m.queryFlag = 1;
            break;
        case TFlag::Display:
            m.memberIsDisplay = 1;
            break;
        case TFlag::Must:
            m.memberIsMust = 1;
            break;
        case TFlag::Hidden:
            m.memberQueryDisplay = 0;
            break;
        }
    }

    TProjectModel model_;
    TClassModel* current_ = nullptr;
    int lastClassId_ = 0;
    int lastMemberId_ = 0;
};
