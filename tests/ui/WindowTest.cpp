#include <QAbstractItemView>
#include <QApplication>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "QtUserSeam.h"
#include "Translations.h"
#include "UiTestSupport.h"

namespace {

// The texts of the buttons of the modal box that call opens, which is then closed.
QStringList ButtonsOfBox(const std::function<void()>& call) {
    QStringList texts;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (box == nullptr)
            return;
        poll.stop();
        for (QPushButton* button : box->findChildren<QPushButton*>())
            texts << button->text();
        QMetaObject::invokeMethod(box, "reject", Qt::QueuedConnection);
    });
    poll.start(10);
    call();
    texts.sort();
    return texts;
}

} // namespace

TEST(TranslationTest, StandardButtonsAndEditMenusReadChineseAfterStart) {
    ASSERT_TRUE(InstallQtTranslations());
    EXPECT_TRUE(InstallQtTranslations()); // a second call changes nothing
    TQtUserSeam seam;
    EXPECT_EQ(ButtonsOfBox([&] { seam.InputBox("新建项目", "请输入工程名称", ""); }),
              QStringList({"取消", "确定"}));
    EXPECT_EQ(ButtonsOfBox([&] { seam.Confirm("删除提示", "确认删除当前项目吗?"); }),
              QStringList({"取消", "确定"}));
    QLineEdit edit;
    std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList items;
    for (QAction* action : menu->actions())
        items << action->text().section('\t', 0, 0);
    EXPECT_TRUE(items.contains("复制(&C)")) << items.join(' ').toStdString();
    EXPECT_TRUE(items.contains("粘贴(&P)")) << items.join(' ').toStdString();
}

class WindowTest : public UiTest {
protected:
    // Shown and active, as a user meets it.
    void Show() {
        Form().show();
        Form().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Form()));
    }

    QWidget* ClassViewport() { return Form().LB_Object->viewport(); }
    QPoint BelowTheClasses() { return QPoint(20, ClassViewport()->height() - 5); }
    QListWidgetItem* Current() { return Form().LB_Object->currentItem(); }

    // Press, release, double-click and release, as the platform delivers a double-click.
    void DoubleClick(QPoint at) {
        QTest::mouseClick(ClassViewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(ClassViewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(ClassViewport(), Qt::LeftButton, {}, at);
    }
};

// The highlighted class, the member table and the commands always name the same class.
TEST_F(WindowTest, HighlightedClassIsAlwaysTheClassTheCommandsActOn) {
    const int shop = AddProject("shop");
    const int book = AddClass(shop, "Book");
    const int author = AddClass(shop, "Author");
    AddMember(Member(shop, book, "title", "字符串"));
    AddMember(Member(shop, author, "name", "字符串"));
    Show();
    int dialogs = 0;
    Form().SetModalHook([&](QDialog&) { ++dialogs; });

    QTest::mouseClick(ClassViewport(), Qt::LeftButton, {}, BelowTheClasses());
    ASSERT_NE(Current(), nullptr);
    EXPECT_EQ(Form().LB_Object->selectedItems(), QList<QListWidgetItem*>({Current()}));
    EXPECT_EQ(Form().SelectedClassId(), book);
    EXPECT_EQ(MemberColumn(1), QStringList({"title"}));

    const QPoint onAuthor = Form().LB_Object->visualItemRect(Form().LB_Object->item(1)).center();
    QTest::mouseClick(ClassViewport(), Qt::LeftButton, {}, onAuthor);
    QTest::mouseClick(ClassViewport(), Qt::LeftButton, Qt::ControlModifier, onAuthor);
    EXPECT_EQ(Form().LB_Object->selectedItems(), QList<QListWidgetItem*>({Current()}));
    EXPECT_EQ(Form().SelectedClassId(), author);
    EXPECT_EQ(MemberColumn(1), QStringList({"name"}));

    // A double-click with no class under the mouse runs nothing.
    DoubleClick(BelowTheClasses());
    EXPECT_TRUE(seam_.shown.isEmpty());
    EXPECT_EQ(dialogs, 0);
    DoubleClick(onAuthor);
    EXPECT_EQ(dialogs, 1);

    // With no class left current, nothing is highlighted; the arrow keys make a class current
    // and highlight it.
    seam_.confirmAnswers = {true};
    Trigger(Form().S1);
    EXPECT_EQ(Current(), nullptr);
    EXPECT_TRUE(Form().LB_Object->selectedItems().isEmpty());
    EXPECT_EQ(Form().LV_Member->rowCount(), 0);
    MoveFocusTo(*Form().LB_Object);
    QTest::keyClick(Form().LB_Object, Qt::Key_Down);
    ASSERT_NE(Current(), nullptr);
    EXPECT_EQ(Form().LB_Object->selectedItems(), QList<QListWidgetItem*>({Current()}));
    EXPECT_EQ(Form().SelectedClassId(), book);
    EXPECT_EQ(MemberColumn(1), QStringList({"title"}));
    QTest::keyClick(Form().LB_Object, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(Form().LB_Object->selectedItems(), QList<QListWidgetItem*>({Current()}));
}

TEST_F(WindowTest, LongProjectNameStaysWithinTheWindow) {
    const QString name = QString("很长的项目名称").repeated(40);
    AddProject(name);
    Form().move(0, 0);
    Show();
    Form().CB_Project->showPopup();
    QWidget* popup = Form().CB_Project->view()->window();
    ASSERT_TRUE(popup->isVisible());
    EXPECT_LE(popup->width(), Form().width());
    EXPECT_LT(popup->width(), Form().CB_Project->view()->sizeHintForColumn(0));
    EXPECT_EQ(Form().CB_Project->view()->textElideMode(), Qt::ElideRight);
    Form().CB_Project->hidePopup();
    EXPECT_EQ(Form().CB_Project->currentText(), name);
    EXPECT_EQ(Form().CB_Project->width(), 121);
}

TEST_F(WindowTest, WindowIsFixedSoThatNoWindowManagerOffersMaximising) {
    Show();
    const QWindow* window = Form().windowHandle();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_EQ(window->minimumSize(), Form().size());
    EXPECT_FALSE(window->flags() & Qt::WindowMaximizeButtonHint);
    // The frames keep a margin from the window's edges.
    const QRect frame(Form().GroupBox1->mapTo(&Form(), QPoint()), Form().GroupBox1->size());
    EXPECT_GT(frame.left(), 0);
    EXPECT_LT(frame.right(), Form().width() - 1);
}
