// Atomic files: whole-file writes that replace a link rather than follow it, guarded reads of
// regular files, the clean-up of interrupted writes and the flush of a run.
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "FileSupport.h"

using namespace FileSupport;

namespace FileSupport {

// Files being written are named target + kPartial + a random suffix until they are complete.
const QByteArray kPartial(".partial~");

QByteArray PartialName(const QByteArray& target) {
    return target + kPartial + QByteArray::number(QRandomGenerator::global()->generate(), 36);
}

bool IsPartialName(const QString& name) {
    const qsizetype at = name.lastIndexOf(QLatin1String(kPartial));
    if (at <= 0 || at + kPartial.size() == name.size())
        return false;
    return std::all_of(name.begin() + at + kPartial.size(), name.end(), [](QChar c) {
        return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
               (c >= QLatin1Char('a') && c <= QLatin1Char('z'));
    });
}

// Creates a new file beside target under a partial name.
int CreateTemporary(const QByteArray& target, QByteArray& name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = PartialName(target);
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// 0 when every byte was written, else the error.
int WriteAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    size_t left = size_t(bytes.size());
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : EIO;
        data += written;
        left -= size_t(written);
    }
    return 0;
}

// Writes the whole file or, on failure, leaves any earlier file as it was: the bytes go to a
// new file in the same folder, which is renamed over the target once complete. A link at the
// target is replaced, not followed. With mode, the file gets those permission bits. Returns 0
// or the error.
int TryWriteBytes(const QString& fileName, const QByteArray& bytes, int mode) {
    const QByteArray target = QFile::encodeName(fileName);
    QByteArray temporary;
    TFileDescriptor file(CreateTemporary(target, temporary));
    if (file.Get() < 0)
        return errno;
    int error = WriteAll(file.Get(), bytes);
    if (error == 0 && mode >= 0 && ::fchmod(file.Get(), mode_t(mode)) != 0)
        error = errno;
    const int closed = file.Close();
    error = error != 0 ? error : closed;
    if (error == 0 && ::rename(temporary.constData(), target.constData()) != 0)
        error = errno;
    if (error != 0)
        ::unlink(temporary.constData());
    return error;
}

// True when path is a regular file, not a link, holding exactly bytes (and with mode those
// permission bits). Any doubt reads as a difference: the file is then written.
bool HoldsBytes(const QByteArray& path, const QByteArray& bytes, int mode) {
    TFileDescriptor file(::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (file.Get() < 0)
        return false;
    struct stat status;
    if (::fstat(file.Get(), &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_size != bytes.size() || (mode >= 0 && int(status.st_mode & 07777) != mode))
        return false;
    QByteArray held(bytes.size() + 1, Qt::Uninitialized);
    qsizetype got = 0;
    while (got < held.size()) {
        const ssize_t part = ::read(file.Get(), held.data() + got, size_t(held.size() - got));
        if (part < 0 && errno == EINTR)
            continue;
        if (part <= 0)
            break;
        got += part;
    }
    return got == bytes.size() && std::equal(bytes.begin(), bytes.end(), held.begin());
}

void WriteBytes(const QString& fileName, const QByteArray& bytes, int mode) {
    if (const int error = TryWriteBytes(fileName, bytes, mode); error != 0)
        throw WriteError(fileName, error);
}

// Puts a link with the given text at fileName, replacing whatever file or link is there.
void WriteLink(const QString& fileName, const QByteArray& linkText) {
    const QByteArray target = QFile::encodeName(fileName);
    QByteArray temporary;
    int error = EEXIST;
    for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
        temporary = PartialName(target);
        error = ::symlink(linkText.constData(), temporary.constData()) == 0 ? 0 : errno;
    }
    if (error != 0)
        throw WriteError(fileName, error);
    if (::rename(temporary.constData(), target.constData()) == 0)
        return;
    error = errno;
    ::unlink(temporary.constData());
    throw WriteError(fileName, error);
}

QByteArray LinkText(const QString& link) {
    QByteArray text(4096, Qt::Uninitialized);
    const ssize_t length = ::readlink(QFile::encodeName(link).constData(), text.data(), 4096);
    if (length < 0)
        throw ReadError(link, Reason(errno));
    text.truncate(length);
    return text;
}

// Opens a regular file for reading and sets mode to its permission bits: -1 when it does not
// exist. Anything else that cannot be read is an error; a FIFO or device is refused without
// waiting for a writer or reading on.
int OpenRegular(const QString& fileName, mode_t& mode) {
    const int fd =
        ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT)
        return -1;
    if (fd < 0)
        throw ReadError(fileName, Reason(errno));
    TFileDescriptor file(fd);
    struct stat status;
    if (::fstat(fd, &status) != 0)
        throw ReadError(fileName, Reason(errno));
    if (S_ISDIR(status.st_mode))
        throw ReadError(fileName, Reason(EISDIR));
    if (!S_ISREG(status.st_mode))
        throw ReadError(fileName, kNotRegular);
    mode = status.st_mode & 0777;
    return file.Release();
}

// At most limit bytes (all with -1) from the open file.
QByteArray ReadFrom(int fd, const QString& fileName, qint64 limit) {
    QByteArray bytes;
    char buffer[65536];
    while (limit < 0 || bytes.size() < limit) {
        const qint64 left = limit < 0 ? qint64(sizeof buffer) : limit - bytes.size();
        const ssize_t got = ::read(fd, buffer, size_t(std::min<qint64>(sizeof buffer, left)));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw ReadError(fileName, Reason(errno));
        if (got == 0)
            break;
        bytes.append(buffer, got);
    }
    return bytes;
}

