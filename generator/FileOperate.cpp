#include "FileOperate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <iconv.h>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <type_traits>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// One direction of an iconv conversion and what stands in for input it cannot convert.
struct TConversion {
    const char* to;
    const char* from;
    QByteArray replacement;
    bool fromUtf8; // skip a whole UTF-8 sequence rather than one byte
};

const TConversion kToGbk{"GBK", "UTF-8", QByteArray("?"), true};
const TConversion kFromGbk{"UTF-8", "GBK", QByteArray("\xEF\xBF\xBD"), false};

struct TIconvCloser {
    void operator()(iconv_t cd) const { iconv_close(cd); }
};
using TIconv = std::unique_ptr<std::remove_pointer_t<iconv_t>, TIconvCloser>;

struct TDirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};
using TDir = std::unique_ptr<DIR, TDirCloser>;

size_t SkipLength(const TConversion& conversion, const char* in, size_t left) {
    if (!conversion.fromUtf8)
        return 1;
    const auto lead = static_cast<unsigned char>(*in);
    const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    return std::min(length, left);
}

TIconv OpenConversion(const TConversion& conversion) {
    const iconv_t cd = iconv_open(conversion.to, conversion.from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw TFileError(QStringLiteral("系统不支持GBK编码转换"));
    return TIconv(cd);
}

QByteArray Convert(const TConversion& conversion, const QByteArray& input, int* failures) {
    const TIconv cd = OpenConversion(conversion);
    QByteArray source = input;
    char* in = source.data();
    size_t inLeft = size_t(source.size());
    QByteArray result;
    char buffer[4096];
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        const size_t done = iconv(cd.get(), &in, &inLeft, &out, &outLeft);
        result.append(buffer, out - buffer);
        if (done != size_t(-1) || errno == E2BIG)
            continue;
        const size_t skip = SkipLength(conversion, in, inLeft);
        in += skip;
        inLeft -= skip;
        result.append(conversion.replacement);
        if (failures != nullptr)
            ++*failures;
    }
    return result;
}

// The GBK bytes of one character of the basic plane.
struct TGbkChar {
    char bytes[2];
    quint8 length = 0; // 0: not converted yet
    bool failed = false;
};

// Converts each character once per thread; later look-ups keep iconv off the path of long
// generated texts.
const TGbkChar& GbkOf(char16_t c) {
    thread_local std::vector<TGbkChar> table(0x10000);
    TGbkChar& entry = table[c];
    if (entry.length == 0) {
        int failed = 0;
        const QByteArray bytes = Convert(kToGbk, QString(QChar(c)).toUtf8(), &failed);
        entry.length = quint8(std::min<qsizetype>(bytes.size(), 2));
        std::copy_n(bytes.constData(), entry.length, entry.bytes);
        entry.failed = failed > 0;
    }
    return entry;
}

QString ToPath(const QString& path) {
    QString result = path;
    return result.replace(QLatin1Char('\\'), QLatin1Char('/'));
}

QString Reason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

TFileError WriteError(const QString& fileName, int error) {
    return TFileError(fileName + QStringLiteral(": ") + Reason(error));
}

TFileError ReadError(const QString& fileName, const QString& reason) {
    return TFileError(QStringLiteral("无法读取文件: %1 (%2)").arg(fileName, reason));
}

const QString kNotRegular = QStringLiteral("不是普通文件");

void MakeFolder(const QString& folder) {
    if (!QDir().mkpath(folder))
        throw TFileError(QStringLiteral("无法创建文件夹: %1").arg(folder));
}

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

void WriteBytes(const QString& fileName, const QByteArray& bytes, int mode = -1) {
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
std::optional<QByteArray> ReadRegular(const QString& fileName, qint64 limit = -1,
                                      mode_t* mode = nullptr) {
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

void CheckEnterable(const QString& folder) {
    const QFileInfo info(folder);
    if (!info.isDir() || !info.isExecutable())
        throw TFileError(QStringLiteral("无法进入文件夹: %1").arg(folder));
}

// The entry names of folder except "." and ".."; false when it cannot be listed.
bool ListFolder(const QString& folder, QStringList& names) {
    const TDir dir(opendir(QFile::encodeName(folder).constData()));
    if (dir == nullptr)
        return false;
    while (const dirent* entry = readdir(dir.get())) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name != QLatin1String(".") && name != QLatin1String(".."))
            names.append(name);
    }
    return true;
}

// The type bits of path itself, not of what a link there points to; 0 when nothing is there.
mode_t TypeOf(const QString& path) {
    struct stat status;
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & S_IFMT : 0;
}

// Creates folder; a link in its place is replaced by a folder, never followed.
void MakeRealFolder(const QString& folder) {
    if (TypeOf(folder) == S_IFLNK && ::unlink(QFile::encodeName(folder).constData()) != 0)
        throw TFileError(QStringLiteral("无法创建文件夹: %1 (%2)").arg(folder, Reason(errno)));
    MakeFolder(folder);
}

