#pragma once

#include "MemberForm.h"

// Adds a member to a class.
class TAddMemberForm : public TMemberForm {
    Q_OBJECT

public:
    TAddMemberForm(TUserSeam& seam, qint64 projectId, qint64 classId, QWidget* parent = nullptr);

    void FormCreate();

protected:
    qint64 EditedMemberId() const override { return 0; }
    void Store(TMember& member) override;
    QString SavedText() const override;
};
