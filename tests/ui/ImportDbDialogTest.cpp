// 项目操作 → 从数据库导入...: the dialog driven through its boxes and buttons, on a SQLite file.
#include <QApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include "FormImportDb.h"
#include "UiTestSupport.h"

namespace {

// What the import chose, after the report lines of the success message.
const QString kNotices =
    QStringLiteral("已把各类的显示成员和引用成员设为查询条件(共3个), 查询页面可按它们搜索\n"
                   "从SQLite导入: 生成的应用使用MariaDB/MySQL数据库, 不使用这个SQLite文件");

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
        ASSERT_TRUE(WaitFor([&form] { return !form.Working(); }));
    }

    // A free port of 127.0.0.1 on which nothing listens.
    static quint16 FreePort() {
        QTcpServer server;
        EXPECT_TRUE(server.listen(QHostAddress::LocalHost));
        return server.serverPort();
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
    EXPECT_EQ(Form().I3->text(), "从数据库导入(&R)...");
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
                                   "列book.cover的类型BLOB不受支持, 未导入\n" +
                                       kNotices);
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
        EXPECT_TRUE(form.Working());
        EXPECT_FALSE(form.Button1->isEnabled());
        EXPECT_FALSE(form.CB_Kind->isEnabled());
        EXPECT_TRUE(Form().Panel_Busy->isVisibleTo(&Form()));
        EXPECT_EQ(Form().Label_Busy->text(), "正在读取数据库...");
        EXPECT_FALSE(Form().I1->isEnabled());
        ASSERT_TRUE(WaitFor([this] { return Form().Label_Busy->text() == "正在导入模型..."; }));
        EXPECT_FALSE(form.Btn_Cancel->isEnabled());
        form.reject(); // refused while the project is stored
        EXPECT_TRUE(form.isVisible());
        Execute("commit");
        ASSERT_TRUE(WaitFor([&form] { return !form.Working(); }));
    });
    Trigger(Form().I3);
    EXPECT_EQ(seam_.Texts(), QStringList({"数据库导入成功: shop (2个类)\n\n"
                                          "列book.cover的类型BLOB不受支持, 未导入\n" +
                                          kNotices}));
    EXPECT_FALSE(Form().Panel_Busy->isVisibleTo(&Form()));
    EXPECT_TRUE(Form().I1->isEnabled());
    EXPECT_EQ(Projects(), QStringList({"shop"}));
}

// Enter imports; the file field of a SQLite database is labelled 文件: and takes the row's width;
// afterwards the window has the keyboard again.
TEST_F(ImportDbDialogTest, EnterImportsASqliteFileAndTheWindowTakesTheKeyboardBack) {
    Form().show();
    const QString file = File();
    OnDialog<TImportDbForm>([&](TImportDbForm& form) {
        form.CB_Kind->setCurrentIndex(2);
        QCoreApplication::processEvents();
        EXPECT_EQ(form.Label_Database->text(), "文件:");
        EXPECT_GE(form.Edt_Database->width() + form.Btn_Browse->width(),
                  form.Edt_Host->width() * 9 / 10);
        form.Edt_Database->setText(file);
        QTest::keyClick(form.Edt_Database, Qt::Key_Return);
        ASSERT_TRUE(WaitFor([&form] { return !form.Working(); }));
        form.CB_Kind->setCurrentIndex(0);
        EXPECT_EQ(form.Label_Database->text(), "数据库:");
    });
    Trigger(Form().I3);
    EXPECT_FALSE(dialogLeftOpen_);
    EXPECT_EQ(Projects(), QStringList({"shop"}));
    ASSERT_TRUE(WaitFor([this] { return QApplication::activeWindow() == &Form(); }, 2000));
    EXPECT_TRUE(Form().CB_Project->hasFocus());
}

