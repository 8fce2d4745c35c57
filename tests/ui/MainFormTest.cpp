#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>

#include "AutoCode.h"
#include "FormAddMember.h"
#include "FormUpdateMember.h"
#include "SampleModel.h"
#include "UiTestSupport.h"

using MainFormTest = UiTest;

TEST_F(MainFormTest, EmptyDatabaseOpensQuietlyAndEveryCommandNamesWhatIsMissing) {
    EXPECT_EQ(Form().CB_Project->count(), 0);
    EXPECT_EQ(Form().LB_Object->count(), 0);
    EXPECT_EQ(Form().LV_Member->rowCount(), 0);
    EXPECT_TRUE(seam_.shown.isEmpty());
    EXPECT_EQ(Form().packageName, "brennoquill");
    EXPECT_EQ(Form().keptProjectIndex, -1);

    for (QAction* item : {Form().N1, Form().D1, Form().A2, Form().N2, Form().S1, Form().M1,
                          Form().N3, Form().C1, Form().A1})
        item->trigger();
    Form().LV_MemberDblClick();
    EXPECT_EQ(
        seam_.Texts(),
        QStringList({"当前未有任何项目被选中!", "未有任何项目被选中!", "当前未有任何项目被选中!",
                     "没有类被选中!", "没有类被选中!", "请先选择类对象", "请先选择一个成员",
                     "请先选择一个成员", "没有一个工程被选中！", "请先选择一个成员"}));
    EXPECT_EQ(seam_.shown.first().caption, kApplicationTitle);
    EXPECT_EQ(dialogsShown_, 0);
    EXPECT_TRUE(Form().Memo_State->toPlainText().isEmpty());
}

TEST_F(MainFormTest, ShowsFirstProjectFirstClassAndItsMembersWithFlagsOfOneAsYes) {
    const int p = AddProject("shop");
    AddProject("hr");
    const int book = AddClass(p, "Book");
    AddClass(p, "Author");
    TMember id = Member(p, book, "bookId", "整型");
    id.memberIsPri = 1;
    id.memberIsMust = 2;
    id.queryFlag = 0;
    id.memberIsDisplay = -1;
    id.memberQueryDisplay = 1;
    id.memberComment = "编号";
    const int idMember = AddMember(id);
    TMember title = Member(p, book, "title", "字符串");
    title.memberLength = 50;
    title.memberQueryDisplay = 0;
    AddMember(title);

    EXPECT_EQ(Projects(), QStringList({"shop", "hr"}));
    EXPECT_EQ(Form().CB_Project->currentIndex(), 0);
    EXPECT_EQ(Classes(), QStringList({"Book", "Author"}));
    EXPECT_EQ(Form().SelectedClassId(), book);
    ASSERT_EQ(Form().LV_Member->rowCount(), 2);
    QStringList first;
    for (int column = 0; column < 10; ++column)
        first << Form().LV_Member->item(0, column)->text();
    EXPECT_EQ(first, QStringList({QString::number(idMember), "bookId", "整型", "0", "是", "否",
                                  "否", "否", "是", "编号"}));
    EXPECT_EQ(MemberColumn(3), QStringList({"0", "50"}));
    EXPECT_EQ(MemberColumn(8), QStringList({"是", "否"}));
    EXPECT_EQ(Form().LV_Member->columnWidth(0), 1);
    EXPECT_EQ(Form().LV_Member->horizontalHeaderItem(9)->text(), "注释");
}

