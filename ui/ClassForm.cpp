#include "ClassForm.h"

#include <optional>

#include "ClassDAO.h"
#include "Guard.h"
#include "ModelCheck.h"
#include "UserSeam.h"

namespace {

const int kBoxLeft = 104;
const int kBoxWidth = 137;
const int kButtonWidth = 113;

} // namespace

TClassForm::TClassForm(TUserSeam& seam, qint64 projectId, const QString& caption, int width,
                       int height, QWidget* parent)
    : QDialog(parent), seam_(seam), projectId_(projectId) {
    setWindowTitle(caption);
    setFont(FormFont());
    setFixedSize(width, height);
    const int top = height / 2 - 64;
    Label1 = new QLabel(QStringLiteral("类英文名称:"), this);
    Label1->setGeometry(16, top + 3, 84, 16);
    Edt_ClassName = new QLineEdit(this);
    Edt_ClassName->setGeometry(kBoxLeft, top, kBoxWidth, 22);
    Label2 = new QLabel(QStringLiteral("中文友好名称:"), this);
    Label2->setGeometry(16, top + 47, 84, 16);
    Edt_FriendName = new QLineEdit(this);
    Edt_FriendName->setGeometry(kBoxLeft, top + 44, kBoxWidth, 22);
    Label3 = new QLabel(QStringLiteral("数据库表名:"), this);
    Label3->setGeometry(16, top + 91, 84, 16);
    Edt_TableName = new QLineEdit(this);
    Edt_TableName->setGeometry(kBoxLeft, top + 88, kBoxWidth, 22);
    Edt_TableName->setPlaceholderText(QStringLiteral("空: 与类名相同"));
    Button1 = new QPushButton(QStringLiteral("确定"), this);
    Button1->setGeometry((width - kButtonWidth) / 2, top + 128, kButtonWidth, 27);
    connect(Button1, &QPushButton::clicked, this, &TClassForm::Button1Click);
}

void TClassForm::Button1Click() {
    RunGuarded(seam_, [this] { Save(); });
}

void TClassForm::Message(const QString& text) {
    seam_.Message(text);
}

// Shows the refusal, if any, and puts the cursor into the field it is about.
bool TClassForm::Refuses(const std::optional<QString>& refusal, QLineEdit* field) {
    if (!refusal)
        return false;
    Message(*refusal);
    field->setFocus();
    return true;
}

bool TClassForm::RefusesClassName(const QString& className) {
    return Refuses(ModelCheck::ClassNameEntryError(className), Edt_ClassName);
}

bool TClassForm::RefusesTableName(const QString& tableName) {
    return Refuses(ModelCheck::DatabaseNameError(QStringLiteral("表名"), tableName),
                   Edt_TableName);
}

bool TClassForm::RefusesTakenName(const QString& className) {
    const std::optional<QString> refusal =
        ModelCheck::ClassNameTakenError(className, TClassDAO().ListClasses(projectId_));
    if (refusal)
        Message(*refusal);
    return refusal.has_value();
}
