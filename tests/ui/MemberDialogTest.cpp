#include <QSignalSpy>

#include "ClassDAO.h"
#include "FormAddMember.h"
#include "FormUpdateMember.h"
#include "UiTestSupport.h"

namespace {

// What the user enters; unset boxes are left as the dialog shows them.
struct TEntry {
    QString name;
    QString type;
    bool isMust = false;
    bool isPri = false;
    bool queryFlag = false;
    QString length = "20";
};

void Submit(TMemberForm& form, const TEntry& entry) {
    form.Edt_MemberName->setText(entry.name);
    form.CB_MemberType->setCurrentIndex(form.CB_MemberType->findText(entry.type));
    form.Edt_MemberLength->setText(entry.length);
    form.CB_MemberIsMust->setChecked(entry.isMust);
    form.CB_MemberIsPri->setChecked(entry.isPri);
    form.CB_QueryFlag->setChecked(entry.queryFlag);
    form.Button1->click();
}

QStringList TypeList(const TMemberForm& form) {
    QStringList types;
    for (int i = 0; i < form.CB_MemberType->count(); ++i)
        types << form.CB_MemberType->itemText(i);
    return types;
}

} // namespace

class MemberDialogTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        shop_ = AddProject("shop");
        book_ = AddClass(shop_, "Book");
        AddClass(shop_, "Author");
        AddClass(AddProject("hr"), "Dept");
    }

    // The messages one dialog run showed, the dialog then closed or not.
    QStringList AddWith(const QList<TEntry>& entries) {
        OnDialog<TAddMemberForm>([&](TAddMemberForm& form) {
            for (const TEntry& entry : entries)
                Submit(form, entry);
        });
        Trigger(Form().M1);
        return seam_.TakeTexts();
    }

    int shop_ = 0;
    int book_ = 0;
};

TEST_F(MemberDialogTest, AddOpensWithStringTypeLengthTwentyAndTheOtherClassesOfTheProject) {
    OnDialog<TAddMemberForm>([](TAddMemberForm& form) {
        EXPECT_EQ(form.windowTitle(), "添加成员属性");
        EXPECT_EQ(form.size(), QSize(389, 363));
        EXPECT_EQ(TypeList(form), QStringList({"字符串", "整型", "浮点型", "日期型", "日期时间型",
                                               "小数型", "长整型", "文本型", "布尔型", "Author"}));
        EXPECT_EQ(form.CB_MemberType->currentIndex(), 0);
        EXPECT_EQ(form.Edt_MemberLength->text(), "20");
        EXPECT_TRUE(form.Edt_MemberName->text().isEmpty());
        EXPECT_FALSE(form.CB_MemberIsPri->isChecked() || form.CB_MemberIsMust->isChecked() ||
                     form.CB_QueryFlag->isChecked() || form.CB_MemberIsDisplay->isChecked());
        EXPECT_TRUE(form.CB_MemberQueryDisplay->isChecked());
        form.Button2->click();
        EXPECT_FALSE(form.isVisible());
    });
    Trigger(Form().M1);
    EXPECT_EQ(dialogsShown_, 1);
    EXPECT_EQ(Count("select count(*) from t_member"), 0);
    EXPECT_TRUE(seam_.shown.isEmpty());
}

TEST_F(MemberDialogTest, AddAppliesTheRulesInOrderAndStopsAtTheFirstFailure) {
    const QStringList texts = AddWith({
        {"", "整型"},
        {"Price", "整型"},
        {"价格", "字符串", true},
        {"price", "整型"},
        {"author", "Author"},
        {"born", "日期型", false, true},
        {"born", "日期型", true, true},
        {"price", "浮点型", true, false, true},
        {"count", "整型", true, false, true},
    });
    EXPECT_EQ(texts,
              QStringList({"成员名称输入不能为空!", "成员属性首个字母必须小写",
                           "类Book的成员名\"价格\"只能用英文字母、数字和下划线, "
                           "因为网页表单的参数名不支持中文和$",
                           "除了字符串类型外其他类型必须勾选是否必填标志!",
                           "除了字符串类型外其他类型必须勾选是否必填标志!",
                           "除了字符串类型外其他类型必须勾选是否必填标志!",
                           "主键字段必须是整型或字符串型!", "参与查询的字段不要设置整型或浮点型",
                           "参与查询的字段不要设置整型或浮点型"}));
    EXPECT_TRUE(dialogLeftOpen_);
    EXPECT_EQ(Count("select count(*) from t_member"), 0);
}

