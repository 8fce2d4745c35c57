#pragma once

#include "ClassForm.h"

// Adds a class to the selected project.
class TAddClassForm : public TClassForm {
    Q_OBJECT

public:
    explicit TAddClassForm(TFormMain* owner);

protected:
    void Save() override;
};
