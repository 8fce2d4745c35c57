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

size_t SkipLength(const TConversion& conversion, const char* in, size_t left) {
    if (!conversion.fromUtf8)
        return 1;
    const auto lead = static_cast<unsigned char>(*in);
    const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    return std::min(length, left);
}

QByteArray Convert(const TConversion& conversion, const QByteArray& input, int* failures) {
    iconv_t cd = iconv_open(conversion.to, conversion.from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw TFileError(QStringLiteral("系统不支持GBK编码转换"));
    QByteArray source = input;
    char* in = source.data();
    size_t inLeft = size_t(source.size());
    QByteArray result;
    char buffer[4096];
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        const size_t done = iconv(cd, &in, &inLeft, &out, &outLeft);
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
    iconv_close(cd);
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

void MakeFolder(const QString& folder) {
    if (!QDir().mkpath(folder))
        throw TFileError(QStringLiteral("无法创建文件夹: %1").arg(folder));
}

// Closes a file descriptor when it goes out of scope.
struct TFileDescriptor {
    int fd = -1;
    ~TFileDescriptor() {
        if (fd >= 0)
            ::close(fd);
    }
};

// Creates a new file beside target, named target + ".tmp" + a random suffix.
int CreateTemporary(const QByteArray& target, QByteArray& name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = target + ".tmp" + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool WriteAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    size_t left = size_t(bytes.size());
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        left -= size_t(written);
    }
    return true;
}

// Writes the whole file or, on failure, leaves any earlier file as it was: the bytes go to a
// new file in the same folder, which is synced and then renamed over the target. A link at
// the target is replaced, not followed.
void WriteBytes(const QString& fileName, const QByteArray& bytes) {
    const QByteArray target = QFile::encodeName(fileName);
    QByteArray temporary;
    TFileDescriptor file{CreateTemporary(target, temporary)};
    bool ok = file.fd >= 0 && WriteAll(file.fd, bytes);
    if (file.fd >= 0)
        ok = ::close(std::exchange(file.fd, -1)) == 0 && ok;
    ok = ok && ::rename(temporary.constData(), target.constData()) == 0;
    if (ok)
        return;
    const QString reason = QString::fromLocal8Bit(std::strerror(errno));
    if (!temporary.isEmpty())
        ::unlink(temporary.constData());
    throw TFileError(QStringLiteral("无法写入文件: %1 (%2)").arg(fileName, reason));
}

QByteArray ReadBytes(const QString& fileName) {
    QFile file(fileName);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    if (!file.isOpen() || file.error() != QFileDevice::NoError)
        throw TFileError(QStringLiteral("无法读取文件: %1 (%2)").arg(fileName, file.errorString()));
    return bytes;
}

void CheckEnterable(const QString& folder) {
    const QFileInfo info(folder);
    if (!info.isDir() || !info.isExecutable())
        throw TFileError(QStringLiteral("无法进入文件夹: %1").arg(folder));
}

// The entry names of folder except "." and ".."; false when it cannot be listed.
bool ListFolder(const QString& folder, QStringList& names) {
    DIR* dir = opendir(QFile::encodeName(folder).constData());
    if (dir == nullptr)
        return false;
    while (const dirent* entry = readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name != QLatin1String(".") && name != QLatin1String(".."))
            names.append(name);
    }
    closedir(dir);
    return true;
}

// Copies the listed entries; ancestors holds the canonical source folders being copied, so
// that a link back to one of them is not followed forever.
void CopyEntries(const QString& source, const QStringList& names, const QString& target,
                 bool failIfExists, QStringList& ancestors) {
    for (const QString& name : names) {
        const QString from = QDir(source).filePath(name);
        const QString to = QDir(target).filePath(name);
        const QFileInfo info(from);
        if (!info.isDir()) {
            if (!failIfExists || !QFileInfo::exists(to))
                TFileOperate::CopyFile(from, to);
            continue;
        }
        if (ancestors.contains(info.canonicalFilePath()))
            continue;
        CheckEnterable(from);
        QStringList children;
        if (!ListFolder(from, children))
            throw TFileError(QStringLiteral("无法读取文件夹: %1").arg(from));
        MakeFolder(to);
        ancestors.append(info.canonicalFilePath());
        CopyEntries(from, children, to, false, ancestors);
        ancestors.removeLast();
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
    MakeFolder(to);
    QStringList ancestors{QFileInfo(from).canonicalFilePath()};
    CopyEntries(from, names, to, failIfExists, ancestors);
    return true;
}

bool TFileOperate::CopyFile(const QString& source, const QString& target) {
    const QString from = ToPath(source);
    const QString to = ToPath(target);
    const QFileInfo info(from);
    if (!info.exists() || info.isDir())
        return false;
    WriteBytes(to, ReadBytes(from));
    QFile::setPermissions(to, info.permissions());
    return true;
}

QString TFileOperate::ReadTextFile(const QString& fileName) {
    const QString path = ToPath(fileName);
    if (!QFileInfo::exists(path))
        return QString();
    QByteArray bytes = ReadBytes(path);
    // A line ends at LF or CR LF, and a lone CR is dropped: so every CR goes.
    bytes.removeIf([](char c) { return c == '\r'; });
    if (bytes.isEmpty())
        return QString();
    if (!bytes.endsWith('\n'))
        bytes.append('\n');
    return DecodeGbk(bytes.replace("\n", "\r\n"));
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

std::optional<QByteArray> TFileOperate::ReadFirstLine(const QString& fileName) {
    const QString path = ToPath(fileName);
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw TFileError(QStringLiteral("无法读取文件: %1 (%2)").arg(fileName, file.errorString()));
    QByteArray line = file.readLine(4096);
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return line;
}

void TFileOperate::SyncFileSystem(const QString& folder) {
    TFileDescriptor dir{
        ::open(QFile::encodeName(ToPath(folder)).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (dir.fd < 0 || ::syncfs(dir.fd) != 0)
        throw TFileError(QStringLiteral("无法写入文件夹: %1 (%2)")
                             .arg(folder, QString::fromLocal8Bit(std::strerror(errno))));
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
