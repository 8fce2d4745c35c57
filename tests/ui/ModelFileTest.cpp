#include <QFile>
#include <QFileInfo>

#include "ProjectModel.h"
#include "UiTestSupport.h"

namespace {

// A project's classes and members as text, without their keys.
QStringList ModelLines(qint64 projectId) {
    QStringList lines;
    const TProjectModel model = ReadProjectModel(projectId);
    for (const TClassModel& c : model.Classes()) {
        lines << c.className + " " + c.friendName;
        for (const TMember& m : c.members)
            lines << QString("  %1 %2 %3 %4 %5 %6 %7 %8 %9")
                         .arg(m.memberName, m.memberType, QString::number(m.memberLength),
                              m.memberComment)
                         .arg(m.memberIsPri)
                         .arg(m.memberIsMust)
                         .arg(m.queryFlag)
                         .arg(m.memberIsDisplay)
                         .arg(m.memberQueryDisplay);
    }
    return lines;
}

} // namespace

class ModelFileTest : public UiTest {
protected:
    QString File(const QString& name) const { return dir_.filePath(name); }

    void WriteFile(const QString& name, const QByteArray& bytes) const {
        QFile file(File(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    qint64 ProjectId(const QString& name) const {
        return TProjectDAO().FindProjects(name).first().projectId;
    }
};

TEST_F(ModelFileTest, ExportThenImportGivesTheProjectBackUnderANewName) {
    const int shop = AddProject("网上书店");
    const int author = AddClass(shop, "Author", "作者");
    const int book = AddClass(shop, "Book", "图书");
    TMember id = Member(shop, author, "id", "整型");
    id.memberIsPri = 1;
    id.memberIsMust = 1;
    AddMember(id);
    TMember writer = Member(shop, book, "writer", "Author");
    writer.memberComment = "作者'\"";
    writer.memberIsMust = 1;
    AddMember(writer);
    const QStringList model = ModelLines(shop);

    seam_.fileAnswers = {File("shop.json")};
    RunCommand(Form().E1);
    ASSERT_EQ(seam_.shown.size(), 2);
    EXPECT_EQ(seam_.shown[0].kind, "save-file");
    EXPECT_EQ(seam_.shown[0].caption, "导出模型");
    EXPECT_EQ(seam_.shown[0].defaultText, "网上书店.json");
    EXPECT_EQ(seam_.shown[0].text, "模型文件 (*.json)");
    EXPECT_EQ(seam_.TakeTexts("message"), QStringList({"模型导出成功! 文件: " + File("shop.json")}));
    ASSERT_TRUE(QFileInfo::exists(File("shop.json")));

    // The name is taken: asked for another until a free one is given.
    seam_.fileAnswers = {File("shop.json")};
    seam_.inputAnswers = {QString("网上书店"), QString("书店二")};
    RunCommand(Form().I1);
    ASSERT_EQ(seam_.shown.size(), 4);
    EXPECT_EQ(seam_.shown[0].kind, "open-file");
    EXPECT_EQ(seam_.shown[0].caption, "导入模型");
    EXPECT_EQ(seam_.shown[1].kind, "input");
    EXPECT_EQ(seam_.shown[1].caption, "导入模型");
    EXPECT_TRUE(seam_.shown[1].text.contains("(网上书店): 该工程名称已经存在!"))
        << seam_.shown[1].text.toStdString();
    EXPECT_TRUE(seam_.shown[1].text.endsWith("请输入新的工程名称:"));
    EXPECT_TRUE(seam_.shown[2].text.contains("(网上书店): 该工程名称已经存在!"));
    EXPECT_EQ(seam_.shown[3].text, "模型导入成功: 书店二");
    seam_.shown.clear();
    EXPECT_EQ(Projects(), QStringList({"网上书店", "书店二"}));
    EXPECT_EQ(ModelLines(ProjectId("书店二")), model);

    // Renamed away, the original name is free again.
    Execute("delete from t_project where projectName='网上书店'");
    seam_.fileAnswers = {File("shop.json")};
    RunCommand(Form().I1);
    EXPECT_EQ(seam_.TakeTexts("message"), QStringList({"模型导入成功: 网上书店"}));
    EXPECT_EQ(ModelLines(ProjectId("网上书店")), model);
}

TEST_F(ModelFileTest, CancelledDialogsChangeNothing) {
    AddProject("shop");
    seam_.fileAnswers = {QString(), QString(), QString(), File("shop.json")};
    RunCommand(Form().E1);
    RunCommand(Form().I1);
    RunCommand(Form().I2);
    QStringList kinds;
    for (const TShown& item : seam_.shown)
        kinds << item.kind;
    EXPECT_EQ(kinds, QStringList({"save-file", "open-file", "open-file"}));
    seam_.shown.clear();

    seam_.fileAnswers = {File("shop.json"), File("shop.json")};
    RunCommand(Form().E1);
    seam_.inputAnswers = {std::nullopt};
    RunCommand(Form().I1);
    EXPECT_EQ(seam_.TakeTexts("message"), QStringList({"模型导出成功! 文件: " + File("shop.json")}));
    EXPECT_EQ(Projects(), QStringList({"shop"}));
    EXPECT_EQ(Count("select count(*) from t_project"), 1);
}

TEST_F(ModelFileTest, ErrorsAreShownWithTheirReasonAndStoreNothing) {
    RunCommand(Form().E1);
    EXPECT_EQ(seam_.TakeTexts(), QStringList({"当前未有任何项目被选中!"}));

    AddProject("shop");
    Form().LoadProjects();
    const QString unwritable = File("missing/shop.json");
    const QString missing = File("missing.json");
    WriteFile("broken.json", "{\"format\": ");
    seam_.fileAnswers = {unwritable, missing, File("broken.json"), File("missing.mdb")};
    RunCommand(Form().E1);
    RunCommand(Form().I1);
    RunCommand(Form().I1);
    RunCommand(Form().I2);
    const QStringList errors = seam_.Texts("error");
    ASSERT_EQ(errors.size(), 4);
    EXPECT_TRUE(errors[0].startsWith("无法写入文件: " + unwritable + " ("))
        << errors[0].toStdString();
    EXPECT_TRUE(errors[1].startsWith("无法读取文件: " + missing + " (")) << errors[1].toStdString();
    EXPECT_TRUE(errors[2].startsWith("文件不是合法的JSON")) << errors[2].toStdString();
    EXPECT_EQ(errors[3], "没有找到文件: " + File("missing.mdb"));
    EXPECT_EQ(seam_.Texts("message"), QStringList());
    EXPECT_FALSE(QFileInfo::exists(unwritable));
    EXPECT_EQ(seam_.shown.last().kind, "error");
    const TShown& mdbDialog = seam_.shown[seam_.shown.size() - 2];
    EXPECT_EQ(mdbDialog.caption, "导入旧版数据库");
    EXPECT_EQ(mdbDialog.text, "旧版数据库 (*.mdb *.MDB)");
    EXPECT_EQ(Projects(), QStringList({"shop"}));
}

TEST_F(ModelFileTest, ImportSelectsTheImportedProject) {
    const int shop = AddProject("shop");
    AddClass(AddProject("hr"), "Staff");
    AddClass(shop, "Book");
    seam_.fileAnswers = {File("shop.json"), File("shop.json")};
    RunCommand(Form().E1);
    seam_.inputAnswers = {QString("shop2")};
    RunCommand(Form().I1);
    EXPECT_EQ(seam_.TakeTexts("message"),
              QStringList({"模型导出成功! 文件: " + File("shop.json"), "模型导入成功: shop2"}));
    EXPECT_EQ(Projects(), QStringList({"shop", "hr", "shop2"}));
    EXPECT_EQ(Form().CB_Project->currentText(), "shop2");
    EXPECT_EQ(Form().SelectedProjectId(), ProjectId("shop2"));
    EXPECT_EQ(Classes(), QStringList({"Book"}));

    // Nothing imported: the selection stays.
    seam_.fileAnswers = {File("shop.json")};
    seam_.inputAnswers = {std::nullopt};
    RunCommand(Form().I1);
    EXPECT_EQ(Form().CB_Project->currentText(), "shop2");
}

// The import waits for the database here, so that the window is seen while it runs: the
// command has returned, the busy bar says what runs, and only the model file commands are
// disabled until the import has ended.
TEST_F(ModelFileTest, ImportRunsOffTheWindowsThreadWithABusyIndicator) {
    AddProject("shop");
    seam_.fileAnswers = {File("shop.json")};
    RunCommand(Form().E1);
    Execute("delete from t_project");
    Form().LoadProjects();
    seam_.shown.clear();
    EXPECT_FALSE(Form().Panel_Busy->isVisibleTo(&Form()));

    Execute("begin immediate");
    seam_.fileAnswers = {File("shop.json")};
    Trigger(Form().I1);
    EXPECT_TRUE(Form().ModelFileBusy());
    EXPECT_TRUE(Form().Panel_Busy->isVisibleTo(&Form()));
    EXPECT_EQ(Form().Label_Busy->text(), "正在导入模型...");
    for (QAction* action : {Form().E1, Form().I1, Form().I2, Form().I3})
        EXPECT_FALSE(action->isEnabled()) << action->text().toStdString();
    EXPECT_TRUE(Form().F2->isEnabled());
    EXPECT_TRUE(Form().A1->isEnabled());
    Execute("commit");
    ASSERT_TRUE(WaitFor([this] { return !Form().ModelFileBusy(); }));
    EXPECT_EQ(seam_.TakeTexts(), QStringList({"模型文件 (*.json)", "模型导入成功: shop"}));
    for (QAction* action : {Form().E1, Form().I1, Form().I2, Form().I3})
        EXPECT_TRUE(action->isEnabled()) << action->text().toStdString();
    EXPECT_FALSE(Form().Panel_Busy->isVisibleTo(&Form()));
    EXPECT_EQ(Projects(), QStringList({"shop"}));
}
