// The window's commands on the model: projects, classes, members and the package name. Each
// checks its preconditions in the Parts' order, calls the rules of ModelCheck and the stores.
#include <QSignalBlocker>

#include "ClassDAO.h"
#include "FormAddClass.h"
#include "FormAddMember.h"
#include "FormUpdateClass.h"
#include "FormUpdateMember.h"
#include "MainForm.h"
#include "MemberDAO.h"
#include "ModelCheck.h"
#include "ProjectDAO.h"

void TFormMain::NewProject() {
    const QString name =
        seam_->InputBox(QStringLiteral("请输入工程名称"), QString(), QString());
    if (name.isEmpty())
        return Message(QStringLiteral("工程名称不能为空!"));
    TProjectDAO projects;
    if (const std::optional<QString> refusal = ProjectNameRefusal(name, projects))
        return Message(*refusal);
    projects.AddProject(name);
    LoadProjectsSelecting(projects.FindProjects(name).last().projectId);
    Message(QStringLiteral("工程名称添加成功！"));
}

// The box starts with the current name; a refused name is asked for again, starting with it.
// An answer left as the box started (also Cancel) changes nothing.
void TFormMain::RenameProject() {
    if (CB_Project->currentIndex() < 0)
        return Message(QStringLiteral("当前未有任何项目被选中!"));
    const QString current = CB_Project->currentText();
    TProjectDAO projects;
    QString name = current;
    for (;;) {
        const QString asked = name;
        name = seam_->InputBox(QStringLiteral("请输入项目名称"), QString(), asked);
        if (name.isEmpty())
            return Message(QStringLiteral("工程项目名称不能为空!"));
        if (name == asked || name == current)
            return;
        const std::optional<QString> refusal = ProjectNameRefusal(name, projects);
        if (!refusal)
            break;
        Message(*refusal);
    }
    projects.RenameProject(SelectedProjectId(), name);
    keptProjectIndex = CB_Project->currentIndex();
    Message(QStringLiteral("工程名称修改成功！"));
    LoadProjects();
}

// The rules of a project name (a folder name, valid text, not too long), then the names of
// the other projects: two projects of one name would generate into one folder.
std::optional<QString> TFormMain::ProjectNameRefusal(const QString& name,
                                                     TProjectDAO& projects) {
    if (std::optional<QString> error = ModelCheck::ProjectNameError(name))
        return error;
    return ModelCheck::ProjectNameTakenError(name, projects.FindProjects(name));
}

void TFormMain::DeleteProject() {
    if (CB_Project->currentIndex() < 0)
        return Message(QStringLiteral("未有任何项目被选中!"));
    if (!seam_->Confirm(QStringLiteral("删除提示"), QStringLiteral("确认删除当前项目吗?")))
        return;
    TProjectDAO().DeleteProject(SelectedProjectId());
    keptProjectIndex = -1;
    Message(QStringLiteral("删除成功!"));
    LoadProjects();
}

void TFormMain::AddClassCommand() {
    if (CB_Project->currentIndex() < 0)
        return Message(QStringLiteral("当前未有任何项目被选中!"));
    TAddClassForm form(*seam_, SelectedProjectId(), this);
    connect(&form, &TAddClassForm::ClassAdded, this, &TFormMain::LoadClasses);
    ShowModal(form);
}

void TFormMain::RenameClass() {
    if (LB_Object->currentItem() == nullptr)
        return Message(QStringLiteral("没有类被选中!"));
    TUpdateClassForm form(*seam_, SelectedProjectId(), SelectedClassId(), SelectedClassText(),
                          this);
    connect(&form, &TUpdateClassForm::ClassRenamed, this, &TFormMain::RenameClassItem);
    ShowModal(form);
}

void TFormMain::DeleteClass() {
    if (LB_Object->currentItem() == nullptr)
        return Message(QStringLiteral("没有类被选中!"));
    if (!seam_->Confirm(QStringLiteral("提示"), QStringLiteral("确认删除此类对象！")))
        return;
    TClassDAO().DeleteClass(SelectedClassId());
    {
        const QSignalBlocker blocker(LB_Object);
        delete LB_Object->takeItem(LB_Object->currentRow());
        LB_Object->setCurrentRow(-1);
    }
    LV_Member->setRowCount(0);
    Message(QStringLiteral("类对象删除成功!"));
}

