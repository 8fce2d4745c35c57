#pragma once

#include "MemberForm.h"

// Adds a member to the class selected in the main window.
class TAddMemberForm : public TMemberForm {
    Q_OBJECT

public:
    explicit TAddMemberForm(TFormMain* owner);

    void FormCreate();

protected:
    qint64 EditedMemberId() const override { return 0; }
    void Store(TMember& member) override;
    QString SavedText() const override;
};
