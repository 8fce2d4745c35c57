#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <stdexcept>

#include "FileLock.h"

// A file or folder that cannot be entered, listed, read or written.
class TFileError : public std::runtime_error {
public:
    explicit TFileError(const QString& message);
    QString Message() const { return QString::fromUtf8(what()); }
};

// The files a folder copy wrote and those it left as they were (same bytes), by target path.
struct TCopyReport {
    QStringList written;
    QStringList unchanged;
};

// File operations of the generators. Paths may use "\" or "/" as separator; nothing here uses
// or changes the process's current directory. Templates and ANSI files are GBK bytes.
// Defined by job: GbkText.cpp (GBK text, templates, markers), AtomicFile.cpp (whole-file
// writes, guarded reads, partial files), FolderCopy.cpp (folder and file copies); the lock is
// FileLock.h.
class TFileOperate {
public:
    TFileOperate() = delete;

    // Copies every file and sub-folder of source into target. With failIfExists, files already
    // directly in target are kept; files in sub-folders are always replaced. A link to a
    // folder is copied as a link with the same text (a real folder already at its place is
    // kept); a link to a file is copied as the file's content. A link at target or at a
    // sub-folder of it is replaced, never written through. Returns false, creating nothing,
    // when source cannot be listed; throws when it cannot be entered.
    // A target file that already holds the source's bytes and permissions is left as it is;
    // with report, the files copied and those left are added to it.
    // The files of skipped (relative to target, "/"-separated) are left out.
    static bool CopyFolder(const QString& source, const QString& target, bool failIfExists,
                           TCopyReport* report = nullptr, const QStringList& skipped = {});
    // Copies one file's bytes and permissions, made writable by the owner, replacing target
    // unless it holds them already (then changed, when given, is set false).
    // False when source does not exist or is a folder.
    static bool CopyFile(const QString& source, const QString& target, bool* changed = nullptr);

    // The file's lines, each followed by CR LF; the empty text when it does not exist. A file
    // that exists but cannot be read (no permission, a link loop, a folder, a FIFO or device)
    // is an error naming it.
    static QString ReadTextFile(const QString& fileName);
    // The two below take fileName as it is ("\\" is no separator).
    // The whole of a regular file of at most limit bytes. A missing file, anything but a
    // regular file (a FIFO or device is refused without waiting for it) and a larger file
    // are errors: "无法读取文件: <file> (<reason>)", the size as "文件大于<limit in MiB> MiB".
    static QByteArray ReadWholeFile(const QString& fileName, qint64 limit);
    // Replaces a regular file whole, keeping its permission bits, or creates it: the bytes go
    // to a new file renamed over it. Anything else at fileName (a link, folder, FIFO or device)
    // is refused and left as it is; errors read "无法写入文件: <file> (<reason>)".
    static void ReplaceRegularFile(const QString& fileName, const QByteArray& bytes);
    // Writes fileName whole like the writers below, unless it is a regular file (not a link)
    // holding exactly these bytes, and with mode those permission bits: then it is left as it
    // is, its time and inode kept. Its folder must exist. True when the file was written.
    static bool WriteIfChanged(const QString& fileName, const QByteArray& bytes, int mode = -1);
    // Writes fileName whole like the writers below, without looking at what is there.
    static void WriteWhole(const QString& fileName, const QByteArray& bytes);

    // Every writer below replaces the whole file at once: a failed write, reported as
    // "<file>: <reason>", leaves the earlier file as it was, and a link at fileName is
    // replaced rather than followed.
    // Creates folder with every missing level, then writes fileName as BOM + UTF-8.
    static void SaveTextFile(const QString& folder, const QString& fileName, const QString& text);
    // Creates folder, then writes fileName as GBK bytes. A character GBK cannot hold is
    // written as "?"; returns how many were.
    static int SaveAnsiFile(const QString& folder, const QString& fileName, const QString& text);
    static void WriteUtf8File(const QString& text, const QString& fileName);
    // Creates folder, then writes fileName as UTF-8 without a byte-order mark.
    static void SaveUtf8File(const QString& folder, const QString& fileName, const QString& text);
    // The first line of the file (at most 4 KiB, without its line end), or nothing when the file
    // does not exist; a file that exists but cannot be read is an error.
    static std::optional<QByteArray> ReadFirstLine(const QString& fileName);
    // Creates folder, which lies below root, with every missing level; a link at any level
    // below root is replaced by a folder, so that nothing is written through it.
    static void MakeFolderBelow(const QString& root, const QString& folder);
    // Removes what interrupted writes left in folder and its sub-folders.
    static void RemovePartialFiles(const QString& folder);
    // Flushes the file system that holds folder to disk.
    static void SyncFileSystem(const QString& folder);

    // Replaces every occurrence of marker, case-sensitive, left to right; inserted text is not
    // scanned again.
    static QString ReplaceMarker(const QString& text, const QString& marker, const QString& value);

    // Unencodable characters become "?" (counted in replaced); undecodable bytes U+FFFD.
    static QByteArray EncodeGbk(const QString& text, int* replaced = nullptr);
    static QString DecodeGbk(const QByteArray& bytes);
};
