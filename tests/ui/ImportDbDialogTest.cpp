// 项目操作 → 从数据库导入...: the dialog driven through its boxes and buttons, on a SQLite file.
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTimer>

#include "FormImportDb.h"
#include "UiTestSupport.h"

namespace {

void WriteSqlite(const QString& file) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "import-fixture");
        db.setDatabaseName(file);
        ASSERT_TRUE(db.open());
        QSqlQuery query(db);
        ASSERT_TRUE(query.exec("CREATE TABLE book_type (type_id INTEGER PRIMARY KEY, "
                               "type_name VARCHAR(40) NOT NULL)"));
        ASSERT_TRUE(query.exec("CREATE TABLE book (isbn VARCHAR(20) PRIMARY KEY, "
                               "title VARCHAR(80), cover BLOB, "
                               "type_id INTEGER REFERENCES book_type)"));
        db.close();
    }
    QSqlDatabase::removeDatabase("import-fixture");
}

} // namespace

class ImportDbDialogTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        WriteSqlite(File());
    }
    QString File() const { return dir_.filePath("shop.db"); }

    // Clicks 导入 and runs the event loop until the dialog takes input again: its work runs on
    // the window's busy runner.
    static void Import(TImportDbForm& form) {
        form.Button1->click();
        ASSERT_TRUE(WaitFor([&form] { return form.isEnabled(); }));
    }
};

TEST_F(ImportDbDialogTest, KindChoosesTheFieldsAndThePortFollowsUnlessTyped) {
    OnDialog<TImportDbForm>([](TImportDbForm& form) {
        EXPECT_EQ(form.windowTitle(), "从数据库导入");
        EXPECT_EQ(form.Edt_Port->text(), "3306");
        form.CB_Kind->setCurrentIndex(1);
        EXPECT_EQ(form.Edt_Port->text(), "5432");
        form.Edt_Port->setText("6543");
        form.CB_Kind->setCurrentIndex(0);
        EXPECT_EQ(form.Edt_Port->text(), "6543");
        EXPECT_EQ(form.Edt_Password->echoMode(), QLineEdit::Password);
        Import(form); // no database
        form.Edt_Database->setText("shop");
        form.Edt_Port->setText("70000");
        Import(form);
        form.CB_Kind->setCurrentIndex(2);
        EXPECT_FALSE(form.Edt_Host->isEnabled());
        EXPECT_FALSE(form.Edt_Password->isEnabled());
        EXPECT_FALSE(form.Btn_Browse->isHidden());
        form.reject();
    });
    Trigger(Form().I3);
    EXPECT_EQ(Form().I3->text(), "从数据库导入...");
    EXPECT_EQ(seam_.Texts(), QStringList({"请输入数据库名称", "端口必须是1到65535之间的数字"}));
    EXPECT_EQ(Count("select count(*) from t_project"), 0);
}

TEST_F(ImportDbDialogTest, ImportsTheChosenFileShowsTheReportAndAsksForATakenName) {
    AddProject("shop");
    const QString file = File();
    OnDialog<TImportDbForm>([this, file](TImportDbForm& form) {
        form.CB_Kind->setCurrentIndex(2);
        seam_.fileAnswers = {file};
        form.Btn_Browse->click();
        EXPECT_EQ(form.Edt_Database->text(), file);
        // strict: refused, nothing stored, the dialog stays open
        form.CB_Strict->setChecked(true);
        Import(form);
        EXPECT_TRUE(form.isVisible());
        // the name is taken: an empty answer stores nothing
        form.CB_Strict->setChecked(false);
        seam_.inputAnswers = {QString()};
        Import(form);
        EXPECT_TRUE(form.isVisible());
        seam_.inputAnswers = {QString("网上书店")};
        Import(form);
    });
    Trigger(Form().I3);
    EXPECT_FALSE(dialogLeftOpen_);
    ASSERT_EQ(seam_.shown.size(), 5);
    EXPECT_EQ(seam_.shown[0].kind, "open-file");
    EXPECT_EQ(seam_.shown[1].kind, "error");
    EXPECT_EQ(seam_.shown[1].text, "数据库中有模型不能原样表示的内容, 没有导入任何内容:\n"
                                   "列book.cover的类型BLOB不受支持, 未导入");
    EXPECT_EQ(seam_.shown[2].kind, "input");
    EXPECT_EQ(seam_.shown[2].text, "工程名称 (shop): 该工程名称已经存在!\n请输入新的工程名称:");
    EXPECT_EQ(seam_.shown[4].kind, "message");
    EXPECT_EQ(seam_.shown[4].text, "数据库导入成功: 网上书店 (2个类)\n\n"
                                   "列book.cover的类型BLOB不受支持, 未导入");
    EXPECT_EQ(Projects(), QStringList({"shop", "网上书店"}));
    // The box shows the imported project, so the next class goes into it.
    EXPECT_EQ(Form().CB_Project->currentText(), "网上书店");
    EXPECT_EQ(Count("select count(*) from t_class"), 2);
    EXPECT_EQ(Count("select count(*) from t_member where memberType = 'BookType'"), 1);
}

// The window is seen while the import runs: reading and storing go on the window's busy runner
// with the busy bar (the store waits for the database here), the dialog takes no input and the
// model file commands are disabled meanwhile.
TEST_F(ImportDbDialogTest, ImportRunsOffTheWindowsThreadWithABusyIndicator) {
    const QString file = File();
    OnDialog<TImportDbForm>([&](TImportDbForm& form) {
        form.CB_Kind->setCurrentIndex(2);
        form.Edt_Database->setText(file);
        Execute("begin immediate");
        form.Button1->click();
        EXPECT_FALSE(form.isEnabled());
        EXPECT_TRUE(Form().Panel_Busy->isVisibleTo(&Form()));
        EXPECT_EQ(Form().Label_Busy->text(), "正在读取数据库...");
        EXPECT_FALSE(Form().I1->isEnabled());
        form.reject(); // refused while it works
        EXPECT_TRUE(form.isVisible());
        ASSERT_TRUE(WaitFor([this] { return Form().Label_Busy->text() == "正在导入模型..."; }));
        Execute("commit");
        ASSERT_TRUE(WaitFor([&form] { return form.isEnabled(); }));
    });
    Trigger(Form().I3);
    EXPECT_EQ(seam_.Texts(), QStringList({"数据库导入成功: shop (2个类)\n\n"
                                          "列book.cover的类型BLOB不受支持, 未导入"}));
    EXPECT_FALSE(Form().Panel_Busy->isVisibleTo(&Form()));
    EXPECT_TRUE(Form().I1->isEnabled());
    EXPECT_EQ(Projects(), QStringList({"shop"}));
}
