#pragma once

#include <QList>
#include <QString>
#include <optional>

#include "DbHelper.h"
#include "ProjectDatabase.h"

struct TProjectEntry {
    QString projectName;
    qint64 projectId = 0;
};
using TProjectList = QList<TProjectEntry>;

// The only code that reads or writes t_project.
class TProjectDAO {
public:
    qint64 CountProjectsByName(const QString& name);
    // Returns the new project's id.
    qint64 AddProject(const QString& name, const TProjectDatabase& database = {});
    void RenameProject(qint64 projectId, const QString& name);
    // Deletes the project row and its classes in one transaction; members stay.
    void DeleteProject(qint64 projectId);
    TProjectList ListProjects();
    // The projects of that name, in key order.
    TProjectList FindProjects(const QString& name);
    // The project with that key, if there is one.
    std::optional<TProjectEntry> FindProject(qint64 projectId);
    // The project's database settings; the defaults for an older read-only database.
    TProjectDatabase ReadDatabase(qint64 projectId);
    void SetDatabase(qint64 projectId, const TProjectDatabase& database);

private:
    TProjectList ListOf(const QString& sql, const QVariantList& params);

    TDbHelper db_;
};
