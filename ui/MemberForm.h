#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <functional>
#include <optional>

#include "Member.h"
#include "ProjectModel.h"

class TUserSeam;

// What the two member dialogs share: the controls, the type list and the
// rules a member must pass before it is stored, in one class of a project.
class TMemberForm : public QDialog {
    Q_OBJECT

public:
    QLabel* Label1;
    QLineEdit* Edt_MemberName;
    QLabel* Label2;
    QComboBox* CB_MemberType;
    QLabel* Label3;
    QLineEdit* Edt_MemberLength;
    QLabel* Label4;
    QLabel* Label7; // 小数位数, shown for a decimal in place of Label4
    QLineEdit* Edt_MemberScale;
    QCheckBox* CB_MemberIsPri;
    QCheckBox* CB_MemberIsMust;
    QCheckBox* CB_QueryFlag;
    QCheckBox* CB_MemberIsDisplay;
    QCheckBox* CB_MemberQueryDisplay;
    QLabel* Label5;
    QLineEdit* Edt_MemberComment;
    QLabel* Label6;
    QLineEdit* Edt_ColumnName; // empty: the column is named after the member
    QCheckBox* CB_KeyGenerated; // unchecked: the user gives an integer key on the add page
    QPushButton* Button1;
    QPushButton* Button2;

public slots:
    void Button1Click();
    void Button2Click();
    void UpdateKeyBox();
    void UpdateScaleBox();

signals:
    // The member is stored; sent before the user is told so.
    void MemberSaved(qint64 classId);

protected:
    TMemberForm(TUserSeam& seam, qint64 projectId, qint64 classId, const QString& caption,
                int width, int height, QWidget* parent);

    // The simple type words, then the project's other classes.
    void FillTypeList();
    bool Guard(const std::function<void()>& command);
    void Message(const QString& text);

    // The member being edited, or 0 when a new one is added (no stored member has id 0).
    virtual qint64 EditedMemberId() const = 0;
    virtual void Store(TMember& member) = 0;
    virtual QString SavedText() const = 0;

private:
    void CreateControls(int left, int top);
    QLabel* AddLabel(const QString& text, int left, int top);
    QCheckBox* AddCheckBox(const QString& text, int left, int top, int width);
    bool IsIntegerKey() const;
    void Save();
    bool Validate(const TProjectModel& model);
    // The dialog's class as the model holds it.
    TClassModel OwnClass(const TProjectModel& model) const;
    std::optional<TMember> BuildMember(const TProjectModel& model);
    // The length (and a decimal's scale) from their boxes, when the type has them.
    bool ReadSizes(TMember& m, const QString& className);

    TUserSeam& seam_;
    qint64 projectId_;
    qint64 classId_;
};
