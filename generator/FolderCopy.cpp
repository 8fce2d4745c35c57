// The link-aware folder copy of the scaffolding and the single-file copy.
#include <QDir>
#include <QFileInfo>
#include <sys/stat.h>

#include "FileSupport.h"

using namespace FileSupport;

namespace {

void CheckEnterable(const QString& folder) {
    const QFileInfo info(folder);
    if (!info.isDir() || !info.isExecutable())
        throw TFileError(QStringLiteral("无法进入文件夹: %1").arg(folder));
}

void CopyEntries(const QString& source, const QStringList& names, const QString& target,
                 bool failIfExists, TCopyReport* report, const QStringList& skipped);

void CopySubFolder(const QString& from, const QString& to, TCopyReport* report,
                   const QStringList& skipped) {
    CheckEnterable(from);
    QStringList children;
    if (!ListFolder(from, children))
        throw TFileError(QStringLiteral("无法读取文件夹: %1").arg(from));
    MakeRealFolder(to);
    CopyEntries(from, children, to, false, report, skipped);
}

void CopyReported(const QString& from, const QString& to, TCopyReport* report) {
    bool changed = true;
    if (TFileOperate::CopyFile(from, to, &changed) && report != nullptr)
        (changed ? report->written : report->unchanged).append(to);
}

// A link to a folder is copied as a link with the same text, so that folders linking to each
// other are copied once. A real folder already in its place is left as it is.
void CopyFolderLink(const QString& from, const QString& to) {
    if (TypeOf(to) != S_IFDIR)
        WriteLink(to, LinkText(from));
}

void CopyEntries(const QString& source, const QStringList& names, const QString& target,
                 bool failIfExists, TCopyReport* report, const QStringList& skipped) {
    for (const QString& name : names) {
        const QString from = QDir(source).filePath(name);
        const QString to = QDir(target).filePath(name);
        const QFileInfo info(from);
        if (skipped.contains(to))
            continue;
        if (info.isDir() && info.isSymLink())
            CopyFolderLink(from, to);
        else if (info.isDir())
            CopySubFolder(from, to, report, skipped);
        else if (!failIfExists || !QFileInfo::exists(to))
            CopyReported(from, to, report);
        else if (report != nullptr)
            report->unchanged.append(to); // kept as it is, whatever it holds
    }
}

} // namespace

bool TFileOperate::CopyFolder(const QString& source, const QString& target, bool failIfExists,
                              TCopyReport* report, const QStringList& skipped) {
    const QString from = ToPath(source);
    const QString to = ToPath(target);
    CheckEnterable(from);
    QStringList names;
    if (!ListFolder(from, names))
        return false;
    MakeRealFolder(to);
    QStringList skippedPaths;
    for (const QString& relative : skipped)
        skippedPaths << QDir(to).filePath(relative);
    CopyEntries(from, names, to, failIfExists, report, skippedPaths);
    return true;
}

bool TFileOperate::CopyFile(const QString& source, const QString& target, bool* changed) {
    const QString from = ToPath(source);
    if (QFileInfo(from).isDir())
        return false;
    mode_t mode = 0;
    const std::optional<QByteArray> bytes = ReadRegular(from, -1, &mode);
    if (!bytes)
        return false;
    const bool wrote = WriteIfChanged(ToPath(target), *bytes, int(mode | S_IWUSR));
    if (changed != nullptr)
        *changed = wrote;
    return true;
}
