#include "GeneratorTestSupport.h"

using FileOperateTest = GeneratorTest;

TEST_F(FileOperateTest, ReadTextFileEndsEveryLineWithCrLf) {
    const QList<QPair<QByteArray, QString>> cases = {
        {"one\ntwo", "one\r\ntwo\r\n"},     {"one\r\ntwo\r\n", "one\r\ntwo\r\n"},
        {"a\rb\r\n\r\n", "ab\r\n\r\n"},     {"\n", "\r\n"},
        {"\xD6\xD0\xCE\xC4\n", "中文\r\n"}, {"", ""},
    };
    for (const auto& [bytes, text] : cases) {
        Write("t.txt", bytes);
        EXPECT_EQ(TFileOperate::ReadTextFile(Path("t.txt")), text) << bytes.toStdString();
    }
    EXPECT_EQ(TFileOperate::ReadTextFile(Path("absent.txt")), "");
    EXPECT_THROW(TFileOperate::ReadTextFile(root_.path()), TFileError);
}

TEST_F(FileOperateTest, SaveTextFileWritesBomAndUtf8IntoNewFolders) {
    TFileOperate::SaveTextFile(Path("a/b/c"), Path("a/b/c/x.xml"), "");
    EXPECT_EQ(Read("a/b/c/x.xml"), kBom);
    TFileOperate::SaveTextFile(Path("a\\b"), Path("a\\b/x.xml"), "中文\r\n");
    EXPECT_EQ(Read("a/b/x.xml"), kBom + "\xE4\xB8\xAD\xE6\x96\x87\r\n");
}

TEST_F(FileOperateTest, SaveAnsiFileWritesGbkAndReplacesWhatGbkCannotHold) {
    Write("d/x.txt", "a much longer earlier content");
    EXPECT_EQ(TFileOperate::SaveAnsiFile(Path("d"), Path("d/x.txt"), ""), 0);
    EXPECT_EQ(Read("d/x.txt"), "");
    EXPECT_EQ(TFileOperate::SaveAnsiFile(Path("e/f"), Path("e/f/x.txt"), "中文€\r\n"), 0);
    EXPECT_EQ(Read("e/f/x.txt"), "\xD6\xD0\xCE\xC4\x80\r\n");
    EXPECT_EQ(TFileOperate::ReadTextFile(Path("e/f/x.txt")), "中文€\r\n");
    EXPECT_EQ(TFileOperate::SaveAnsiFile(Path("e"), Path("e/y.txt"), "a😀b\u0E01c"), 2);
    EXPECT_EQ(Read("e/y.txt"), "a?b?c");
}

// Characters are converted once and then reused: every character must come out as a
// conversion of the whole text would give it.
TEST_F(FileOperateTest, EncodeGbkRoundTripsEveryCharacterGbkHolds) {
    int held = 0;
    for (char32_t c = 0x80; c < 0x10000; c += 3) {
        if (QChar::isSurrogate(c))
            continue;
        const QString text = QString(QChar(char16_t(c))).repeated(2) + "a";
        int replaced = 0;
        const QByteArray bytes = TFileOperate::EncodeGbk(text, &replaced);
        if (replaced == 0) {
            ASSERT_EQ(TFileOperate::DecodeGbk(bytes), text) << int(c);
            ++held;
        } else {
            ASSERT_EQ(bytes, "??a") << int(c);
            ASSERT_EQ(replaced, 2) << int(c);
        }
    }
    EXPECT_GT(held, 7000);
    EXPECT_EQ(TFileOperate::EncodeGbk("中\xF0\x9F\x98\x80文"), "\xD6\xD0?\xCE\xC4");
}

TEST_F(FileOperateTest, FailedWritesRaiseAndKeepEarlierContent) {
    Write("d/x.txt", "old");
    QDir().mkpath(Path("d/dir.txt"));
    EXPECT_THROW(TFileOperate::SaveTextFile(Path("d"), Path("d/dir.txt"), "x"), TFileError);
    EXPECT_THROW(TFileOperate::SaveAnsiFile(Path("d/x.txt"), Path("d/x.txt"), "x"), TFileError);
    EXPECT_EQ(Read("d/x.txt"), "old");
    try {
        TFileOperate::SaveAnsiFile(Path("d"), Path("d/dir.txt"), "x");
        ADD_FAILURE() << "no error";
    } catch (const TFileError& error) {
        EXPECT_EQ(error.Message(), "无法写入文件: " + Path("d/dir.txt") + " (Is a directory)");
    }
    // No temporary file is left behind.
    EXPECT_EQ(QDir(Path("d")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList({"dir.txt", "x.txt"}));
}

TEST_F(FileOperateTest, WritesReplaceALinkInsteadOfItsTarget) {
    Write("outside.txt", "keep");
    QDir().mkpath(Path("out"));
    ASSERT_TRUE(QFile::link(Path("outside.txt"), Path("out/x.txt")));
    TFileOperate::SaveAnsiFile(Path("out"), Path("out/x.txt"), "new");
    EXPECT_EQ(Read("outside.txt"), "keep");
    EXPECT_FALSE(QFileInfo(Path("out/x.txt")).isSymLink());
    EXPECT_EQ(Read("out/x.txt"), "new");
}

TEST_F(FileOperateTest, CopyFolderKeepsTopLevelFilesOnlyWhenAsked) {
    Write("src/a.txt", "new a");
    Write("src/sub/b.txt", "new b");
    Write("src/sub/deeper/c.txt", "new c");
    Write("dst/a.txt", "old a");
    Write("dst/sub/b.txt", "old b");
    const QString cwd = QDir::currentPath();
    EXPECT_TRUE(TFileOperate::CopyFolder(Path("src"), Path("dst"), true));
    EXPECT_EQ(Read("dst/a.txt"), "old a");
    EXPECT_EQ(Read("dst/sub/b.txt"), "new b");
    EXPECT_EQ(Read("dst/sub/deeper/c.txt"), "new c");
    EXPECT_TRUE(TFileOperate::CopyFolder(Path("src\\"), Path("dst\\"), false));
    EXPECT_EQ(Read("dst/a.txt"), "new a");
    EXPECT_EQ(QDir::currentPath(), cwd);
}

TEST_F(FileOperateTest, CopyFolderEdges) {
    QDir().mkpath(Path("empty"));
    EXPECT_TRUE(TFileOperate::CopyFolder(Path("empty"), Path("x/y/copy"), true));
    EXPECT_TRUE(QFileInfo(Path("x/y/copy")).isDir());
    EXPECT_THROW(TFileOperate::CopyFolder(Path("absent"), Path("z"), true), TFileError);
    EXPECT_FALSE(Exists("z"));
    // A link back to a folder being copied is not followed again.
    Write("loop/f.txt", "f");
    QFile::link(Path("loop"), Path("loop/self"));
    EXPECT_TRUE(TFileOperate::CopyFolder(Path("loop"), Path("loopcopy"), false));
    EXPECT_EQ(Read("loopcopy/f.txt"), "f");
    EXPECT_FALSE(TFileOperate::CopyFile(Path("absent.txt"), Path("copy.txt")));
    EXPECT_FALSE(Exists("copy.txt"));
}

TEST_F(FileOperateTest, MarkersAreReplacedCaseSensitivelyWithoutRescanning) {
    EXPECT_EQ(TFileOperate::ReplaceMarker("$a-$A-$a", "$a", "[$a]"), "[$a]-$A-[$a]");
    EXPECT_EQ(TFileOperate::ReplaceMarker("x", "", "y"), "x");
}
