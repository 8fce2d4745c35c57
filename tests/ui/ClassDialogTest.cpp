#include <QSignalSpy>

#include "FormAddClass.h"
#include "FormUpdateClass.h"
#include "UiTestSupport.h"

namespace {

const QString kWebNameRule =
    "只能用英文字母、数字和下划线, 因为网页地址(Struts的命名空间和action名)不支持中文和$";
const QString kChineseAuthor = "类名\"作者\"" + kWebNameRule;

} // namespace

namespace {

struct TNames {
    QString className;
    QString friendName;
};

// Types each pair of names and presses OK, in order.
void Submit(TClassForm& form, const QList<TNames>& attempts) {
    for (const TNames& names : attempts) {
        form.Edt_ClassName->setText(names.className);
        form.Edt_FriendName->setText(names.friendName);
        form.Button1->click();
    }
}

} // namespace

using ClassDialogTest = UiTest;

TEST_F(ClassDialogTest, AddChecksEmptinessThenFirstLetterThenDuplicates) {
    const int shop = AddProject("shop");
    AddProject("hr");
    AddClass(shop, "Book");
    OnDialog<TAddClassForm>([](TAddClassForm& form) {
        EXPECT_EQ(form.windowTitle(), "添加类");
        EXPECT_EQ(form.size(), QSize(269, 218));
        EXPECT_TRUE(form.Edt_ClassName->text().isEmpty());
        Submit(form, {{"", ""},
                      {"Author", ""},
                      {"author", ""},
                      {"author", "作者"},
                      {" Author", "作者"},
                      {"作者", "作者"},
                      {"Book", "书"}});
        EXPECT_TRUE(form.isVisible());
        Submit(form, {{"Author", "作者"}});
    });
    Trigger(Form().A2);
    EXPECT_EQ(seam_.Texts(),
              QStringList({"类名称不能为空!", "友好名称不能为空", "友好名称不能为空",
                           "类名首个字母必须大写", "类名首个字母必须大写", kChineseAuthor,
                           "该类名称已经存在!", "类名称添加成功！"}));
    EXPECT_FALSE(dialogLeftOpen_);
    EXPECT_EQ(Classes(), QStringList({"Book", "Author"}));
    EXPECT_EQ(TClassDAO().GetFriendName(TClassDAO().GetClassId(shop, "Author")), "作者");

    // The same name in another project is no duplicate.
    SelectProject(1);
    OnDialog<TAddClassForm>([](TAddClassForm& form) { Submit(form, {{"Book", "书"}}); });
    Trigger(Form().A2);
    EXPECT_EQ(Classes(), QStringList({"Book"}));
    EXPECT_EQ(Count("select count(*) from t_class"), 3);
}