TEST_F(MainFormTest, PickingAProjectOrAClassReloadsTheListsBelowIt) {
    const int p = AddProject("shop");
    AddProject("empty");
    const int book = AddClass(p, "Book");
    const int author = AddClass(p, "Author");
    AddMember(Member(p, book, "title", "字符串"));
    AddMember(Member(p, author, "name", "字符串"));
    AddMember(Member(p, author, "born", "日期型"));

    Form().LB_Object->setCurrentRow(1); // as a click or an arrow key does
    EXPECT_EQ(MemberColumn(1), QStringList({"name", "born"}));
    SelectProject(1);
    EXPECT_TRUE(Classes().isEmpty());
    EXPECT_EQ(Form().LV_Member->rowCount(), 0);
    SelectProject(0);
    EXPECT_EQ(Classes(), QStringList({"Book", "Author"}));
    EXPECT_EQ(MemberColumn(1), QStringList({"title"}));
    EXPECT_TRUE(seam_.shown.isEmpty());
}

TEST_F(MainFormTest, NewProjectRefusesEmptyAndTakenNamesAndSelectsTheNewProject) {
    const int shop = AddProject("shop");
    AddClass(shop, "Book");
    seam_.inputAnswers = {std::nullopt, QString(""), QString("shop"), QString("hr")};
    for (int i = 0; i < 4; ++i)
        Trigger(Form().F2);
    EXPECT_EQ(seam_.Texts("message"), QStringList({"工程名称不能为空!", "工程名称不能为空!",
                                                   "该工程名称已经存在!", "工程名称添加成功！"}));
    EXPECT_EQ(seam_.shown.first().caption, "请输入工程名称");
    EXPECT_EQ(seam_.shown.first().text, "");
    EXPECT_EQ(seam_.shown.first().defaultText, "");
    EXPECT_EQ(Projects(), QStringList({"shop", "hr"}));
    EXPECT_EQ(Count("select count(*) from t_project"), 2);
    // The next class goes into the new project.
    EXPECT_EQ(Form().CB_Project->currentText(), "hr");
    EXPECT_EQ(Form().SelectedProjectId(), TProjectDAO().FindProjects("hr").first().projectId);
    EXPECT_TRUE(Classes().isEmpty());
    EXPECT_EQ(Form().keptProjectIndex, 1);
}

TEST_F(MainFormTest, ProjectNamesARunWouldRefuseAreNotStoredOnCreationNorOnRename) {
    // The run's words, naming the name as the run does.
    const QString rule = "不能用作文件或文件夹名: 名称不能为空、不能是\".\"或\"..\","
                         "也不能含有/、\\或控制字符";
    const QList<std::pair<QString, QString>> unsafe = {
        {".", "\".\""},         {"..", "\"..\""},       {"a/b", "\"a/b\""},
        {"/", "\"/\""},         {"a\\b", "\"a\\b\""}, {"a\tb", "\"a\\tb\""},
        {"a\nb", "\"a\\nb\""}, {QString("a") + QChar(0x7f), "\"a\\x7f\""}};
    AddProject("shop");
    for (const auto& [name, shown] : unsafe) {
        seam_.inputAnswers = {name, name, std::nullopt}; // the rename asks again
        Trigger(Form().F2);
        Trigger(Form().N1);
        const QString refusal = "工程名称" + shown + rule;
        EXPECT_EQ(seam_.TakeTexts("message"), QStringList({refusal, refusal}))
            << name.toStdString();
    }
    EXPECT_EQ(Projects(), QStringList({"shop"}));
    EXPECT_EQ(Count("select count(*) from t_project"), 1);

    // Cancel of the new project means an empty name, of a rename no change; dots inside a
    // name are harmless.
    seam_.inputAnswers = {std::nullopt, std::nullopt, QString("a..b"), QString("书店 v1.0")};
    Trigger(Form().N1);
    Trigger(Form().F2);
    Trigger(Form().F2);
    Trigger(Form().N1);
    EXPECT_EQ(seam_.TakeTexts("message"),
              QStringList({"工程名称不能为空!", "工程名称添加成功！", "工程名称修改成功！"}));
    // The new project is selected, and so renamed.
    EXPECT_EQ(Projects(), QStringList({"shop", "书店 v1.0"}));
}

