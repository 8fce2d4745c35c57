#include <QDirIterator>
#include <cerrno>
#include <cstring>
#include <unistd.h>

#include "GeneratorTestSupport.h"

namespace {

QString Reason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// The message of the TFileError that call throws, or "<no error>".
template <typename Call> QString ErrorOf(Call call) {
    try {
        call();
    } catch (const TFileError& error) {
        return error.Message();
    }
    return QStringLiteral("<no error>");
}

QString LinkTextOf(const QString& path) {
    char text[4096];
    const ssize_t length = ::readlink(QFile::encodeName(path).constData(), text, sizeof text);
    return length < 0 ? QString() : QString::fromUtf8(text, length);
}

} // namespace

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
    EXPECT_EQ(TFileOperate::ReadTextFile(Path("absent/t.txt")), "");
}

// Only an absent file reads as empty; whatever exists but cannot be read is an error naming
// it, and a FIFO or device is refused at once instead of blocking or reading on forever.
TEST_F(FileOperateTest, ReadingRefusesWhatIsNoReadableFile) {
    QDir().mkpath(Path("folder"));
    ASSERT_EQ(::symlink("loop", QFile::encodeName(Path("loop")).constData()), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(Path("fifo")).constData(), 0600), 0);
    const QList<QPair<QString, QString>> cases = {
        {Path("folder"), Reason(EISDIR)},    {Path("loop"), Reason(ELOOP)},
        {Path("loop/t.txt"), Reason(ELOOP)}, {Path("fifo"), "不是普通文件"},
        {"/dev/zero", "不是普通文件"},
    };
    for (const auto& [file, reason] : cases) {
        const QString expected = "无法读取文件: " + file + " (" + reason + ")";
        EXPECT_EQ(ErrorOf([&] { TFileOperate::ReadTextFile(file); }), expected);
        EXPECT_EQ(ErrorOf([&] { TFileOperate::ReadFirstLine(file); }), expected);
        EXPECT_EQ(ErrorOf([&] { TFileOperate::CopyFile(file, Path("copy")); }),
                  file == Path("folder") ? "<no error>" : expected);
    }
    EXPECT_FALSE(Exists("copy"));
    // A link to nothing is an absent file.
    ASSERT_EQ(::symlink("nothing", QFile::encodeName(Path("dangling")).constData()), 0);
    EXPECT_EQ(TFileOperate::ReadTextFile(Path("dangling")), "");
    EXPECT_EQ(TFileOperate::ReadFirstLine(Path("dangling")), std::nullopt);
    EXPECT_FALSE(TFileOperate::CopyFile(Path("dangling"), Path("copy")));
}

TEST_F(FileOperateTest, ReadFirstLineStopsAtTheLineEndOrFourKiB) {
    Write("a.txt", "first\r\nsecond\n");
    EXPECT_EQ(TFileOperate::ReadFirstLine(Path("a.txt")), QByteArray("first"));
    Write("b.txt", QByteArray(5000, 'x'));
    EXPECT_EQ(TFileOperate::ReadFirstLine(Path("b.txt")), QByteArray(4096, 'x'));
    EXPECT_EQ(TFileOperate::ReadFirstLine(Path("absent.txt")), std::nullopt);
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
    EXPECT_EQ(ErrorOf([&] { TFileOperate::SaveAnsiFile(Path("d"), Path("d/dir.txt"), "x"); }),
              Path("d/dir.txt") + ": " + Reason(EISDIR));
    EXPECT_EQ(ErrorOf([&] { TFileOperate::CopyFile(Path("d/x.txt"), Path("d/dir.txt")); }),
              Path("d/dir.txt") + ": " + Reason(EISDIR));
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
    EXPECT_EQ(ErrorOf([&] { TFileOperate::CopyFolder(Path("absent"), Path("z"), true); }),
              "无法进入文件夹: " + Path("absent"));
    EXPECT_FALSE(Exists("z"));
    EXPECT_FALSE(TFileOperate::CopyFile(Path("absent.txt"), Path("copy.txt")));
    EXPECT_FALSE(Exists("copy.txt"));
}