// At most limit bytes of the file; nothing when it does not exist. With mode, also its
// permission bits.
std::optional<QByteArray> ReadRegular(const QString& fileName, qint64 limit, mode_t* mode) {
    mode_t bits = 0;
    TFileDescriptor file(OpenRegular(fileName, bits));
    if (file.Get() < 0)
        return std::nullopt;
    if (mode != nullptr)
        *mode = bits;
    return ReadFrom(file.Get(), fileName, limit);
}

QString TooLargeText(qint64 limit) {
    return QStringLiteral("文件大于%1 MiB").arg(limit / (1024 * 1024));
}

} // namespace FileSupport

namespace {

// The type the listing gives, else that of the entry itself (never of what a link points to).
bool IsFolderEntry(const dirent& entry, const QByteArray& path) {
    if (entry.d_type != DT_UNKNOWN)
        return entry.d_type == DT_DIR;
    struct stat status;
    return ::lstat(path.constData(), &status) == 0 && S_ISDIR(status.st_mode);
}

// One listing per folder, no call per file but for the partial files' unlink.
void RemovePartial(const QByteArray& folder) {
    const TDir dir(opendir(folder.constData()));
    if (dir == nullptr)
        return;
    while (const dirent* entry = readdir(dir.get())) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        const QByteArray path = folder + '/' + name;
        if (IsFolderEntry(*entry, path))
            RemovePartial(path);
        else if (IsPartialName(QFile::decodeName(name)))
            ::unlink(path.constData());
    }
}

} // namespace

TFileError::TFileError(const QString& message) : std::runtime_error(message.toStdString()) {}

QByteArray TFileOperate::ReadWholeFile(const QString& fileName, qint64 limit) {
    mode_t mode = 0;
    TFileDescriptor file(OpenRegular(fileName, mode));
    if (file.Get() < 0)
        throw ReadError(fileName, Reason(ENOENT));
    struct stat status;
    if (::fstat(file.Get(), &status) != 0)
        throw ReadError(fileName, Reason(errno));
    // The size may change while it is read: at most one byte more than the limit is read.
    if (status.st_size > limit)
        throw ReadError(fileName, TooLargeText(limit));
    QByteArray bytes = ReadFrom(file.Get(), fileName, limit + 1);
    if (bytes.size() > limit)
        throw ReadError(fileName, TooLargeText(limit));
    return bytes;
}

void TFileOperate::ReplaceRegularFile(const QString& fileName, const QByteArray& bytes) {
    struct stat status;
    int mode = -1;
    if (::lstat(QFile::encodeName(fileName).constData(), &status) == 0) {
        if (!S_ISREG(status.st_mode))
            throw TFileError(QStringLiteral("无法写入文件: %1 (%2)").arg(fileName, kNotRegular));
        mode = int(status.st_mode & 07777);
    }
    if (const int error = TryWriteBytes(fileName, bytes, mode); error != 0)
        throw TFileError(QStringLiteral("无法写入文件: %1 (%2)").arg(fileName, Reason(error)));
}

bool TFileOperate::WriteIfChanged(const QString& fileName, const QByteArray& bytes, int mode) {
    if (HoldsBytes(QFile::encodeName(fileName), bytes, mode))
        return false;
    WriteBytes(fileName, bytes, mode);
    return true;
}

void TFileOperate::WriteWhole(const QString& fileName, const QByteArray& bytes) {
    WriteBytes(fileName, bytes);
}

void TFileOperate::SaveTextFile(const QString& folder, const QString& fileName,
                                const QString& text) {
    MakeFolder(ToPath(folder));
    WriteUtf8File(text, fileName);
}

int TFileOperate::SaveAnsiFile(const QString& folder, const QString& fileName,
                               const QString& text) {
    MakeFolder(ToPath(folder));
    int replaced = 0;
    WriteBytes(ToPath(fileName), EncodeGbk(text, &replaced));
    return replaced;
}

void TFileOperate::WriteUtf8File(const QString& text, const QString& fileName) {
    WriteBytes(ToPath(fileName), QByteArray("\xEF\xBB\xBF") + text.toUtf8());
}

void TFileOperate::SaveUtf8File(const QString& folder, const QString& fileName,
                                const QString& text) {
    MakeFolder(ToPath(folder));
    WriteBytes(ToPath(fileName), text.toUtf8());
}

void TFileOperate::MakeFolderBelow(const QString& root, const QString& folder) {
    const QString base = ToPath(root);
    MakeFolder(base);
    const QString relative = QDir(base).relativeFilePath(ToPath(folder));
    if (relative == QLatin1String("..") || relative.startsWith(QLatin1String("../")) ||
        QDir::isAbsolutePath(relative))
        throw TFileError(QStringLiteral("无法创建文件夹: %1").arg(folder));
    QString path = base;
    for (const QString& part : relative.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        path = QDir(path).filePath(part);
        MakeRealFolder(path);
    }
}

void TFileOperate::RemovePartialFiles(const QString& folder) {
    RemovePartial(QFile::encodeName(ToPath(folder)));
}

std::optional<QByteArray> TFileOperate::ReadFirstLine(const QString& fileName) {
    std::optional<QByteArray> line = ReadRegular(ToPath(fileName), 4096);
    if (!line)
        return std::nullopt;
    const qsizetype end = line->indexOf('\n');
    if (end >= 0)
        line->truncate(end);
    while (line->endsWith('\r'))
        line->chop(1);
    return line;
}

void TFileOperate::SyncFileSystem(const QString& folder) {
    TFileDescriptor dir(
        ::open(QFile::encodeName(ToPath(folder)).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() < 0 || ::syncfs(dir.Get()) != 0)
        throw TFileError(QStringLiteral("无法写入文件夹: %1 (%2)").arg(folder, Reason(errno)));
}