TEST_F(MemberDialogTest, AddAcceptsWhatTheRulesAllowAndDerivesTheTypeFields) {
    EXPECT_EQ(AddWith({{"title", "字符串", false, true, true, "35"}}),
              QStringList({"类成员属性添加成功!"}));
    EXPECT_FALSE(dialogLeftOpen_);
    EXPECT_EQ(AddWith({{"count", "整型", true, true, false, "abc"}}),
              QStringList({"类成员属性添加成功!"}));
    EXPECT_EQ(AddWith({{"born", "日期型", true, false, true}}),
              QStringList({"类成员属性添加成功!"}));
    // A reference may be the display member, but not round a cycle of display references (the
    // run refuses it; Author is displayed by its book); unchecked, it is stored.
    TMember book = NewMember(shop_, Count("select classId from t_class where className='Author'"),
                             "book", "Book");
    book.memberIsDisplay = 1;
    TestModel::AddMember(book);
    seam_.shown.clear();
    OnDialog<TAddMemberForm>([](TAddMemberForm& form) {
        form.CB_MemberIsDisplay->setChecked(true);
        form.CB_MemberQueryDisplay->setChecked(false);
        form.Edt_MemberComment->setText("作者's");
        Submit(form, {"author", "Author", true, false, true});
        EXPECT_TRUE(form.isVisible());
        form.CB_MemberIsDisplay->setChecked(false);
        form.Button1->click();
    });
    Trigger(Form().M1);
    EXPECT_EQ(seam_.Texts(), QStringList({"类Book的显示成员author是引用, 而显示值的引用形成了循环: "
                                          "Book.author → Author.book → Book; "
                                          "请把其中一个类的显示成员换成非引用的成员",
                                          "类成员属性添加成功!"}));

    EXPECT_EQ(MemberColumn(1), QStringList({"title", "count", "born", "author"}));
    const TResultSetPtr rows = TMemberDAO().OpenClassMembers(book_);
    auto next = [&rows] {
        TMember m = TMemberDAO::ReadMember(*rows);
        rows->Next();
        return m;
    };
    const TMember title = next();
    EXPECT_EQ(title.memberLength, 35);
    EXPECT_EQ(title.memberIsPri, 1);
    EXPECT_EQ(title.queryFlag, 1);
    EXPECT_EQ(title.memberQueryDisplay, 1);
    EXPECT_EQ(title.projectId, shop_);
    const TMember count = next();
    EXPECT_EQ(count.memberLength, 0);
    EXPECT_EQ(count.memberIsInteger, 1);
    EXPECT_EQ(count.memberIsFloat, 0);
    EXPECT_EQ(count.memberIsMust, 1);
    next();
    const TMember author = next();
    EXPECT_EQ(author.memberType, "Author");
    EXPECT_EQ(author.memberIsDisplay, 0);
    EXPECT_EQ(author.memberQueryDisplay, 0);
    EXPECT_EQ(author.memberComment, "作者's");
    EXPECT_EQ(author.memberIsInteger + author.memberIsFloat, 0);
}

TEST_F(MemberDialogTest, StringLengthThatIsNoIntegerStoresNothing) {
    EXPECT_EQ(AddWith({{"title", "字符串", false, false, false, "abc"}}),
              QStringList({"长度必须是整数!"}));
    EXPECT_TRUE(dialogLeftOpen_);
    EXPECT_EQ(Count("select count(*) from t_member"), 0);
}

// A VARCHAR column holds 1 to 16383 characters (utf8mb4); other lengths are refused at entry.
TEST_F(MemberDialogTest, StringLengthTheColumnCannotHoldStoresNothing) {
    for (const char* length : {"0", "-1", "16384", "20000"}) {
        EXPECT_EQ(AddWith({{"title", "字符串", false, false, false, length}}),
                  QStringList({"类Book的成员title的长度" + QString(length) +
                               "超出范围: 字符串的长度必须在1到16383之间"}))
            << length;
        EXPECT_EQ(Count("select count(*) from t_member"), 0);
    }
    EXPECT_EQ(AddWith({{"title", "字符串", false, false, false, "16383"}}),
              QStringList({"类成员属性添加成功!"}));
}

