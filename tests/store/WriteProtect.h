#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

// Takes every write permission bit from a file or folder while it lives. The store treats such
// a file as read-only whoever runs, root included.
class TWriteProtect {
public:
    explicit TWriteProtect(const QString& path) : path_(path), saved_(QFile::permissions(path)) {
        QFile::setPermissions(path_, saved_ & ~(QFile::WriteOwner | QFile::WriteUser |
                                                QFile::WriteGroup | QFile::WriteOther));
    }
    ~TWriteProtect() { QFile::setPermissions(path_, saved_); }
    TWriteProtect(const TWriteProtect&) = delete;
    TWriteProtect& operator=(const TWriteProtect&) = delete;

private:
    QString path_;
    QFile::Permissions saved_;
};

// The whole content of a file.
inline QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// The names in a folder, hidden ones included.
inline QStringList FolderEntries(const QString& path) {
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}
