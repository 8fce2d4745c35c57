#pragma once

#include "MemberForm.h"

// Edits one member of a class.
class TUpdateMemberForm : public TMemberForm {
    Q_OBJECT

public:
    TUpdateMemberForm(TUserSeam& seam, qint64 projectId, qint64 classId, qint64 memberId,
                      QWidget* parent = nullptr);

    // Fills the type list and the controls from the stored member.
    void FormCreate();
    // False when the member could not be read; the dialog is not to be shown.
    bool MemberFound() const { return found_; }

protected:
    qint64 EditedMemberId() const override { return memberId_; }
    void Store(TMember& member) override;
    QString SavedText() const override;

private:
    void ShowMember(const TMember& member);

    qint64 memberId_;
    bool found_ = false;
};