TEST_F(MemberDialogTest, UpdateShowsTheStoredMemberAndOnlyFlagsOfOneAreChecked) {
    TMember m = Member(shop_, book_, "author", "Author");
    m.memberIsMust = 1;
    m.queryFlag = 2;
    m.memberIsPri = 1;
    m.memberIsDisplay = 0;
    m.memberQueryDisplay = 1;
    m.memberComment = "作者";
    AddMember(m);
    SelectMemberRow(0);
    OnDialog<TUpdateMemberForm>([](TUpdateMemberForm& form) {
        EXPECT_EQ(form.windowTitle(), "更新成员属性");
        EXPECT_EQ(form.size(), QSize(372, 352));
        EXPECT_EQ(TypeList(form), QStringList({"字符串", "整型", "浮点型", "日期型", "日期时间型",
                                               "小数型", "长整型", "文本型", "布尔型", "Author"}));
        EXPECT_EQ(form.Edt_MemberName->text(), "author");
        EXPECT_EQ(form.CB_MemberType->currentText(), "Author");
        EXPECT_EQ(form.Edt_MemberLength->text(), "0");
        EXPECT_TRUE(form.CB_MemberIsMust->isChecked());
        EXPECT_FALSE(form.CB_QueryFlag->isChecked());
        EXPECT_TRUE(form.CB_MemberIsPri->isChecked());
        EXPECT_FALSE(form.CB_MemberIsDisplay->isChecked());
        EXPECT_TRUE(form.CB_MemberQueryDisplay->isChecked());
        EXPECT_EQ(form.Edt_MemberComment->text(), "作者");
    });
    Trigger(Form().N3);
    EXPECT_EQ(dialogsShown_, 1);
}

// A class that names its table maps an existing one: a number, date or reference may be left
// empty (NULL) there.
TEST_F(MemberDialogTest, NumbersDatesAndReferencesOfExistingTablesMayBeOptional) {
    TClassDAO().UpdateClass(shop_, book_, "Book", "友好", "books");
    const QStringList texts = AddWith({{"author", "Author"}, {"pages", "整型"}});
    EXPECT_EQ(texts, QStringList({"类成员属性添加成功!", "类成员属性添加成功!"}));
    AddWith({{"price", "浮点型"}});
    AddWith({{"born", "日期型"}});
    EXPECT_EQ(Count("select count(*) from t_member where memberIsMust=0"), 4);
}

// 主键由数据库生成 is for an integer key only: unchecked, the key is assigned; any other
// member stores the flag cleared whatever the box shows.
TEST_F(MemberDialogTest, KeyGeneratedBoxStoresWhetherAnIntegerKeyIsAssigned) {
    OnDialog<TAddMemberForm>([](TAddMemberForm& form) {
        EXPECT_TRUE(form.CB_KeyGenerated->isChecked());
        EXPECT_FALSE(form.CB_KeyGenerated->isEnabled());
        form.CB_MemberType->setCurrentIndex(form.CB_MemberType->findText("整型"));
        EXPECT_FALSE(form.CB_KeyGenerated->isEnabled());
        form.CB_MemberIsPri->setChecked(true);
        EXPECT_TRUE(form.CB_KeyGenerated->isEnabled());
        form.CB_KeyGenerated->setChecked(false);
        Submit(form, {"bookId", "整型", true, true});
    });
    Trigger(Form().M1);
    const qint64 key = Count("select memberId from t_member where memberName='bookId'");
    EXPECT_EQ(TMemberDAO().GetMember(key)->keyAssigned, 1);
    SelectMemberRow(0);
    OnDialog<TUpdateMemberForm>([](TUpdateMemberForm& form) {
        EXPECT_TRUE(form.CB_KeyGenerated->isEnabled());
        EXPECT_FALSE(form.CB_KeyGenerated->isChecked());
        Submit(form, {"isbn", "字符串", true, true});
    });
    Trigger(Form().N3);
    EXPECT_EQ(TMemberDAO().GetMember(key)->keyAssigned, 0);
    EXPECT_EQ(TMemberDAO().GetMember(key)->memberName, "isbn");
}