// Two projects of one name would generate into one folder: renaming refuses another project's
// name, as creating does, and asks again; the box starts with the current name, then with the
// refused one, and its own name changes nothing.
TEST_F(MainFormTest, RenamingAProjectRefusesTheNameOfAnotherAndAsksAgain) {
    AddProject("shop");
    AddProject("hr");
    seam_.inputAnswers = {QString("hr"), QString("store"), QString("store")};
    Trigger(Form().N1);
    Trigger(Form().N1);
    QStringList defaults;
    for (const TShown& item : seam_.shown)
        if (item.kind == "input")
            defaults << item.defaultText;
    EXPECT_EQ(defaults, QStringList({"shop", "hr", "store"}));
    EXPECT_EQ(seam_.TakeTexts("message"), QStringList({"该工程名称已经存在!", "工程名称修改成功！"}));
    EXPECT_EQ(Projects(), QStringList({"store", "hr"}));
}

TEST_F(MainFormTest, RenamedPositionSurvivesRenameButNotCreationNorDeletion) {
    AddProject("a");
    AddProject("b");
    const int c = AddProject("c");
    AddClass(c, "Gamma");
    SelectProject(2);

    seam_.inputAnswers = {QString(""), QString("cc")};
    Trigger(Form().N1);
    Trigger(Form().N1);
    EXPECT_EQ(seam_.Texts("message"), QStringList({"工程项目名称不能为空!", "工程名称修改成功！"}));
    EXPECT_EQ(seam_.shown.first().caption, "请输入项目名称");
    EXPECT_EQ(Projects(), QStringList({"a", "b", "cc"}));
    EXPECT_EQ(Form().CB_Project->currentIndex(), 2);
    EXPECT_EQ(Classes(), QStringList({"Gamma"}));

    seam_.inputAnswers = {QString("d")};
    Trigger(Form().F2);
    EXPECT_EQ(Form().CB_Project->currentIndex(), 3);
    EXPECT_TRUE(Classes().isEmpty());
    SelectProject(2);

    seam_.shown.clear();
    seam_.confirmAnswers = {false, true};
    Trigger(Form().D1);
    EXPECT_EQ(Projects().size(), 4);
    Trigger(Form().D1);
    EXPECT_EQ(seam_.shown[0].caption, "删除提示");
    EXPECT_EQ(seam_.Texts(),
              QStringList({"确认删除当前项目吗?", "确认删除当前项目吗?", "删除成功!"}));
    EXPECT_EQ(Projects(), QStringList({"a", "b", "d"}));
    EXPECT_EQ(Form().CB_Project->currentIndex(), 0);
    EXPECT_EQ(Form().keptProjectIndex, -1);
    EXPECT_EQ(Count("select count(*) from t_class"), 0);
}

TEST_F(MainFormTest, DeletingTheSelectedClassLeavesNoClassSelected) {
    const int p = AddProject("shop");
    const int book = AddClass(p, "Book");
    AddClass(p, "Author");
    AddMember(Member(p, book, "title", "字符串"));

    seam_.confirmAnswers = {false, true};
    Trigger(Form().S1);
    EXPECT_EQ(Classes().size(), 2);
    EXPECT_EQ(Form().LV_Member->rowCount(), 1);
    Trigger(Form().S1);
    EXPECT_EQ(seam_.shown[0].caption, "提示");
    EXPECT_EQ(Classes(), QStringList({"Author"}));
    EXPECT_EQ(Form().SelectedClassId(), -1);
    EXPECT_EQ(Form().LV_Member->rowCount(), 0);
    EXPECT_EQ(Count("select count(*) from t_member"), 0);

    seam_.shown.clear();
    Trigger(Form().M1);
    Trigger(Form().N3);
    Trigger(Form().C1);
    Trigger(Form().N2);
    EXPECT_EQ(seam_.Texts(), QStringList({"请先选择类对象", "请先选择一个成员", "请先选择一个成员",
                                          "没有类被选中!"}));
}