void CopyEntries(const QString& source, const QStringList& names, const QString& target,
                 bool failIfExists);

void CopySubFolder(const QString& from, const QString& to) {
    CheckEnterable(from);
    QStringList children;
    if (!ListFolder(from, children))
        throw TFileError(QStringLiteral("无法读取文件夹: %1").arg(from));
    MakeRealFolder(to);
    CopyEntries(from, children, to, false);
}

// A link to a folder is copied as a link with the same text, so that folders linking to each
// other are copied once. A real folder already in its place is left as it is.
void CopyFolderLink(const QString& from, const QString& to) {
    if (TypeOf(to) != S_IFDIR)
        WriteLink(to, LinkText(from));
}

void CopyEntries(const QString& source, const QStringList& names, const QString& target,
                 bool failIfExists) {
    for (const QString& name : names) {
        const QString from = QDir(source).filePath(name);
        const QString to = QDir(target).filePath(name);
        const QFileInfo info(from);
        if (info.isDir() && info.isSymLink())
            CopyFolderLink(from, to);
        else if (info.isDir())
            CopySubFolder(from, to);
        else if (!failIfExists || !QFileInfo::exists(to))
            TFileOperate::CopyFile(from, to);
    }
}

void RemovePartial(const QString& folder) {
    QStringList names;
    if (!ListFolder(folder, names))
        return;
    for (const QString& name : names) {
        const QString path = QDir(folder).filePath(name);
        const mode_t type = TypeOf(path);
        if (type == S_IFDIR)
            RemovePartial(path);
        else if (type != 0 && IsPartialName(name))
            ::unlink(QFile::encodeName(path).constData());
    }
}

} // namespace

TFileError::TFileError(const QString& message) : std::runtime_error(message.toStdString()) {}

bool TFileOperate::CopyFolder(const QString& source, const QString& target, bool failIfExists) {
    const QString from = ToPath(source);
    const QString to = ToPath(target);
    CheckEnterable(from);
    QStringList names;
    if (!ListFolder(from, names))
        return false;
    MakeRealFolder(to);
    CopyEntries(from, names, to, failIfExists);
    return true;
}

bool TFileOperate::CopyFile(const QString& source, const QString& target) {
    const QString from = ToPath(source);
    if (QFileInfo(from).isDir())
        return false;
    mode_t mode = 0;
    const std::optional<QByteArray> bytes = ReadRegular(from, -1, &mode);
    if (!bytes)
        return false;
    WriteBytes(ToPath(target), *bytes, int(mode | S_IWUSR));
    return true;
}

QString TFileOperate::ReadTextFile(const QString& fileName) {
    std::optional<QByteArray> read = ReadRegular(ToPath(fileName));
    if (!read)
        return QString();
    QByteArray& bytes = *read;
    // A line ends at LF or CR LF, and a lone CR is dropped: so every CR goes.
    bytes.removeIf([](char c) { return c == '\r'; });
    if (bytes.isEmpty())
        return QString();
    if (!bytes.endsWith('\n'))
        bytes.append('\n');
    return DecodeGbk(bytes.replace("\n", "\r\n"));
}

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
    RemovePartial(ToPath(folder));
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

QString TFileOperate::ReplaceMarker(const QString& text, const QString& marker,
                                    const QString& value) {
    if (marker.isEmpty())
        return text;
    QString result = text;
    return result.replace(marker, value, Qt::CaseSensitive);
}

// ASCII is the same in GBK; other characters of the basic plane come from GbkOf, and a
// surrogate pair is converted each time.
QByteArray TFileOperate::EncodeGbk(const QString& text, int* replaced) {
    // A UTF-16 unit never takes more than two bytes in GBK.
    QByteArray result(text.size() * 2, Qt::Uninitialized);
    char* out = result.data();
    int failures = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80) {
            *out++ = char(c);
        } else if (QChar::isSurrogate(c)) {
            const qsizetype units =
                QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()
                    ? 2
                    : 1;
            const QByteArray bytes = Convert(kToGbk, text.mid(i, units).toUtf8(), &failures);
            out = std::copy_n(bytes.constData(), std::min(bytes.size(), 2 * units), out);
            i += units - 1;
        } else {
            const TGbkChar& gbk = GbkOf(c);
            out = std::copy_n(gbk.bytes, gbk.length, out);
            failures += gbk.failed ? 1 : 0;
        }
    }
    result.truncate(out - result.constData());
    if (replaced != nullptr)
        *replaced += failures;
    return result;
}

QString TFileOperate::DecodeGbk(const QByteArray& bytes) {
    return QString::fromUtf8(Convert(kFromGbk, bytes, nullptr));
}

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
