#pragma once

#include <QStringList>
#include <functional>

#include "BusyRunner.h"

class TUserSeam;

// The model file commands: each asks for its file through the seam and ends at once when the
// user cancels. The reading, checking, storing and writing go through offThread, away from
// the window's thread; the command goes on, on the window's thread, once that work has ended.
// Errors (of the file, the model or the store) are shown in the seam's error box. Every
// command calls ended exactly once, when it is over (done, refused, failed or cancelled).
namespace ModelFiles {

// The names of the projects a command added, in the file's order; none when nothing was added.
using TEnded = std::function<void(const QStringList& names)>;

// Writes the project's model file where the user chooses.
void ExportProject(TUserSeam& seam, const TOffThread& offThread, qint64 projectId,
                   const QString& projectName, const TEnded& ended);
// Adds the projects of a model file; for a project whose name is taken, asks for another name
// until a free one is given or the user gives none.
void ImportModel(TUserSeam& seam, const TOffThread& offThread, const TEnded& ended);
// Adds the projects of an old database file.
void ImportMdb(TUserSeam& seam, const TOffThread& offThread, const TEnded& ended);

} // namespace ModelFiles
