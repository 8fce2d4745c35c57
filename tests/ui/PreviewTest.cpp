#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPlainTextEdit>

#include "../store/WriteProtect.h"
#include "FileOperate.h"
#include "FormPreview.h"
#include "UiTestSupport.h"

namespace {

const QString kWarning = "如果以前生成了该项目，最好先删除原来的目录!";

const char* const kMappingTemplate = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                     "<hibernate-mapping package=\"com.$packageName.domain\">\n"
                                     "<class name=\"$className\" table=\"`$className`\">\n"
                                     "$hibernateContentConfigString</class>\n"
                                     "</hibernate-mapping>\n";

// What a tab shows of a written file: its text without the byte-order mark and without CR.
QString ShownText(const QByteArray& bytes, bool gbk) {
    QString text = gbk ? TFileOperate::DecodeGbk(bytes)
                       : QString::fromUtf8(bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes);
    return text.remove('\r');
}

struct TPage {
    QString title;
    QString text;
    bool readOnly = false;
    QFont font;
};

} // namespace

class PreviewTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        QDir root(dir_.path());
        for (const char* folder : {"template/src/com/packageName/domain", "bak/.myeclipse",
                                   "bak/.settings", "bak/WebRoot"})
            ASSERT_TRUE(root.mkpath(folder));
        QFile mapping(dir_.filePath("template/src/com/packageName/domain/className.hbm.xml"));
        ASSERT_TRUE(mapping.open(QIODevice::WriteOnly));
        mapping.write(kMappingTemplate);
    }

    // A class with an integer key and a display member with a comment.
    int AddGoodClass(int projectId, const QString& name, bool withKey = true) {
        const int classId = AddClass(projectId, name, "图书");
        TMember key = Member(projectId, classId, "id", "整型");
        key.memberIsPri = withKey ? 1 : 0;
        key.memberIsMust = 1;
        key.memberIsInteger = 1;
        AddMember(key);
        TMember title = Member(projectId, classId, "title", "字符串");
        title.memberLength = 30;
        title.memberIsDisplay = 1;
        title.queryFlag = 1;
        title.memberComment = "书名";
        AddMember(title);
        return classId;
    }

    // The pages of the preview of the selected class; none when no preview was shown.
    QList<TPage> Preview() {
        QList<TPage> pages;
        OnDialog<TPreviewForm>([&](TPreviewForm& form) {
            title_ = form.windowTitle();
            for (int i = 0; i < form.PageControl1->count(); ++i) {
                auto* page = qobject_cast<QPlainTextEdit*>(form.PageControl1->widget(i));
                pages << TPage{form.PageControl1->tabText(i), form.PageText(i),
                               page != nullptr && page->isReadOnly(),
                               page != nullptr ? page->font() : QFont()};
            }
            form.Button1->click();
        });
        Trigger(Form().V1);
        return pages;
    }

    void Generate() {
        Trigger(Form().A1);
        ASSERT_TRUE(WaitFor([this] { return Form().RunningGenerations() == 0; }));
        QCoreApplication::processEvents();
    }

    QString Output() const { return dir_.path() + "/projects"; }

    QString title_;
};

TEST_F(PreviewTest, ShowsTheSelectedClassFilesAsTheNextRunWritesThemAndWritesNothing) {
    const int shop = AddProject("shop");
    AddGoodClass(shop, "Author");
    const int book = AddGoodClass(shop, "Book");
    TMember writer = Member(shop, book, "writer", "Author");
    writer.memberIsMust = 1;
    writer.queryFlag = 1;
    AddMember(writer);
    seam_.inputAnswers = {QString("bookshop")};
    Trigger(Form().S2);
    Form().LB_Object->setCurrentRow(1);

    const QList<TPage> pages = Preview();
    EXPECT_EQ(title_, "预览代码 - Book");
    EXPECT_EQ(dialogsShown_, 1);
    EXPECT_FALSE(dialogLeftOpen_);
    EXPECT_FALSE(QFileInfo::exists(Output()));
    EXPECT_TRUE(seam_.Texts("error").isEmpty());

    Generate();
    ASSERT_EQ(seam_.Texts("information"), QStringList({"所有代码生成完毕!"}));
    const QString src = Output() + "/shop/src/com/bookshop/";
    const QList<std::pair<QString, QString>> files = {
        {"Book.hbm.xml", src + "domain/Book.hbm.xml"},
        {"Book.java", src + "domain/Book.java"},
        {"BookDAO.java", src + "dao/BookDAO.java"},
        {"BookAction.java", src + "action/BookAction.java"}};
    ASSERT_EQ(pages.size(), files.size());
    for (int i = 0; i < pages.size(); ++i) {
        EXPECT_EQ(pages[i].title, files[i].first);
        EXPECT_EQ(pages[i].text, ShownText(FileBytes(files[i].second), i > 0)) << i;
        EXPECT_TRUE(pages[i].readOnly);
        EXPECT_EQ(pages[i].font, QFontDatabase::systemFont(QFontDatabase::FixedFont));
    }
    EXPECT_TRUE(pages[0].text.contains("package=\"com.bookshop.domain\""));
    EXPECT_TRUE(pages[1].text.contains("书名"));

    // A later change of the model or the package shows in the next preview.
    Execute("update t_member set memberComment='标题' where memberName='title'");
    seam_.inputAnswers = {QString("store")};
    Trigger(Form().S2);
    const QList<TPage> changed = Preview();
    ASSERT_EQ(changed.size(), 4);
    EXPECT_TRUE(changed[0].text.contains("package=\"com.store.domain\""));
    EXPECT_TRUE(changed[1].text.contains("标题"));
}