// The dialog opens with what it was left with in this session, but never with the password.
TEST_F(ImportDbDialogTest, RemembersTheLastValuesButNotThePassword) {
    OnDialog<TImportDbForm>([](TImportDbForm& form) {
        form.CB_Kind->setCurrentIndex(1);
        form.Edt_Host->setText("db.example");
        form.Edt_Port->setText("6543");
        form.Edt_Database->setText("shop");
        form.Edt_User->setText("reader");
        form.Edt_Password->setText("secret");
        form.Edt_Tables->setText("book*");
        form.CB_Strict->setChecked(true);
        form.Btn_Cancel->click();
    });
    Trigger(Form().I3);
    OnDialog<TImportDbForm>([](TImportDbForm& form) {
        EXPECT_EQ(form.CB_Kind->currentText(), "PostgreSQL");
        EXPECT_EQ(form.Edt_Host->text(), "db.example");
        EXPECT_EQ(form.Edt_Port->text(), "6543");
        EXPECT_EQ(form.Edt_Database->text(), "shop");
        EXPECT_EQ(form.Edt_User->text(), "reader");
        EXPECT_EQ(form.Edt_Password->text(), "");
        EXPECT_EQ(form.Edt_Tables->text(), "book*");
        EXPECT_TRUE(form.CB_Strict->isChecked());
        form.CB_Kind->setCurrentIndex(0); // a typed port stays
        EXPECT_EQ(form.Edt_Port->text(), "6543");
        form.reject();
    });
    Trigger(Form().I3);
    EXPECT_TRUE(seam_.shown.isEmpty());
}

// A server that cannot be reached is named as the user typed it, with the cause in Chinese.
TEST_F(ImportDbDialogTest, AConnectionErrorNamesTheHostAndPortInChinese) {
    if (!QSqlDatabase::isDriverAvailable("QMYSQL"))
        GTEST_SKIP() << "no QMYSQL driver";
    const quint16 port = FreePort();
    OnDialog<TImportDbForm>([port](TImportDbForm& form) {
        form.Edt_Port->setText(QString::number(port));
        form.Edt_Database->setText("shop");
        Import(form);
        EXPECT_TRUE(form.isVisible());
        form.reject();
    });
    Trigger(Form().I3);
    const QStringList errors = seam_.Texts("error");
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith("无法连接数据库服务器 127.0.0.1:" + QString::number(port) +
                                     " (数据库shop): "))
        << errors[0].toStdString();
    EXPECT_TRUE(errors[0].contains("没有数据库服务器在运行")) << errors[0].toStdString();
}

// 取消 and Escape close the dialog while the connection is pending; when it ends later,
// nothing is shown and nothing is stored.
TEST_F(ImportDbDialogTest, CancelAndEscapeAbandonAPendingConnection) {
    if (!QSqlDatabase::isDriverAvailable("QMYSQL"))
        GTEST_SKIP() << "no QMYSQL driver";
    // A server that takes connections and never answers.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    for (const bool escape : {false, true}) {
        OnDialog<TImportDbForm>([&](TImportDbForm& form) {
            form.Edt_Port->setText(QString::number(silent.serverPort()));
            form.Edt_Database->setText("shop");
            QTest::keyClick(form.Edt_Database, Qt::Key_Return);
            ASSERT_TRUE(WaitFor([&silent] { return silent.hasPendingConnections(); }));
            EXPECT_TRUE(form.Working());
            if (escape)
                QTest::keyClick(&form, Qt::Key_Escape);
            else
                form.Btn_Cancel->click();
            EXPECT_FALSE(form.isVisible());
            EXPECT_FALSE(Form().Panel_Busy->isVisibleTo(&Form()));
        });
        Trigger(Form().I3);
        EXPECT_TRUE(Form().I3->isEnabled());
        // The connection ends; its error reaches nobody.
        delete silent.nextPendingConnection();
        ASSERT_TRUE(WaitFor([this] { return Form().BusyThreads() == 0; }));
        QCoreApplication::processEvents();
        EXPECT_TRUE(seam_.shown.isEmpty()) << seam_.Texts().join('\n').toStdString();
    }
    EXPECT_EQ(Count("select count(*) from t_project"), 0);
}
