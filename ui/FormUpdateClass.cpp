#include "FormUpdateClass.h"

#include <QShowEvent>

#include "ClassDAO.h"
#include "Guard.h"

TUpdateClassForm::TUpdateClassForm(TUserSeam& seam, qint64 projectId, qint64 classId,
                                   const QString& className, QWidget* parent)
    : TClassForm(seam, projectId, QStringLiteral("类更新"), 271, 214, parent), classId_(classId),
      className_(className) {}

void TUpdateClassForm::FormShow() {
    RunGuarded(Seam(), [this] {
        Edt_ClassName->setText(className_);
        Edt_FriendName->setText(TClassDAO().GetFriendName(classId_));
        Edt_TableName->setText(TClassDAO().GetTableName(classId_));
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
    if (RefusesClassName(className))
        return;
    if (friendName.isEmpty())
        return Message(QStringLiteral("友好名称不能为空"));
    // Keeping its own name is no clash.
    if (className != className_ && RefusesTakenName(className))
        return;
    const QString tableName = Edt_TableName->text();
    if (RefusesTableName(tableName))
        return;
    TClassDAO().UpdateClass(ProjectId(), classId_, className, friendName, tableName);
    className_ = className;
    emit ClassRenamed(classId_, className);
    Message(QStringLiteral("类名称更新成功"));
    accept();
}