TEST_F(ClassDialogTest, UpdateChecksInItsOwnOrderAndRenamesTheTypeWordsOfItsProject) {
    const int shop = AddProject("shop");
    const int hr = AddProject("hr");
    const int dept = AddClass(shop, "Dept", "部门");
    const int emp = AddClass(shop, "Emp", "员工");
    const int shopRef = AddMember(Member(shop, emp, "dept", "Dept"));
    const int hrDept = AddClass(hr, "Dept", "部门");
    const int hrRef = AddMember(Member(hr, hrDept, "dept", "Dept"));

    OnDialog<TUpdateClassForm>([](TUpdateClassForm& form) {
        EXPECT_EQ(form.windowTitle(), "类更新");
        EXPECT_EQ(form.size(), QSize(271, 214));
        EXPECT_EQ(form.Edt_ClassName->text(), "Dept");
        EXPECT_EQ(form.Edt_FriendName->text(), "部门");
        Submit(form, {{"", ""}, {"dept", ""}, {"Department", ""}, {"Department", "大部门"}});
    });
    Trigger(Form().N2);
    EXPECT_EQ(seam_.Texts(), QStringList({"类名称不能为空", "类名首个字母必须大写",
                                          "友好名称不能为空", "类名称更新成功"}));
    EXPECT_FALSE(dialogLeftOpen_);
    EXPECT_EQ(Classes(), QStringList({"Department", "Emp"}));
    EXPECT_EQ(Form().SelectedClassId(), dept);
    EXPECT_EQ(TClassDAO().GetFriendName(dept), "大部门");
    EXPECT_EQ(TMemberDAO().GetMember(shopRef)->memberType, "Department");
    EXPECT_EQ(TMemberDAO().GetMember(hrRef)->memberType, "Dept");
    Form().LB_Object->setCurrentRow(1);
    EXPECT_EQ(MemberColumn(2), QStringList({"Department"}));

    // A double-click on the list renames too; the name of another class of the project is
    // refused, as adding it is, while its own name may stay with a new friendly name.
    seam_.shown.clear();
    OnDialog<TUpdateClassForm>([](TUpdateClassForm& form) {
        EXPECT_EQ(form.Edt_ClassName->text(), "Emp");
        Submit(form, {{"Department", "员工"}});
        EXPECT_TRUE(form.isVisible());
        Submit(form, {{"Emp", "雇员"}});
    });
    Form().LB_ObjectDblClick();
    EXPECT_EQ(seam_.Texts(), QStringList({"该类名称已经存在!", "类名称更新成功"}));
    EXPECT_EQ(Classes(), QStringList({"Department", "Emp"}));
    EXPECT_EQ(TClassDAO().CountClassesByName(shop, "Department"), 1);
    EXPECT_EQ(TClassDAO().GetFriendName(emp), "雇员");
    EXPECT_EQ(Form().SelectedClassId(), emp);
}

TEST_F(ClassDialogTest, StoreErrorsAreShownAndTheDialogStaysOpen) {
    const int shop = AddProject("shop");
    AddClass(shop, "Book");
    Form();
    Execute("drop table t_class");

    OnDialog<TAddClassForm>([](TAddClassForm& form) { Submit(form, {{"Author", "作者"}}); });
    Trigger(Form().A2);
    EXPECT_TRUE(dialogLeftOpen_);

    OnDialog<TUpdateClassForm>([](TUpdateClassForm& form) {
        EXPECT_EQ(form.Edt_ClassName->text(), "Book");
        Submit(form, {{"Books", "书"}});
    });
    Trigger(Form().N2);
    EXPECT_TRUE(dialogLeftOpen_);
    EXPECT_EQ(Classes(), QStringList({"Book"}));
    const QStringList errors = seam_.Texts("error");
    ASSERT_EQ(errors.size(), 3);
    for (const QString& error : errors)
        EXPECT_TRUE(error.contains("t_class")) << error.toStdString();
    EXPECT_EQ(seam_.Texts("message"), QStringList());
}

namespace {

struct TNameRefusal {
    QString className;
    QString message;
};

// What a class name may hold, in the run's words.
QString WebNameRule(const QString& quotedName) {
    return "类名" + quotedName + kWebNameRule;
}

// Names a generation run refuses, each with the run's message; the first-letter rule keeps
// answering first, but a name that does not start with an ASCII character is told what it may
// hold.
const QList<TNameRefusal> kRefusedClassNames = {
    {"Book-1", WebNameRule("\"Book-1\"")},
    {"Book Store", WebNameRule("\"Book Store\"")},
    {"Book.Store", WebNameRule("\"Book.Store\"")},
    {"Book한", WebNameRule("\"Book한\"")},
    {"Book图书", WebNameRule("\"Book图书\"")},
    {"Book$1", WebNameRule("\"Book$1\"")},
    {"图书", WebNameRule("\"图书\"")},
    {"book-1", "类名首个字母必须大写"},
    // The names the generated code takes, and the length: the run's own messages.
    {"Admin", "类名Admin与固定支持类重名: 生成的工程自带管理员类Admin(domain/Admin.java、"
              "dao/AdminDAO.java), 请换一个类名"},
    {"String", "类名String会遮蔽生成的代码和固定支持类Admin用到的java.lang.String, "
               "请换一个类名, 例如StringInfo"},
    {"B" + QString(200, 'x'), "类名B" + QString(19, 'x') + "...太长: 以UTF-8计不能超过200个字节"},
};

// Submits each refused name with the focus in the other box, and expects the message, the
// dialog still open and, where a rule of the run refused, the focus in the name box.
void ExpectRefusals(TClassForm& form, TScriptedSeam& seam) {
    for (const TNameRefusal& refusal : kRefusedClassNames) {
        const std::string name = refusal.className.toStdString();
        seam.shown.clear();
        MoveFocusTo(*form.Edt_FriendName);
        Submit(form, {{refusal.className, "书"}});
        EXPECT_EQ(seam.Texts(), QStringList({refusal.message})) << name;
        EXPECT_TRUE(form.isVisible()) << name;
        if (refusal.message != "类名首个字母必须大写") {
            EXPECT_TRUE(form.Edt_ClassName->hasFocus()) << name;
        }
    }
}

} // namespace

