#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <optional>

class TUserSeam;

// What the two class dialogs share: the name, friend name and table boxes and the OK button.
class TClassForm : public QDialog {
    Q_OBJECT

public:
    QLabel* Label1;
    QLineEdit* Edt_ClassName;
    QLabel* Label2;
    QLineEdit* Edt_FriendName;
    QLabel* Label3;
    QLineEdit* Edt_TableName; // empty: the table is named after the class
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
    // Shows a refusal, if any, with the focus on its field. True when refused.
    bool Refuses(const std::optional<QString>& refusal, QLineEdit* field);
    // Refuses a class name the rules refuse (ModelCheck::ClassNameEntryError: the first letter,
    // then what a run refuses of the name), with a message and the focus on the name box. True
    // when refused.
    bool RefusesClassName(const QString& className);
    // Refuses the name of another class of the project (ModelCheck::ClassNameTakenError). True
    // when refused.
    bool RefusesTakenName(const QString& className);
    // Refuses a table name the mappings cannot quote (ModelCheck::DatabaseNameError). True
    // when refused.
    bool RefusesTableName(const QString& tableName);

private:
    TUserSeam& seam_;
    qint64 projectId_;
};