// The scale box shows for a decimal only; its precision and scale are stored, and shown again
// by the update dialog; a scale beyond the precision is refused and nothing stored.
TEST_F(MemberDialogTest, DecimalStoresPrecisionAndScale) {
    OnDialog<TAddMemberForm>([](TAddMemberForm& form) {
        EXPECT_FALSE(form.Edt_MemberScale->isVisibleTo(&form));
        form.CB_MemberType->setCurrentIndex(form.CB_MemberType->findText("小数型"));
        EXPECT_TRUE(form.Edt_MemberScale->isVisibleTo(&form));
        form.Edt_MemberScale->setText("6");
        Submit(form, {"price", "小数型", true, false, false, "5"});
        form.Edt_MemberScale->setText("4");
        Submit(form, {"price", "小数型", true, false, false, "18"});
    });
    Trigger(Form().M1);
    const QStringList texts = seam_.TakeTexts();
    ASSERT_EQ(texts.size(), 2);
    EXPECT_EQ(texts[0], "类Book的成员price的小数位数6超出范围: 小数型的小数位数必须在0到5之间");
    const qint64 price = Count("select memberId from t_member where memberName='price'");
    EXPECT_EQ(TMemberDAO().GetMember(price)->memberLength, 18);
    EXPECT_EQ(TMemberDAO().GetMember(price)->memberScale, 4);
    SelectMemberRow(0);
    OnDialog<TUpdateMemberForm>([](TUpdateMemberForm& form) {
        EXPECT_EQ(form.Edt_MemberScale->text(), "4");
        EXPECT_TRUE(form.Edt_MemberScale->isVisibleTo(&form));
        form.Button2->click();
    });
    Trigger(Form().N3);
}

TEST_F(MemberDialogTest, UpdateRefusesAKeyOfAnotherTypeAndRewritesTheSameRow) {
    const int born = AddMember(Member(shop_, book_, "born", "字符串"));
    AddMember(Member(shop_, book_, "other", "字符串"));
    SelectMemberRow(0);
    OnDialog<TUpdateMemberForm>([born](TUpdateMemberForm& form) {
        Submit(form, {"born", "日期型", false, true});
        Submit(form, {"born", "日期型", true, true});
        Submit(form, {"born", "Author", true, true});
        EXPECT_EQ(TMemberDAO().GetMember(born)->memberType, "字符串");
        Submit(form, {"birthday", "整型", true, true, false, "x"});
    });
    Trigger(Form().N3);
    EXPECT_EQ(seam_.Texts(), QStringList({"除了字符串类型外其他类型必须勾选是否必填标志!",
                                          "主键字段必须是整型或字符串型!",
                                          "主键字段必须是整型或字符串型!", "类成员属性更新成功!"}));
    EXPECT_FALSE(dialogLeftOpen_);
    const TMember stored = *TMemberDAO().GetMember(born);
    EXPECT_EQ(stored.memberName, "birthday");
    EXPECT_EQ(stored.memberType, "整型");
    EXPECT_EQ(stored.memberIsPri, 1);
    EXPECT_EQ(stored.memberLength, 0);
    EXPECT_EQ(stored.classId, book_);
    EXPECT_EQ(MemberColumn(1), QStringList({"birthday", "other"}));
    EXPECT_EQ(Count("select count(*) from t_member"), 2);
}

TEST_F(MemberDialogTest, UpdateOfAMemberTypedByADeletedClassStartsWithNoType) {
    TMember m = Member(shop_, book_, "gone", "Publisher");
    m.memberIsMust = 0;
    const int id = AddMember(m);
    SelectMemberRow(0);
    OnDialog<TUpdateMemberForm>([](TUpdateMemberForm& form) {
        EXPECT_EQ(form.CB_MemberType->currentIndex(), -1);
        form.Button1->click();
        form.CB_MemberIsMust->setChecked(true);
        form.Button1->click();
        // No type is no class of the project, which a run refuses: a type must be chosen.
        EXPECT_TRUE(form.isVisible());
        form.CB_MemberType->setCurrentText(MemberTypes::Date);
        form.Button1->click();
    });
    Trigger(Form().N3);
    EXPECT_EQ(seam_.Texts(),
              QStringList({"除了字符串类型外其他类型必须勾选是否必填标志!",
                           "类Book的成员gone引用的类不在本工程中", "类成员属性更新成功!"}));
    EXPECT_EQ(TMemberDAO().GetMember(id)->memberType, MemberTypes::Date);
}

TEST_F(MemberDialogTest, UpdateOfAVanishedMemberSaysSoAndShowsNoDialog) {
    const int id = AddMember(Member(shop_, book_, "title", "字符串"));
    SelectMemberRow(0);
    TMemberDAO().DeleteMember(id);
    Form().SetModalHook([this](QDialog&) { ++dialogsShown_; });
    Trigger(Form().N3);
    EXPECT_EQ(seam_.Texts(), QStringList({"该成员已不存在!"}));
    EXPECT_EQ(dialogsShown_, 0);
    EXPECT_EQ(Form().LV_Member->rowCount(), 0);
    EXPECT_EQ(Count("select count(*) from t_member"), 0);
}