void TFormMain::AddMemberCommand() {
    if (LB_Object->currentItem() == nullptr)
        return Message(QStringLiteral("请先选择类对象"));
    TAddMemberForm form(*seam_, SelectedProjectId(), SelectedClassId(), this);
    connect(&form, &TMemberForm::MemberSaved, this, &TFormMain::LoadMembers);
    ShowModal(form);
}

void TFormMain::EditMember() {
    if (SelectedMemberRow() < 0)
        return Message(QStringLiteral("请先选择一个成员"));
    TUpdateMemberForm form(*seam_, SelectedProjectId(), SelectedClassId(), SelectedMemberId(),
                           this);
    connect(&form, &TMemberForm::MemberSaved, this, &TFormMain::LoadMembers);
    if (form.MemberFound())
        ShowModal(form);
    else
        LoadMembers(SelectedClassId());
}

void TFormMain::DeleteMember() {
    if (SelectedMemberRow() < 0)
        return Message(QStringLiteral("请先选择一个成员"));
    if (!seam_->Confirm(QStringLiteral("删除提示"), QStringLiteral("确定删除当前成员属性?")))
        return;
    TMemberDAO().DeleteMember(SelectedMemberId());
    Message(QStringLiteral("成员属性删除成功"));
    LoadMembers(SelectedClassId());
}

void TFormMain::SetPackageName() {
    const QString answer = seam_->InputBox(
        QStringLiteral("包名输入框"), QStringLiteral("请输入一个包名如:           "), packageName);
    if (answer.isEmpty())
        return Message(QStringLiteral("包名输入不能为空!"));
    packageName = answer;
}

// The box starts with the current kind; a word that names no kind is asked for again. Cancel
// (the box's own text), an empty answer or the current kind changes nothing.
void TFormMain::SetDatabaseKind() {
    if (CB_Project->currentIndex() < 0)
        return Message(QStringLiteral("当前未有任何项目被选中!"));
    TProjectDAO projects;
    TProjectDatabase database = projects.ReadDatabase(SelectedProjectId());
    QString answer = DatabaseKinds::Caption(database.kind);
    for (;;) {
        const QString asked = answer;
        answer = seam_->InputBox(
            QStringLiteral("数据库类型"),
            QStringLiteral("生成的应用使用的数据库 (MariaDB/MySQL 或 PostgreSQL):"), answer);
        if (answer.trimmed().isEmpty() || answer == asked)
            return;
        if (const std::optional<TDatabaseKind> kind = DatabaseKinds::FromName(answer.trimmed())) {
            if (*kind == database.kind)
                return;
            database.kind = *kind;
            break;
        }
        Message("未知的数据库类型: " + answer + ", 应为MariaDB/MySQL或PostgreSQL");
    }
    projects.SetDatabase(SelectedProjectId(), database);
    Message("数据库类型已设为" + DatabaseKinds::Caption(database.kind));
}

// The box starts with the current name; a name no database takes is asked for again. Cancel
// (the box's own text), an empty answer or the current name changes nothing.
void TFormMain::SetAdminTable() {
    if (CB_Project->currentIndex() < 0)
        return Message(QStringLiteral("当前未有任何项目被选中!"));
    TProjectDAO projects;
    TProjectDatabase database = projects.ReadDatabase(SelectedProjectId());
    const QString current = database.AdminTable();
    QString answer = current;
    for (;;) {
        const QString asked = answer;
        answer = seam_->InputBox(QStringLiteral("管理员表名"),
                                 QStringLiteral("生成的应用保存管理员的数据库表:"), answer);
        if (answer.isEmpty() || answer == asked || answer == current)
            return;
        const std::optional<QString> refusal =
            ModelCheck::DatabaseNameError(QStringLiteral("管理员表名"), answer);
        if (!refusal)
            break;
        Message(*refusal);
    }
    database.adminTable = answer;
    projects.SetDatabase(SelectedProjectId(), database);
    Message("管理员表名已设为" + database.AdminTable());
}