// Folders that link to each other are copied once each, their links as links; a link to a
// file is copied as the file.
TEST_F(FileOperateTest, CopyFolderCopiesFolderLinksAsLinks) {
    const int count = 7;
    for (int i = 0; i < count; ++i) {
        Write(QString("src/d%1/f.txt").arg(i), QByteArray::number(i));
        for (int j = 0; j < count; ++j)
            QFile::link(QString("../d%1").arg(j), Path(QString("src/d%1/to%2").arg(i).arg(j)));
    }
    QFile::link(Path("src"), Path("src/d0/absolute"));
    QFile::link("d1/f.txt", Path("src/file-link.txt"));
    for (int pass = 0; pass < 2; ++pass)
        ASSERT_TRUE(TFileOperate::CopyFolder(Path("src"), Path("dst"), pass == 0));
    int folders = 0;
    QDirIterator it(Path("dst"), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        folders += QFileInfo(it.next()).isDir() && !it.fileInfo().isSymLink() ? 1 : 0;
    EXPECT_EQ(folders, count);
    EXPECT_EQ(LinkTextOf(Path("dst/d3/to5")), "../d5");
    EXPECT_EQ(Read("dst/d3/to5/f.txt"), "5");
    EXPECT_EQ(LinkTextOf(Path("dst/d0/absolute")), Path("src"));
    EXPECT_FALSE(QFileInfo(Path("dst/file-link.txt")).isSymLink());
    EXPECT_EQ(Read("dst/file-link.txt"), "1");
    // A real folder where the source has a folder link is left as it is.
    QFile::remove(Path("dst/d2/to4"));
    Write("dst/d2/to4/mine.txt", "mine");
    ASSERT_TRUE(TFileOperate::CopyFolder(Path("src"), Path("dst"), false));
    EXPECT_EQ(Read("dst/d2/to4/mine.txt"), "mine");
}

// A link in the target tree is replaced by the copy, never written through.
TEST_F(FileOperateTest, CopyFolderReplacesLinksInTheTarget) {
    Write("src/a.txt", "a");
    Write("src/sub/b.txt", "b");
    Write("outside/a.txt", "outside a");
    Write("outside/sub/b.txt", "outside b");
    QDir().mkpath(Path("dst"));
    QFile::link(Path("outside/sub"), Path("dst/sub"));
    QFile::link(Path("outside/sub/b.txt"), Path("dst/b.txt"));
    ASSERT_TRUE(TFileOperate::CopyFolder(Path("src"), Path("dst"), false));
    EXPECT_FALSE(QFileInfo(Path("dst/sub")).isSymLink());
    EXPECT_EQ(Read("dst/sub/b.txt"), "b");
    EXPECT_EQ(Read("outside/sub/b.txt"), "outside b");
    QFile::link(Path("outside"), Path("linked"));
    ASSERT_TRUE(TFileOperate::CopyFolder(Path("src"), Path("linked"), false));
    EXPECT_FALSE(QFileInfo(Path("linked")).isSymLink());
    EXPECT_EQ(Read("linked/a.txt"), "a");
    EXPECT_EQ(Read("outside/a.txt"), "outside a");
}

TEST_F(FileOperateTest, MakeFolderBelowReplacesLinksBelowTheRoot) {
    QDir().mkpath(Path("outside"));
    QDir().mkpath(Path("root"));
    QFile::link(Path("outside"), Path("root/a"));
    TFileOperate::MakeFolderBelow(Path("root"), Path("root/a/b/c"));
    EXPECT_FALSE(QFileInfo(Path("root/a")).isSymLink());
    EXPECT_TRUE(QFileInfo(Path("root/a/b/c")).isDir());
    EXPECT_EQ(QDir(Path("outside")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList());
    Write("root/file", "");
    EXPECT_EQ(ErrorOf([&] { TFileOperate::MakeFolderBelow(Path("root"), Path("root/file/x")); }),
              "无法创建文件夹: " + Path("root/file"));
    EXPECT_EQ(ErrorOf([&] { TFileOperate::MakeFolderBelow(Path("root"), Path("other")); }),
              "无法创建文件夹: " + Path("other"));
}

TEST_F(FileOperateTest, RemovePartialFilesRemovesOnlyWhatWritesLeft) {
    const QStringList partial = {"a.txt.partial~x1z", "sub/deep/b.jsp.partial~0"};
    const QStringList kept = {"c.partial~", "d.partial~ABC", "e.partial~1.txt", "sub/f.txt"};
    for (const QString& name : partial + kept)
        Write("out/" + name, "");
    Write("outside/g.partial~1", "");
    QFile::link(Path("outside"), Path("out/link"));
    TFileOperate::RemovePartialFiles(Path("out"));
    for (const QString& name : partial)
        EXPECT_FALSE(Exists("out/" + name)) << name.toStdString();
    for (const QString& name : kept)
        EXPECT_TRUE(Exists("out/" + name)) << name.toStdString();
    EXPECT_TRUE(Exists("outside/g.partial~1"));
    TFileOperate::RemovePartialFiles(Path("absent"));
}

TEST_F(FileOperateTest, MarkersAreReplacedCaseSensitivelyWithoutRescanning) {
    EXPECT_EQ(TFileOperate::ReplaceMarker("$a-$A-$a", "$a", "[$a]"), "[$a]-$A-[$a]");
    EXPECT_EQ(TFileOperate::ReplaceMarker("x", "", "y"), "x");
}
