#include "FileLock.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "FileSupport.h"

using namespace FileSupport;

namespace {

// Opens or creates a lock file. O_NONBLOCK: a FIFO there must not wait for a writer; like a
// device, it is refused once open.
int OpenLockFile(const QString& path) {
    TFileDescriptor file(::open(QFile::encodeName(path).constData(),
                                O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666));
    if (file.Get() < 0)
        throw WriteError(path, errno);
    struct stat status;
    if (::fstat(file.Get(), &status) != 0)
        throw WriteError(path, errno);
    if (!S_ISREG(status.st_mode))
        throw TFileError(path + QStringLiteral(": ") + kNotRegular);
    return file.Release();
}

} // namespace

TFileLock::TFileLock(const QString& fileName) {
    const QString path = ToPath(fileName);
    MakeFolder(QFileInfo(path).path());
    fd_ = OpenLockFile(path);
    int result;
    do
        result = ::flock(fd_, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    held_ = result == 0;
    if (held_ || errno == EWOULDBLOCK)
        return;
    const int error = errno;
    ::close(fd_);
    throw WriteError(path, error);
}

TFileLock::~TFileLock() {
    ::close(fd_);
}
