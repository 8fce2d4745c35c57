#include "FormUpdateClass.h"

#include <QShowEvent>

#include "ClassDAO.h"
#include "Guard.h"
#include "MainForm.h"

TUpdateClassForm::TUpdateClassForm(TFormMain* owner)
    : TClassForm(owner, QStringLiteral("类更新"), 271, 214) {}

void TUpdateClassForm::FormShow() {
    RunGuarded(Owner().Seam(), [this] {
        Edt_ClassName->setText(Owner().SelectedClassText());
        Edt_FriendName->setText(TClassDAO().GetFriendName(classId_));
    });
}

void TUpdateClassForm::showEvent(QShowEvent* event) {
    TClassForm::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TUpdateClassForm::Save() {
    const QString className = Edt_ClassName->text();
    const QString friendName = Edt_FriendName->text();
    if (className.isEmpty())
        return Message(QStringLiteral("类名称不能为空"));
    if (!StartsUpperCase(className))
        return Message(QStringLiteral("类名首个字母必须大写"));
    if (RefusesClassName(className))
        return;
    if (friendName.isEmpty())
        return Message(QStringLiteral("友好名称不能为空"));
    TClassDAO().UpdateClass(Owner().SelectedProjectId(), classId_, className, friendName);
    Owner().SetSelectedClassText(className);
    Message(QStringLiteral("类名称更新成功"));
    accept();
}
