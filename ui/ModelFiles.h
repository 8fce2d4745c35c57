#pragma once

#include <QString>

class TUserSeam;

// The model file commands: each asks for its file through the seam and does nothing when the
// user cancels. Errors (of the file, the model or the store) propagate.
namespace ModelFiles {

// Writes the project's model file where the user chooses.
void ExportProject(TUserSeam& seam, qint64 projectId, const QString& projectName);
// Adds the projects of a model file; for a project whose name is taken, asks for another name
// until a free one is given or the user gives none. True when projects were added.
bool ImportModel(TUserSeam& seam);
// Adds the projects of an old database file. True when projects were added.
bool ImportMdb(TUserSeam& seam);

} // namespace ModelFiles
