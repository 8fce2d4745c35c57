#pragma once

#include "ClassForm.h"

// Adds a class to a project.
class TAddClassForm : public TClassForm {
    Q_OBJECT

public:
    TAddClassForm(TUserSeam& seam, qint64 projectId, QWidget* parent = nullptr);

signals:
    // The class is stored; sent before the user is told so.
    void ClassAdded(qint64 projectId);

protected:
    void Save() override;
};