// The preview shows the same refusal in the same box as a run of the model would.
TEST_F(PreviewTest, ShowsWhatARunWouldRefuseTheModelForInstead) {
    const int shop = AddProject("shop");
    const int book = AddGoodClass(shop, "Book");
    AddGoodClass(shop, "Author", false);
    TMember author = Member(shop, book, "author", "Author");
    author.memberLength = 4;
    AddMember(author);
    AddGoodClass(shop, "Unfinished", false);
    auto refusals = [this] {
        QStringList texts;
        for (const TShown& item : seam_.shown)
            if (item.text != kWarning)
                texts << item.kind + ": " + item.text;
        seam_.shown.clear();
        return texts;
    };

    EXPECT_TRUE(Preview().isEmpty());
    const QStringList byPreview = refusals();
    Generate();
    // Book's preview needs Author, which it references; the run needs every class.
    EXPECT_EQ(byPreview, QStringList({"message: Author表没有设置主键，每个类必须设置一个主键!"}));
    EXPECT_EQ(refusals(), byPreview);

    Execute("update t_member set memberIsPri=1 where memberName='id' and classId<>" +
            QString::number(TClassDAO().GetClassId(shop, "Unfinished")));
    // Only the class that no preview of Book needs fails: Book is shown.
    EXPECT_FALSE(Preview().isEmpty());
    EXPECT_TRUE(refusals().isEmpty());
    Generate();
    EXPECT_EQ(refusals(), QStringList({"message: Unfinished表没有设置主键，每个类必须设置一个主键!"}));
    Execute("update t_member set memberIsPri=1 where memberName='id'");
    Execute("update t_member set memberIsDisplay=0 where classId=" +
            QString::number(TClassDAO().GetClassId(shop, "Book")));
    EXPECT_TRUE(Preview().isEmpty());
    EXPECT_EQ(refusals(),
              QStringList({"message: Book表显示成员设置错误，每个类有且只能设置一个显示成员!"}));

    Execute("update t_member set memberIsDisplay=1 where memberName='title'");
    Execute("update t_member set memberName='class' where memberName='id'");
    EXPECT_TRUE(Preview().isEmpty());
    const QStringList ruleByPreview = refusals();
    Generate();
    ASSERT_EQ(ruleByPreview.size(), 1);
    EXPECT_TRUE(ruleByPreview[0].startsWith("error: ")) << ruleByPreview[0].toStdString();
    EXPECT_TRUE(ruleByPreview[0].contains("class")) << ruleByPreview[0].toStdString();
    EXPECT_EQ(refusals(), ruleByPreview);
    EXPECT_EQ(dialogsShown_, 1); // the preview of Book beside the unfinished class
    EXPECT_FALSE(QFileInfo::exists(Output()));
}

// A project name a run refuses as a folder name: the preview shows the run's error.
TEST_F(PreviewTest, ShowsTheRunsErrorForAProjectNameThatIsNoFolderName) {
    AddGoodClass(AddProject("a/b"), "Book");
    Form().LoadProjects();
    EXPECT_TRUE(Preview().isEmpty());
    const QStringList byPreview = seam_.TakeTexts("error");
    Generate();
    ASSERT_EQ(byPreview.size(), 1);
    EXPECT_TRUE(byPreview[0].startsWith("工程名称\"a/b\"")) << byPreview[0].toStdString();
    EXPECT_EQ(seam_.TakeTexts("error"), byPreview);
    EXPECT_EQ(dialogsShown_, 0);
}

TEST_F(PreviewTest, NeedsASelectedProjectAndClass) {
    Trigger(Form().V1);
    const int shop = AddProject("shop");
    Form().LoadProjects();
    Trigger(Form().V1);
    AddGoodClass(shop, "Book");
    Form().LoadProjects();
    seam_.confirmAnswers = {true};
    Trigger(Form().S1);
    Trigger(Form().V1);
    EXPECT_EQ(seam_.Texts("message"), QStringList({"没有一个工程被选中！", "没有类被选中!",
                                                   "类对象删除成功!", "没有类被选中!"}));
    EXPECT_EQ(dialogsShown_, 0);
}

// Installed, the program reads its templates, scaffolding and help page from a folder of its
// own: the preview and the run read the same mapping template there.
TEST_F(PreviewTest, PreviewAndRunReadTheResourceFolder) {
    QTemporaryDir resources;
    ASSERT_TRUE(resources.isValid());
    QDir root(resources.path());
    for (const char* folder :
         {"template/src/com/packageName/domain", "bak/.myeclipse", "bak/.settings", "bak/WebRoot"})
        ASSERT_TRUE(root.mkpath(folder));
    QFile mapping(root.filePath("template/src/com/packageName/domain/className.hbm.xml"));
    ASSERT_TRUE(mapping.open(QIODevice::WriteOnly));
    mapping.write("<!-- installed $className -->\n$hibernateContentConfigString");
    mapping.close();
    ASSERT_TRUE(QDir(dir_.filePath("bak")).removeRecursively());
    AddGoodClass(AddProject("shop"), "Book");
    Form().SetResourceDir(resources.path());

    const QList<TPage> pages = Preview();
    ASSERT_EQ(pages.size(), 4);
    EXPECT_TRUE(pages[0].text.startsWith("<!-- installed Book -->")) << pages[0].text.toStdString();
    Generate();
    EXPECT_EQ(seam_.Texts("information"), QStringList({"所有代码生成完毕!"}));
    EXPECT_EQ(
        ShownText(FileBytes(Output() + "/shop/src/com/brennoquill/domain/Book.hbm.xml"), false),
        pages[0].text);
    EXPECT_EQ(Form().HomePage(), QUrl::fromLocalFile(resources.path() + "/help/index.html"));
}
