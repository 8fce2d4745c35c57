#include "MemberForm.h"

#include "ClassDAO.h"
#include "Guard.h"
#include "ModelCheck.h"
#include "UserSeam.h"

namespace {

const int kBaseWidth = 372;
const int kBaseHeight = 352;
const int kBoxLeft = 96;
const int kBoxWidth = 209;

int Flag(const QCheckBox* box) {
    return box->isChecked() ? 1 : 0;
}

} // namespace

TMemberForm::TMemberForm(TUserSeam& seam, qint64 projectId, qint64 classId, const QString& caption,
                         int width, int height, QWidget* parent)
    : QDialog(parent), seam_(seam), projectId_(projectId), classId_(classId) {
    setWindowTitle(caption);
    setFont(FormFont());
    setFixedSize(width, height);
    CreateControls((width - kBaseWidth) / 2, (height - kBaseHeight) / 2);
    connect(Button1, &QPushButton::clicked, this, &TMemberForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TMemberForm::Button2Click);
}

void TMemberForm::CreateControls(int left, int top) {
    Label1 = AddLabel(QStringLiteral("成员名称："), left + 24, top + 27);
    Edt_MemberName = new QLineEdit(this);
    Edt_MemberName->setGeometry(left + kBoxLeft, top + 24, kBoxWidth, 22);
    Label2 = AddLabel(QStringLiteral("成员类型："), left + 24, top + 63);
    CB_MemberType = new QComboBox(this);
    CB_MemberType->setGeometry(left + kBoxLeft, top + 60, kBoxWidth, 22);
    Label3 = AddLabel(QStringLiteral("长度："), left + 24, top + 99);
    Edt_MemberLength = new QLineEdit(QStringLiteral("20"), this);
    Edt_MemberLength->setGeometry(left + kBoxLeft, top + 96, 81, 22);
    Label4 = AddLabel(QStringLiteral("(字符串类型有效)"), left + kBoxLeft + 89, top + 99);
    Label7 = AddLabel(QStringLiteral("小数位数："), left + kBoxLeft + 89, top + 99);
    Edt_MemberScale = new QLineEdit(QStringLiteral("0"), this);
    Edt_MemberScale->setGeometry(left + kBoxLeft + 159, top + 96, 50, 22);
    CB_MemberIsPri = AddCheckBox(QStringLiteral("是否主键"), left + 24, top + 134, 96);
    CB_MemberIsMust = AddCheckBox(QStringLiteral("是否必填"), left + 128, top + 134, 96);
    CB_QueryFlag = AddCheckBox(QStringLiteral("是否参与查询"), left + 232, top + 134, 120);
    CB_MemberIsDisplay = AddCheckBox(QStringLiteral("下拉框显示字段"), left + 24, top + 166, 128);
    CB_MemberQueryDisplay =
        AddCheckBox(QStringLiteral("查询界面是否显示"), left + 180, top + 166, 140);
    Label5 = AddLabel(QStringLiteral("成员注释："), left + 24, top + 207);
    Edt_MemberComment = new QLineEdit(this);
    Edt_MemberComment->setGeometry(left + kBoxLeft, top + 204, kBoxWidth, 22);
    Label6 = AddLabel(QStringLiteral("数据库列名："), left + 24, top + 243);
    Edt_ColumnName = new QLineEdit(this);
    Edt_ColumnName->setGeometry(left + kBoxLeft, top + 240, kBoxWidth, 22);
    Edt_ColumnName->setPlaceholderText(QStringLiteral("空: 与成员名相同"));
    CB_KeyGenerated = AddCheckBox(QStringLiteral("主键由数据库生成"), left + 24, top + 276, 300);
    CB_KeyGenerated->setChecked(true);
    Button1 = new QPushButton(QStringLiteral("确定"), this);
    Button1->setGeometry(left + 88, top + 312, 81, 27);
    Button2 = new QPushButton(QStringLiteral("取消"), this);
    Button2->setGeometry(left + 200, top + 312, 81, 27);
    connect(CB_MemberType, &QComboBox::currentTextChanged, this, &TMemberForm::UpdateKeyBox);
    connect(CB_MemberIsPri, &QCheckBox::toggled, this, &TMemberForm::UpdateKeyBox);
    connect(CB_MemberType, &QComboBox::currentTextChanged, this, &TMemberForm::UpdateScaleBox);
    UpdateKeyBox();
    UpdateScaleBox();
}

void TMemberForm::UpdateScaleBox() {
    const bool decimal = CB_MemberType->currentText() == MemberTypes::Decimal;
    Label4->setVisible(!decimal);
    Label7->setVisible(decimal);
    Edt_MemberScale->setVisible(decimal);
}

// Only an integer key may be numbered by the database or given by the user.
void TMemberForm::UpdateKeyBox() {
    CB_KeyGenerated->setEnabled(IsIntegerKey());
}

bool TMemberForm::IsIntegerKey() const {
    const QString type = CB_MemberType->currentText();
    return CB_MemberIsPri->isChecked() &&
           (type == MemberTypes::Integer || type == MemberTypes::Long);
}

QLabel* TMemberForm::AddLabel(const QString& text, int left, int top) {
    auto* label = new QLabel(text, this);
    label->move(left, top);
    label->adjustSize();
    return label;
}

