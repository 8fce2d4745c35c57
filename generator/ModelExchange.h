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
// The project as the versioned JSON text (UTF-8, ends with a line break).
QByteArray ExportProject(qint64 projectId);
// Stores every project of the JSON text in one transaction and returns their names; with
// newName, the (single) project is stored under that name. Throws TExchangeError; nothing is
// stored then.
QStringList ImportProjects(const QByteArray& json, const QString& newName = QString());
// Adds every project of an old Access database (t_project, t_class, t_member) the same way.
QStringList ImportMdb(const QString& mdbFile);
} // namespace ModelExchange