TEST_F(MemberDialogTest, StoreErrorWhileSavingKeepsTheDialogOpen) {
    Form();
    Execute("drop table t_member");
    OnDialog<TAddMemberForm>([](TAddMemberForm& form) { Submit(form, {"title", "字符串"}); });
    Trigger(Form().M1);
    EXPECT_EQ(seam_.Texts("error").size(), 1);
    EXPECT_EQ(seam_.Texts("message"), QStringList());
    EXPECT_TRUE(dialogLeftOpen_);
}

namespace {

struct TNameRefusal {
    TEntry entry;
    QString message;
};

// What a member name may hold, in the run's words.
QString WebNameRule(const QString& name) {
    return "类Book的成员名\"" + name +
           "\"只能用英文字母、数字和下划线, 因为网页表单的参数名不支持中文和$";
}

// Names a generation run refuses, in a class that has a member "title", each with the run's
// message. The first-letter rule keeps answering first (but a name that does not start with
// an ASCII character is told what it may hold), and the name rules come before the rules on
// the type and the flags.
const QList<TNameRefusal> kRefusedMemberNames = {
    {{"price-1", "字符串"}, WebNameRule("price-1")},
    {{"my name", "整型"}, WebNameRule("my name")},
    {{"non-sealed", "字符串"}, WebNameRule("non-sealed")},
    {{"int", "整型"}, "类Book的成员名\"int\"是Java的保留字"},
    {{"true", "字符串"}, "类Book的成员名\"true\"是Java的保留字"},
    {{"null", "字符串"}, "类Book的成员名\"null\"是Java的保留字"},
    {{"name한", "字符串"}, WebNameRule("name한")},
    {{"bei注", "字符串"}, WebNameRule("bei注")},
    {{"price$", "浮点型", false, true}, WebNameRule("price$")},
    {{"title", "日期型", false, true}, "类Book中有两个名为title的成员"},
    {{"Int", "整型"}, "成员属性首个字母必须小写"},
    {{"图书", "字符串"}, WebNameRule("图书")},
};

// Submits each refused name with the focus in the comment box, and expects the message, the
// dialog still open and, where a rule of the run refused, the focus in the name box.
void ExpectRefusals(TMemberForm& form, TScriptedSeam& seam) {
    for (const TNameRefusal& refusal : kRefusedMemberNames) {
        const std::string name = refusal.entry.name.toStdString();
        seam.shown.clear();
        MoveFocusTo(*form.Edt_MemberComment);
        Submit(form, refusal.entry);
        EXPECT_EQ(seam.Texts(), QStringList({refusal.message})) << name;
        EXPECT_TRUE(form.isVisible()) << name;
        if (refusal.message != "成员属性首个字母必须小写") {
            EXPECT_TRUE(form.Edt_MemberName->hasFocus()) << name;
        }
    }
    seam.shown.clear();
}

} // namespace

TEST_F(MemberDialogTest, AddRefusesNamesARunWouldRefuseWithTheFocusOnTheName) {
    AddMember(Member(shop_, book_, "title", "字符串"));
    OnDialog<TAddMemberForm>([this](TAddMemberForm& form) {
        ExpectRefusals(form, seam_);
        EXPECT_EQ(Count("select count(*) from t_member"), 1);
        Submit(form, {"t_Book_1", "字符串"});
    });
    Trigger(Form().M1);
    EXPECT_EQ(seam_.TakeTexts(), QStringList({"类成员属性添加成功!"}));
    EXPECT_EQ(MemberColumn(1), QStringList({"title", "t_Book_1"}));

    // A name taken in another class is free in this one.
    Form().LB_Object->setCurrentRow(1);
    EXPECT_EQ(AddWith({{"title", "字符串"}}), QStringList({"类成员属性添加成功!"}));
    EXPECT_EQ(Count("select count(*) from t_member where memberName='title'"), 2);
}

