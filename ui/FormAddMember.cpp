#include "FormAddMember.h"

#include "MemberDAO.h"

TAddMemberForm::TAddMemberForm(TUserSeam& seam, qint64 projectId, qint64 classId, QWidget* parent)
    : TMemberForm(seam, projectId, classId, QStringLiteral("添加成员属性"), 389, 363, parent) {
    CB_MemberQueryDisplay->setChecked(true);
    FormCreate();
}

void TAddMemberForm::FormCreate() {
    Guard([this] {
        FillTypeList();
        CB_MemberType->setCurrentIndex(0);
    });
}

void TAddMemberForm::Store(TMember& member) {
    TMemberDAO().AddMember(member);
}

QString TAddMemberForm::SavedText() const {
    return QStringLiteral("类成员属性添加成功!");
}
