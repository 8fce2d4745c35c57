#include "AppPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

// The installed data folder relative to the executables (GNUInstallDirs' bin and share).
const QString kInstalledData = QStringLiteral("../share/brennoquill");

bool HasTemplates(const QString& dir) {
    return QFileInfo(QDir(dir).filePath(QStringLiteral("template"))).isDir();
}

QString UserDataDir() {
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
}

} // namespace

QString TAppPaths::DatabaseFile() const {
    return QDir(dataDir).filePath(QStringLiteral("projects.db"));
}

QString TAppPaths::TemplateDir() const {
    return QDir(resourceDir).filePath(QStringLiteral("template"));
}

QString TAppPaths::OutputDir() const {
    return QDir(dataDir).filePath(QStringLiteral("projects"));
}

namespace AppPaths {

const char* const kApplicationName = "brennoquill";

TAppPaths ForExecutable(const QString& exeDir) {
    const QString exe = QDir(exeDir).absolutePath();
    const QString installed = QDir::cleanPath(QDir(exe).filePath(kInstalledData));
    const bool beside = HasTemplates(exe) || !HasTemplates(installed);
    if (beside && AppPaths::MayWrite(exe))
        return ForRoot(exe);
    return {beside ? exe : installed, UserDataDir()};
}

TAppPaths ForRoot(const QString& root) {
    return {root, root};
}

bool MakeDataDir(const TAppPaths& paths) {
    return !paths.dataDir.isEmpty() && QDir().mkpath(paths.dataDir);
}

bool MayWrite(const QString& path) {
    const QFileInfo info(path);
    const QFile::Permissions anyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    return info.isWritable() && info.permissions().testAnyFlags(anyWrite);
}

} // namespace AppPaths