TEST_F(MainFormTest, DeletingAMemberAsksFirstAndReloadsTheTable) {
    const int p = AddProject("shop");
    const int book = AddClass(p, "Book");
    AddMember(Member(p, book, "title", "字符串"));
    const int price = AddMember(Member(p, book, "price", "浮点型"));

    SelectMemberRow(1);
    seam_.confirmAnswers = {false, true};
    Trigger(Form().C1);
    EXPECT_EQ(Form().LV_Member->rowCount(), 2);
    Trigger(Form().C1);
    EXPECT_EQ(seam_.Texts(),
              QStringList({"确定删除当前成员属性?", "确定删除当前成员属性?", "成员属性删除成功"}));
    EXPECT_EQ(seam_.shown[0].caption, "删除提示");
    EXPECT_EQ(MemberColumn(1), QStringList({"title"}));
    EXPECT_EQ(Count(QString("select count(*) from t_member where memberId=%1").arg(price)), 0);
}

TEST_F(MainFormTest, DoubleClickOnTheMemberTableAddsBesideTheRowsAndEditsOnARow) {
    const int p = AddProject("shop");
    const int book = AddClass(p, "Book");
    AddMember(Member(p, book, "title", "字符串"));
    QStringList opened;
    Form().SetModalHook([&](QDialog& dialog) { opened << dialog.windowTitle(); });

    Form().LV_MemberDblClick();
    SelectMemberRow(0);
    Form().LV_MemberDblClick();
    EXPECT_EQ(opened, QStringList({"添加成员属性", "更新成员属性"}));

    // With the mouse: a double-click below the last row drops the selection first.
    Form().show();
    QWidget* viewport = Form().LV_Member->viewport();
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, QPoint(100, viewport->height() - 5));
    EXPECT_EQ(opened.last(), "添加成员属性");
    EXPECT_EQ(Form().SelectedMemberRow(), -1);

    seam_.confirmAnswers = {true};
    Trigger(Form().S1);
    seam_.shown.clear();
    Form().LV_MemberDblClick();
    EXPECT_EQ(seam_.Texts(), QStringList({"请先选择一个成员"}));
    EXPECT_EQ(opened.size(), 3);
}

TEST_F(MainFormTest, StoreErrorsStopTheCommandAndShowTheEnginesText) {
    const int p = AddProject("shop");
    AddClass(p, "Book");
    Form();
    Execute("drop table t_class");

    seam_.confirmAnswers = {true};
    Trigger(Form().D1);
    ASSERT_EQ(seam_.shown.size(), 2);
    EXPECT_EQ(seam_.shown[1].kind, "error");
    EXPECT_TRUE(seam_.shown[1].text.contains("t_class")) << seam_.shown[1].text.toStdString();
    EXPECT_FALSE(seam_.Texts().contains("删除成功!"));
    EXPECT_EQ(Count("select count(*) from t_project"), 1);

    Execute("drop table t_member");
    seam_.shown.clear();
    Form().LB_Object->setCurrentRow(-1);
    Form().LB_Object->setCurrentRow(0);
    EXPECT_EQ(seam_.Texts("error").size(), 1);

    // A command stops where the error happens; what ran before stays done.
    seam_.shown.clear();
    seam_.inputAnswers = {QString("hr")};
    Trigger(Form().F2);
    EXPECT_EQ(seam_.Texts("message"), QStringList());
    EXPECT_EQ(seam_.Texts("error").size(), 1);
    EXPECT_EQ(Projects(), QStringList({"shop", "hr"}));
}

TEST_F(MainFormTest, UnopenableDatabaseIsReportedAndTheWindowOpensEmpty) {
    TDbHelper::SetDatabaseFile(dir_.filePath("missing/folder/projects.db"));
    EXPECT_EQ(Form().CB_Project->count(), 0);
    ASSERT_EQ(seam_.shown.size(), 1);
    EXPECT_EQ(seam_.shown[0].kind, "error");
    EXPECT_FALSE(seam_.shown[0].text.isEmpty());
}

