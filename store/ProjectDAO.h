#pragma once

#include <QList>
#include <QString>

#include "DbHelper.h"

struct TProjectEntry {
    QString projectName;
    int projectId = 0;
};
using TProjectList = QList<TProjectEntry>;

// The only code that reads or writes t_project.
class TProjectDAO {
public:
    int CountProjectsByName(const QString& name);
    void AddProject(const QString& name);
    void RenameProject(int projectId, const QString& name);
    // Deletes the project row and its classes in one transaction; members stay.
    void DeleteProject(int projectId);
    TProjectList ListProjects();

private:
    TDbHelper db_;
};
