#pragma once

#include "ClassForm.h"

// Renames a class of a project and changes its friendly name.
class TUpdateClassForm : public TClassForm {
    Q_OBJECT

public:
    // className: the name the dialog opens with.
    TUpdateClassForm(TUserSeam& seam, qint64 projectId, qint64 classId, const QString& className,
                     QWidget* parent = nullptr);

    // Fills both boxes; runs whenever the dialog is shown.
    void FormShow();

signals:
    // The class is stored under its new name; sent before the user is told so.
    void ClassRenamed(qint64 classId, const QString& className);

protected:
    void showEvent(QShowEvent* event) override;
    void Save() override;

private:
    qint64 classId_;
    QString className_;
};