TEST_F(MainFormTest, BannerAndTimerOpenTheHelpPageBesideTheProgram) {
    const QUrl home = QUrl::fromLocalFile(dir_.path() + "/help/index.html");
    EXPECT_TRUE(Form().Timer1->isActive());
    EXPECT_TRUE(Form().Timer1->isSingleShot());
    EXPECT_EQ(Form().Timer1->interval(), 5000);
    Form().show();
    QTest::mouseClick(Form().Image1, Qt::LeftButton);
    Form().Timer1Timer();
    EXPECT_FALSE(Form().Timer1->isActive());
    EXPECT_EQ(seam_.urlsOpened, QList<QUrl>({home, home}));
}

TEST_F(MainFormTest, PackageNameKeepsItsValueOnEmptyAnswersAndCancel) {
    seam_.inputAnswers = {QString(""), std::nullopt, QString(" org.Shop ")};
    Trigger(Form().S2);
    EXPECT_EQ(Form().packageName, "brennoquill");
    Trigger(Form().S2);
    EXPECT_EQ(Form().packageName, "brennoquill");
    Trigger(Form().S2);
    EXPECT_EQ(Form().packageName, " org.Shop ");
    EXPECT_EQ(seam_.Texts("message"), QStringList({"包名输入不能为空!"}));
    const TShown& box = seam_.shown[0];
    EXPECT_EQ(box.caption, "包名输入框");
    EXPECT_EQ(box.text, "请输入一个包名如:           ");
    EXPECT_EQ(box.defaultText, "brennoquill");
}

// Keys, flags and lengths beyond 32 bits are shown and used as stored: a flag is set only when
// it is 1, and a length the generated code cannot take is shown whole so it can be corrected.
TEST_F(MainFormTest, KeysFlagsAndLengthsBeyond32BitsAreShownAsStored) {
    const qint64 big = (qint64(1) << 32) + 1;
    Execute("insert into t_project(projectId,projectName) values (3000000000,'Big')");
    Execute("insert into t_class(classId,projectId,className,friendName) "
            "values (4294967297,3000000000,'Book','书')");
    TMember title = Member(1, 1, "title", "字符串");
    AddMember(title);
    TDbHelper().ExecuteCommand(
        "update t_member set memberId=4294967298, projectId=3000000000, classId=4294967297, "
        "memberLength=?, memberIsPri=?, memberIsMust=?, queryFlag=?, memberIsDisplay=?, "
        "memberQueryDisplay=?",
        {big, big, big, big, big, big});

    EXPECT_EQ(Form().SelectedProjectId(), 3000000000);
    EXPECT_EQ(Form().SelectedClassId(), 4294967297);
    QStringList row;
    for (int column = 0; column < 9; ++column)
        row << Form().LV_Member->item(0, column)->text();
    EXPECT_EQ(row, QStringList({"4294967298", "title", "字符串", "4294967297", "否", "否", "否",
                                "否", "否"}));
    SelectMemberRow(0);
    EXPECT_EQ(Form().SelectedMemberId(), 4294967298);
    OnDialog<TUpdateMemberForm>([](TUpdateMemberForm& form) {
        EXPECT_EQ(form.Edt_MemberLength->text(), "4294967297");
        EXPECT_FALSE(form.CB_MemberIsPri->isChecked());
        EXPECT_FALSE(form.CB_MemberQueryDisplay->isChecked());
        form.reject();
    });
    Trigger(Form().N3);
    EXPECT_EQ(dialogsShown_, 1);
    seam_.confirmAnswers = {true};
    Trigger(Form().C1);
    EXPECT_EQ(Count("select count(*) from t_member"), 0);
}

