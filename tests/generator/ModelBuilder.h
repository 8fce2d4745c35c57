#pragma once

#include <initializer_list>

#include "../TestModel.h"
#include "Member.h"
#include "ProjectModel.h"

enum class TFlag { Key, Query, Display, Must, Hidden };

// Builds a project model in memory for builder tests, classes and members in the order given:
//   TModelBuilder().Class("Book").Member("id", "整型", {TFlag::Key}, "编号").Build()
class TModelBuilder {
public:
    explicit TModelBuilder(int projectId = 1) : model_(projectId) {}

    TModelBuilder& Class(const QString& name, const QString& friendName = QString()) {
        current_ = &model_.AddClass({++lastClassId_, name, friendName, {}});
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
