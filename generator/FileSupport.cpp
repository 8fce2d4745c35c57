#include "FileSupport.h"

#include <QDir>
#include <QFile>
#include <cstring>

namespace FileSupport {

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

void MakeFolder(const QString& folder) {
    if (!QDir().mkpath(folder))
        throw TFileError(QStringLiteral("无法创建文件夹: %1").arg(folder));
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

} // namespace FileSupport