// The sample project is offered while there is no project and can be added from 帮助 at any
// time, once: the model of the headless command's sample.
TEST_F(MainFormTest, TheSampleProjectIsOfferedWhileThereIsNoneAndAddedOnce) {
    EXPECT_FALSE(Form().Btn_Sample->isHidden());
    Form().Btn_Sample->click();
    ASSERT_TRUE(WaitFor([this] { return !Form().ModelFileBusy(); }));
    EXPECT_EQ(seam_.TakeTexts(), QStringList({"已添加示例工程: 图书管理系统"}));
    EXPECT_EQ(Projects(), QStringList({SampleProjectName()}));
    EXPECT_TRUE(Form().Btn_Sample->isHidden());
    QStringList sampleClasses;
    const QJsonObject sample = QJsonDocument::fromJson(SampleModelFile())
                                   .object()["projects"].toArray()[0].toObject();
    for (const QJsonValue& c : sample["classes"].toArray())
        sampleClasses << c.toObject()["className"].toString();
    EXPECT_FALSE(sampleClasses.isEmpty());
    EXPECT_EQ(Classes(), sampleClasses);

    seam_.inputAnswers = {QString("shop")};
    Trigger(Form().F2);
    seam_.shown.clear();
    RunCommand(Form().S3);
    EXPECT_EQ(seam_.TakeTexts(), QStringList({"示例工程已存在: 图书管理系统"}));
    EXPECT_EQ(Projects(), QStringList({SampleProjectName(), "shop"}));
    EXPECT_EQ(Form().CB_Project->currentText(), SampleProjectName());
    EXPECT_EQ(Form().S3->text(), "添加示例项目(&S)");
    EXPECT_EQ(Form().S3->parent(), Form().MenuHelp);
}

// Every menu item has an accelerator letter of its own within its menu.
TEST_F(MainFormTest, EveryMenuItemHasItsOwnAcceleratorLetter) {
    const QRegularExpression letter("\\(&([A-Z])\\)");
    for (QMenu* menu : {Form().MenuProject, Form().MenuCode, Form().MenuHelp}) {
        QStringList letters;
        for (QAction* action : menu->actions()) {
            if (action->isSeparator())
                continue;
            const QRegularExpressionMatch match = letter.match(action->text());
            ASSERT_TRUE(match.hasMatch()) << action->text().toStdString();
            EXPECT_FALSE(letters.contains(match.captured(1))) << action->text().toStdString();
            letters << match.captured(1);
        }
    }
}

// The selected project's database kind and Admin table: each box starts with the current
// value, asks again after a refused answer, and Cancel changes nothing.
TEST_F(MainFormTest, DatabaseKindAndAdminTableAreSetPerProject) {
    const int shop = AddProject("shop");
    AddProject("hr");
    seam_.inputAnswers = {QString("oracle"), QString("postgres"), std::nullopt,
                          QString("a`b"), QString("管理员"), std::nullopt};
    Trigger(Form().D2);
    Trigger(Form().D2);
    Trigger(Form().T1);
    Trigger(Form().T1);
    QStringList defaults;
    for (const TShown& item : seam_.shown)
        if (item.kind == "input")
            defaults << item.defaultText;
    EXPECT_EQ(defaults, QStringList({"MariaDB/MySQL", "oracle", "PostgreSQL", "Admin", "a`b",
                                     "管理员"}));
    EXPECT_EQ(seam_.TakeTexts("message"),
              QStringList({"未知的数据库类型: oracle, 应为MariaDB/MySQL或PostgreSQL",
                           "数据库类型已设为PostgreSQL",
                           "管理员表名\"a`b\"不能含有引号(`或\")或控制字符", "管理员表名已设为管理员"}));
    EXPECT_EQ(TProjectDAO().ReadDatabase(shop),
              (TProjectDatabase{TDatabaseKind::PostgreSql, "管理员"}));
    EXPECT_TRUE(TProjectDAO().ReadDatabase(shop + 1).IsDefault());
}