TEST_F(MemberDialogTest, UpdateRefusesNamesARunWouldRefuseAndKeepsItsOwnName) {
    const int title = AddMember(Member(shop_, book_, "title", "字符串"));
    const int bad = AddMember(Member(shop_, book_, "my name", "字符串"));
    SelectMemberRow(1);
    OnDialog<TUpdateMemberForm>([this, bad](TUpdateMemberForm& form) {
        // A name stored before these rules is shown as it is; saving it is refused.
        EXPECT_EQ(form.Edt_MemberName->text(), "my name");
        form.Button1->click();
        EXPECT_EQ(seam_.TakeTexts(), QStringList({WebNameRule("my name")}));
        ExpectRefusals(form, seam_);
        EXPECT_EQ(TMemberDAO().GetMember(bad)->memberName, "my name");
        Submit(form, {"name", "字符串"});
    });
    Trigger(Form().N3);
    EXPECT_EQ(seam_.TakeTexts(), QStringList({"类成员属性更新成功!"}));
    EXPECT_EQ(TMemberDAO().GetMember(bad)->memberName, "name");

    // Keeping its own name is no duplicate.
    SelectMemberRow(0);
    OnDialog<TUpdateMemberForm>([](TUpdateMemberForm& form) {
        Submit(form, {"title", "字符串", false, false, false, "40"});
    });
    Trigger(Form().N3);
    EXPECT_EQ(seam_.TakeTexts(), QStringList({"类成员属性更新成功!"}));
    EXPECT_EQ(TMemberDAO().GetMember(title)->memberLength, 40);
    EXPECT_EQ(MemberColumn(1), QStringList({"title", "name"}));
}

TEST_F(MemberDialogTest, DialogsWorkWithoutAMainWindow) {
    const int title = AddMember(Member(shop_, book_, "title", "字符串"));
    TAddMemberForm add(seam_, shop_, book_);
    QSignalSpy saved(&add, &TMemberForm::MemberSaved);
    add.show();
    EXPECT_EQ(TypeList(add), QStringList({"字符串", "整型", "浮点型", "日期型", "日期时间型",
                                          "小数型", "长整型", "文本型", "布尔型", "Author"}));
    Submit(add, {"title", "字符串"});
    Submit(add, {"price", "浮点型", true});
    EXPECT_EQ(seam_.TakeTexts(),
              QStringList({"类Book中有两个名为title的成员", "类成员属性添加成功!"}));
    ASSERT_EQ(saved.size(), 1);
    EXPECT_EQ(saved[0][0].toLongLong(), book_);

    TUpdateMemberForm update(seam_, shop_, book_, title);
    QSignalSpy updated(&update, &TMemberForm::MemberSaved);
    ASSERT_TRUE(update.MemberFound());
    update.show();
    Submit(update, {"name", "字符串", false, false, false, "40"});
    EXPECT_EQ(seam_.TakeTexts(), QStringList({"类成员属性更新成功!"}));
    EXPECT_EQ(updated.size(), 1);
    const TMember stored = *TMemberDAO().GetMember(title);
    EXPECT_EQ(stored.memberName, "name");
    EXPECT_EQ(stored.projectId, shop_);
    EXPECT_EQ(stored.classId, book_);
    EXPECT_EQ(form_, nullptr);
}

// The dialog refuses what a run would refuse of the member in its class, with the run's words.
TEST_F(MemberDialogTest, AddRefusesWhatARunRefusesOfTheMemberInItsClass) {
    const QStringList texts = AddWith({{"currentPage", "字符串", false, false, true},
                                       {"eq", "字符串"},
                                       {"bookList", "字符串", false, false, true},
                                       {"bookDAO", "字符串", false, false, true},
                                       {"notes", "字符串", false, false, false, "16383"}});
    EXPECT_EQ(texts, QStringList({"类Book的成员名currentPage与生成的Action类中的分页属性currentPage"
                                  "冲突, 请换一个名称, 例如currentPageValue",
                                  "类Book的成员名eq是页面表达式(OGNL)的运算符",
                                  "类Book的成员名bookList与生成的Action类放入页面的Book列表bookList"
                                  "冲突 (页面用它显示查询结果), 请换一个名称, 例如bookListValue",
                                  "类Book的成员名bookDAO与生成的Action类中的属性bookDAO(Book的DAO"
                                  "对象)冲突, 请换一个名称, 例如bookDAOValue",
                                  "类成员属性添加成功!"}))
        << texts.join('\n').toStdString();
    // With a long text stored, a second one makes the row larger than MariaDB allows.
    const QStringList more = AddWith({{"summary", "字符串", false, false, false, "16383"}});
    ASSERT_EQ(more.size(), 1);
    EXPECT_TRUE(more[0].startsWith("类Book的数据表一行需要")) << more[0].toStdString();
    EXPECT_EQ(MemberColumn(1), QStringList({"notes"}));
}
