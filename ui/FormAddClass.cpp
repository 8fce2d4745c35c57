#include "FormAddClass.h"

#include "ClassDAO.h"

TAddClassForm::TAddClassForm(TUserSeam& seam, qint64 projectId, QWidget* parent)
    : TClassForm(seam, projectId, QStringLiteral("添加类"), 269, 218, parent) {}

void TAddClassForm::Save() {
    const QString className = Edt_ClassName->text();
    const QString friendName = Edt_FriendName->text();
    if (className.isEmpty())
        return Message(QStringLiteral("类名称不能为空!"));
    if (friendName.isEmpty())
        return Message(QStringLiteral("友好名称不能为空"));
    if (!StartsUpperCase(className))
        return Message(QStringLiteral("类名首个字母必须大写"));
    if (RefusesClassName(className))
        return;
    const qint64 projectId = ProjectId();
    TClassDAO classes;
    if (classes.CountClassesByName(projectId, className) > 0)
        return Message(QStringLiteral("该类名称已经存在!"));
    classes.AddClass(projectId, className, friendName);
    emit ClassAdded(projectId);
    Message(QStringLiteral("类名称添加成功！"));
    accept();
}
