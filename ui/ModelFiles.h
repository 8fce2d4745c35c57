#pragma once

#include <QStringList>
#include <functional>

class TUserSeam;

// The model file commands: each asks for its file through the seam and does nothing when the
// user cancels. The reading, checking, storing and writing go through offThread, which runs
// its work away from the window's thread and returns once it is done. Errors (of the file,
// the model or the store) propagate.
namespace ModelFiles {

using TOffThread = std::function<void(const QString& doing, const std::function<void()>& work)>;

// Writes the project's model file where the user chooses.
void ExportProject(TUserSeam& seam, const TOffThread& offThread, qint64 projectId,
                   const QString& projectName);
// Adds the projects of a model file; for a project whose name is taken, asks for another name
// until a free one is given or the user gives none. The names of the projects added, in the
// file's order; none when nothing was added.
QStringList ImportModel(TUserSeam& seam, const TOffThread& offThread);
// Adds the projects of an old database file; their names.
QStringList ImportMdb(TUserSeam& seam, const TOffThread& offThread);

} // namespace ModelFiles
