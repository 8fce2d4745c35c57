// The window's lists: the project box, the class list and the member table, loaded from the
// stores, and the selection the commands act on.
#include <QSignalBlocker>

#include "ClassDAO.h"
#include "ClassMembers.h"
#include "MainForm.h"
#include "ProjectDAO.h"

namespace {

QString FlagText(qint64 value) {
    return value == 1 ? QStringLiteral("是") : QStringLiteral("否");
}

} // namespace

qint64 TFormMain::SelectedProjectId() const {
    return CB_Project->currentIndex() < 0 ? -1 : CB_Project->currentData().toLongLong();
}

qint64 TFormMain::SelectedClassId() const {
    const QListWidgetItem* item = LB_Object->currentItem();
    return item == nullptr ? -1 : item->data(Qt::UserRole).toLongLong();
}

QString TFormMain::SelectedClassText() const {
    const QListWidgetItem* item = LB_Object->currentItem();
    return item == nullptr ? QString() : item->text();
}

void TFormMain::RenameClassItem(qint64 classId, const QString& className) {
    for (int row = 0; row < LB_Object->count(); ++row)
        if (LB_Object->item(row)->data(Qt::UserRole).toLongLong() == classId)
            LB_Object->item(row)->setText(className);
}

void TFormMain::KeepClassHighlight() {
    QListWidgetItem* item = LB_Object->currentItem();
    if (item != nullptr && LB_Object->selectedItems() != QList<QListWidgetItem*>{item})
        LB_Object->setCurrentItem(item, QItemSelectionModel::ClearAndSelect);
}

int TFormMain::SelectedMemberRow() const {
    const QModelIndexList rows = LV_Member->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

qint64 TFormMain::SelectedMemberId() const {
    const int row = SelectedMemberRow();
    return row < 0 ? -1 : LV_Member->item(row, 0)->text().toLongLong();
}

void TFormMain::LoadProjects() {
    FillProjectBox();
    if (CB_Project->count() == 0)
        return;
    CB_Project->setCurrentIndex(0);
    if (keptProjectIndex != -1 && keptProjectIndex < CB_Project->count())
        CB_Project->setCurrentIndex(keptProjectIndex);
    LoadClasses(SelectedProjectId());
}

void TFormMain::FillProjectBox() {
    CB_Project->clear();
    ClearClassesAndMembers();
    for (const TProjectEntry& project : TProjectDAO().ListProjects())
        CB_Project->addItem(project.projectName, project.projectId);
    // Without any project the sample is offered.
    Btn_Sample->setVisible(CB_Project->count() == 0);
}

void TFormMain::LoadProjectsSelecting(qint64 projectId) {
    FillProjectBox();
    const int index = CB_Project->findData(projectId);
    if (index < 0)
        return LoadProjects();
    keptProjectIndex = index;
    CB_Project->setCurrentIndex(index);
    LoadClasses(projectId);
}

// The first project of an import; of several of its name, the one just added.
void TFormMain::SelectImported(const QStringList& names) {
    if (names.isEmpty())
        return;
    const TProjectList found = TProjectDAO().FindProjects(names.first());
    if (found.isEmpty())
        return LoadProjects();
    LoadProjectsSelecting(found.last().projectId);
}

void TFormMain::LoadClasses(qint64 projectId) {
    ClearClassesAndMembers();
    const QSignalBlocker blocker(LB_Object);
    for (const TClassEntry& entry : TClassDAO().ListClasses(projectId)) {
        auto* item = new QListWidgetItem(entry.className, LB_Object);
        item->setData(Qt::UserRole, entry.classId);
    }
    if (LB_Object->count() == 0)
        return;
    LB_Object->setCurrentRow(0);
    LoadMembers(SelectedClassId());
}

void TFormMain::LoadMembers(qint64 classId) {
    LV_Member->setRowCount(0);
    for (const TMember& member : ClassMembers(classId))
        AddMemberRow(member);
}

void TFormMain::AddMemberRow(const TMember& m) {
    const QStringList texts = {
        QString::number(m.memberId),
        m.memberName,
        m.memberType,
        QString::number(m.memberLength),
        FlagText(m.memberIsPri),
        FlagText(m.memberIsMust),
        FlagText(m.queryFlag),
        FlagText(m.memberIsDisplay),
        FlagText(m.memberQueryDisplay),
        m.memberComment,
    };
    const int index = LV_Member->rowCount();
    LV_Member->insertRow(index);
    for (int column = 0; column < texts.size(); ++column)
        LV_Member->setItem(index, column, new QTableWidgetItem(texts[column]));
}

void TFormMain::ClearClassesAndMembers() {
    const QSignalBlocker blocker(LB_Object);
    LB_Object->clear();
    LV_Member->setRowCount(0);
}