QCheckBox* TMemberForm::AddCheckBox(const QString& text, int left, int top, int width) {
    auto* box = new QCheckBox(text, this);
    box->setGeometry(left, top, width, 20);
    return box;
}

void TMemberForm::FillTypeList() {
    CB_MemberType->clear();
    CB_MemberType->addItems(MemberTypes::All());
    const TClassList others = TClassDAO().ListOtherClasses(projectId_, classId_);
    for (const TClassEntry& entry : others)
        CB_MemberType->addItem(entry.className);
}

bool TMemberForm::Guard(const std::function<void()>& command) {
    return RunGuarded(seam_, command);
}

void TMemberForm::Message(const QString& text) {
    seam_.Message(text);
}

void TMemberForm::Button1Click() {
    Guard([this] { Save(); });
}

void TMemberForm::Button2Click() {
    reject();
}

void TMemberForm::Save() {
    const TProjectModel model = ReadProjectModel(projectId_);
    if (!Validate(model))
        return;
    std::optional<TMember> member = BuildMember(model);
    if (!member)
        return;
    Store(*member);
    emit MemberSaved(classId_);
    Message(SavedText());
    accept();
}

// The rules in their order, each in ModelCheck: the name, then the type with its flags.
bool TMemberForm::Validate(const TProjectModel& model) {
    const QString name = Edt_MemberName->text();
    const QString type = CB_MemberType->currentText();
    if (name.isEmpty()) {
        Message(QStringLiteral("成员名称输入不能为空!"));
        Edt_MemberName->setFocus();
        return false;
    }
    if (const std::optional<QString> refusal =
            ModelCheck::MemberNameEntryError(name, OwnClass(model), EditedMemberId())) {
        Message(*refusal);
        Edt_MemberName->setFocus();
        return false;
    }
    const bool requiredOrOptional =
        CB_MemberIsMust->isChecked() || ModelCheck::OptionalAllowed(model, type);
    if (const std::optional<QString> refusal = ModelCheck::MemberTypeEntryError(
            type, requiredOrOptional, CB_MemberIsPri->isChecked(), CB_QueryFlag->isChecked())) {
        Message(*refusal);
        return false;
    }
    return true;
}

TClassModel TMemberForm::OwnClass(const TProjectModel& model) const {
    for (const TClassModel& c : model.Classes())
        if (c.classId == classId_)
            return c;
    return TClassModel{classId_, TClassDAO().GetClassName(classId_), QString(), {}, QString()};
}

bool TMemberForm::ReadSizes(TMember& m, const QString& className) {
    const bool decimal = m.memberType == MemberTypes::Decimal;
    if (m.memberType != MemberTypes::String && m.memberType != MemberTypes::Text && !decimal)
        return true;
    bool ok = false;
    const QString length = Edt_MemberLength->text();
    m.memberLength = m.memberType == MemberTypes::Text ? length.toLongLong(&ok) : length.toInt(&ok);
    if (!ok) {
        Message(QStringLiteral("长度必须是整数!"));
        return false;
    }
    if (const std::optional<QString> refusal = ModelCheck::LengthError(m, className)) {
        Message(*refusal);
        Edt_MemberLength->setFocus();
        return false;
    }
    if (!decimal)
        return true;
    m.memberScale = Edt_MemberScale->text().toInt(&ok);
    if (!ok) {
        Message(QStringLiteral("小数位数必须是整数!"));
        return false;
    }
    if (const std::optional<QString> refusal = ModelCheck::ScaleError(m, className)) {
        Message(*refusal);
        Edt_MemberScale->setFocus();
        return false;
    }
    return true;
}

std::optional<TMember> TMemberForm::BuildMember(const TProjectModel& model) {
    TMember m;
    m.projectId = projectId_;
    m.classId = classId_;
    m.memberName = Edt_MemberName->text();
    m.memberType = CB_MemberType->currentText();
    if (!ReadSizes(m, OwnClass(model).className))
        return std::nullopt;
    m.memberIsPri = Flag(CB_MemberIsPri);
    m.memberIsMust = Flag(CB_MemberIsMust);
    m.memberIsInteger = m.memberType == MemberTypes::Integer ? 1 : 0;
    m.memberIsFloat = m.memberType == MemberTypes::Float ? 1 : 0;
    m.queryFlag = Flag(CB_QueryFlag);
    m.memberIsDisplay = Flag(CB_MemberIsDisplay);
    m.memberQueryDisplay = Flag(CB_MemberQueryDisplay);
    m.memberComment = Edt_MemberComment->text();
    m.columnName = Edt_ColumnName->text();
    m.keyAssigned = IsIntegerKey() && !CB_KeyGenerated->isChecked() ? 1 : 0;
    if (const std::optional<QString> refusal =
            ModelCheck::DatabaseNameError(QStringLiteral("列名"), m.columnName)) {
        Message(*refusal);
        Edt_ColumnName->setFocus();
        return std::nullopt;
    }
    TMember stored = m;
    stored.memberId = EditedMemberId();
    if (const std::optional<QString> refusal =
            ModelCheck::MemberRuleError(model, classId_, stored)) {
        Message(*refusal);
        Edt_MemberName->setFocus();
        return std::nullopt;
    }
    return m;
}
