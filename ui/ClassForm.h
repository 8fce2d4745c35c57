#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

class TUserSeam;

// What the two class dialogs share: two named boxes and the OK button.
class TClassForm : public QDialog {
    Q_OBJECT

public:
    QLabel* Label1;
    QLineEdit* Edt_ClassName;
    QLabel* Label2;
    QLineEdit* Edt_FriendName;
    QPushButton* Button1;

public slots:
    void Button1Click();

protected:
    // projectId: the project the class belongs to.
    TClassForm(TUserSeam& seam, qint64 projectId, const QString& caption, int width, int height,
               QWidget* parent);

    // Checks and stores what was typed; store errors propagate.
    virtual void Save() = 0;

    TUserSeam& Seam() const { return seam_; }
    qint64 ProjectId() const { return projectId_; }
    void Message(const QString& text);
    static bool StartsUpperCase(const QString& text);
    // After the first-letter rule: refuses a class name a generation run would refuse for its
    // characters (identifier characters only, each one GBK can hold), with a message and the
    // focus on the name box. True when refused.
    bool RefusesClassName(const QString& className);

private:
    TUserSeam& seam_;
    qint64 projectId_;
};
