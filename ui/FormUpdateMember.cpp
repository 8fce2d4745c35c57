#include "FormUpdateMember.h"

#include "MemberDAO.h"

TUpdateMemberForm::TUpdateMemberForm(TUserSeam& seam, qint64 projectId, qint64 classId,
                                     qint64 memberId, QWidget* parent)
    : TMemberForm(seam, projectId, classId, QStringLiteral("更新成员属性"), 372, 352, parent),
      memberId_(memberId) {
    FormCreate();
}

void TUpdateMemberForm::FormCreate() {
    Guard([this] {
        FillTypeList();
        std::optional<TMember> member = TMemberDAO().GetMember(memberId_);
        if (!member)
            return Message(QStringLiteral("该成员已不存在!"));
        ShowMember(*member);
        found_ = true;
    });
}

void TUpdateMemberForm::ShowMember(const TMember& member) {
    Edt_MemberName->setText(member.memberName);
    CB_MemberType->setCurrentIndex(
        CB_MemberType->findText(member.memberType, Qt::MatchExactly | Qt::MatchCaseSensitive));
    Edt_MemberLength->setText(QString::number(member.memberLength));
    Edt_MemberScale->setText(QString::number(member.memberScale));
    CB_MemberIsMust->setChecked(member.memberIsMust == 1);
    CB_QueryFlag->setChecked(member.queryFlag == 1);
    CB_MemberIsPri->setChecked(member.memberIsPri == 1);
    CB_MemberIsDisplay->setChecked(member.memberIsDisplay == 1);
    CB_MemberQueryDisplay->setChecked(member.memberQueryDisplay == 1);
    Edt_MemberComment->setText(member.memberComment);
    Edt_ColumnName->setText(member.columnName);
    CB_KeyGenerated->setChecked(member.keyAssigned != 1);
}

void TUpdateMemberForm::Store(TMember& member) {
    member.memberId = memberId_;
    TMemberDAO().UpdateMember(member);
}

QString TUpdateMemberForm::SavedText() const {
    return QStringLiteral("类成员属性更新成功!");
}
