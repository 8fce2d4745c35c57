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
    const QString tableName = Edt_TableName->text();
    if (RefusesClassName(className) || RefusesTakenName(className) ||
        RefusesTableName(tableName))
        return;
    const qint64 projectId = ProjectId();
    TClassDAO().AddClass(projectId, className, friendName, tableName);
    emit ClassAdded(projectId);
    Message(QStringLiteral("类名称添加成功！"));
    accept();
}
