#pragma once

#include "ClassForm.h"

// Renames the class selected in the main window.
class TUpdateClassForm : public TClassForm {
    Q_OBJECT

public:
    explicit TUpdateClassForm(TFormMain* owner);

    void SetClassId(qint64 classId) { classId_ = classId; }
    // Fills both boxes; runs whenever the dialog is shown.
    void FormShow();

protected:
    void showEvent(QShowEvent* event) override;
    void Save() override;

private:
    qint64 classId_ = -1;
};
