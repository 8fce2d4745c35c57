#pragma once

// What the file utilities (GbkText, AtomicFile, FolderCopy, FileLock) share; not for use
// outside them.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <dirent.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "FileOperate.h"

namespace FileSupport {

struct TDirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};
using TDir = std::unique_ptr<DIR, TDirCloser>;

// Owns a file descriptor and closes it when it goes out of scope.
class TFileDescriptor {
public:
    explicit TFileDescriptor(int fd) : fd_(fd) {}
    TFileDescriptor(const TFileDescriptor&) = delete;
    TFileDescriptor& operator=(const TFileDescriptor&) = delete;
    ~TFileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int Get() const { return fd_; }
    int Release() { return std::exchange(fd_, -1); }
    // Closes now; 0 or the error of close.
    int Close() {
        const int result = ::close(std::exchange(fd_, -1));
        return result == 0 ? 0 : errno;
    }

private:
    int fd_;
};

// "\\" as "/".
QString ToPath(const QString& path);
QString Reason(int error);
TFileError WriteError(const QString& fileName, int error);
TFileError ReadError(const QString& fileName, const QString& reason);
inline const QString kNotRegular = QStringLiteral("不是普通文件");
void MakeFolder(const QString& folder);
// The entry names of folder except "." and ".."; false when it cannot be listed.
bool ListFolder(const QString& folder, QStringList& names);
// The type bits of path itself, not of what a link there points to; 0 when nothing is there.
mode_t TypeOf(const QString& path);
// Creates folder; a link in its place is replaced by a folder, never followed.
void MakeRealFolder(const QString& folder);

// AtomicFile: whole-file writes through a partial file renamed over the target.
// Returns 0 or the error; with mode, the file gets those permission bits.
int TryWriteBytes(const QString& fileName, const QByteArray& bytes, int mode);
void WriteBytes(const QString& fileName, const QByteArray& bytes, int mode = -1);
// Puts a link with the given text at fileName, replacing whatever file or link is there.
void WriteLink(const QString& fileName, const QByteArray& linkText);
QByteArray LinkText(const QString& link);
// At most limit bytes of the regular file; nothing when it does not exist. With mode, also
// its permission bits.
std::optional<QByteArray> ReadRegular(const QString& fileName, qint64 limit = -1,
                                      mode_t* mode = nullptr);

} // namespace FileSupport