TEST_F(ClassDialogTest, AddAndUpdateRefuseNamesARunWouldRefuseWithTheFocusOnTheName) {
    const int shop = AddProject("shop");
    const int book = AddClass(shop, "Book", "书");
    OnDialog<TAddClassForm>([this](TAddClassForm& form) {
        ExpectRefusals(form, seam_);
        seam_.shown.clear();
        Submit(form, {{"Author_2", "作者"}});
    });
    Trigger(Form().A2);
    EXPECT_EQ(seam_.TakeTexts(), QStringList({"类名称添加成功！"}));
    EXPECT_EQ(Classes(), QStringList({"Book", "Author_2"}));

    Form().LB_Object->setCurrentRow(0);
    OnDialog<TUpdateClassForm>([this, book](TUpdateClassForm& form) {
        ExpectRefusals(form, seam_);
        EXPECT_EQ(TClassDAO().GetClassName(book), "Book");
        seam_.shown.clear();
        Submit(form, {{"Book_1", "图书"}});
    });
    Trigger(Form().N2);
    EXPECT_EQ(seam_.TakeTexts(), QStringList({"类名称更新成功"}));
    EXPECT_EQ(Classes(), QStringList({"Book_1", "Author_2"}));
    EXPECT_EQ(Count("select count(*) from t_class"), 2);
}

// Made with its context alone, a dialog needs no main window: it stores the class and reports
// the change with a signal.
TEST_F(ClassDialogTest, DialogsWorkWithoutAMainWindow) {
    const int shop = AddProject("shop");
    const int book = AddClass(shop, "Book", "书");
    TAddClassForm add(seam_, shop);
    QSignalSpy added(&add, &TAddClassForm::ClassAdded);
    add.show();
    Submit(add, {{"Book", "书"}, {"Author", "作者"}});
    EXPECT_EQ(seam_.TakeTexts(), QStringList({"该类名称已经存在!", "类名称添加成功！"}));
    EXPECT_FALSE(add.isVisible());
    ASSERT_EQ(added.size(), 1);
    EXPECT_EQ(added[0][0].toLongLong(), shop);
    EXPECT_EQ(TClassDAO().GetFriendName(TClassDAO().GetClassId(shop, "Author")), "作者");

    TUpdateClassForm update(seam_, shop, book, "Book");
    QSignalSpy renamed(&update, &TUpdateClassForm::ClassRenamed);
    update.show();
    EXPECT_EQ(update.Edt_ClassName->text(), "Book");
    EXPECT_EQ(update.Edt_FriendName->text(), "书");
    Submit(update, {{"Books", "图书"}});
    EXPECT_EQ(seam_.TakeTexts(), QStringList({"类名称更新成功"}));
    ASSERT_EQ(renamed.size(), 1);
    EXPECT_EQ(renamed[0][0].toLongLong(), book);
    EXPECT_EQ(renamed[0][1].toString(), "Books");
    EXPECT_EQ(TClassDAO().GetClassName(book), "Books");
    EXPECT_EQ(form_, nullptr);
}
