#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <stdexcept>
// A model file that cannot be imported; the message names the place in the file.
class TExchangeError : public std::runtime_error {
public:
    explicit TExchangeError(const QString& message);
    QString Message() const;
};
// A project of the file has the name of a project already in the database.
class TNameTakenError : public TExchangeError {
public:
    using TExchangeError::TExchangeError;
};
namespace ModelExchange {
// The largest model file read, and the largest table mdb-export may print: far above any real
// model (16,000 classes of 15 members take 147 MiB).
inline constexpr qint64 kMaxFileBytes = 256 * 1024 * 1024;
// The bytes of a model file. A missing file, anything but a regular file (a FIFO or device is
// refused without waiting) and a file larger than kMaxFileBytes are refused with
// "无法读取文件: <file> (<reason>)".
QByteArray ReadModelFile(const QString& file);
// Writes the model file whole: a new file renamed over a regular file, keeping its permission
// bits. A link, folder, FIFO or device at file is refused and left as it is; errors read
// "无法写入文件: <file> (<reason>)".
void WriteModelFile(const QString& file, const QByteArray& json);
// The project as the versioned JSON text (UTF-8, ends with a line break).
QByteArray ExportProject(qint64 projectId);
// Stores every project of the JSON text in one transaction and returns their names; with
// newName, the (single) project is stored under that name. Throws TExchangeError; nothing is
// stored then.
QStringList ImportProjects(const QByteArray& json, const QString& newName = QString());
// Adds every project of an old Access database (t_project, t_class, t_member) the same way.
QStringList ImportMdb(const QString& mdbFile);
} // namespace ModelExchange
