#pragma once

#include <QString>

// Where the program reads its templates and keeps its database and output.
struct TAppPaths {
    QString resourceDir; // template/, bak/ and help/
    QString dataDir;     // projects.db and the output folder projects/

    QString DatabaseFile() const;
    QString TemplateDir() const;
    QString OutputDir() const;
};

namespace AppPaths {

// The name under which the user's data folder is kept; both executables use it.
extern const char* const kApplicationName;

// For an executable in exeDir. Beside it everything stays when that folder is writable and
// holds (or can hold) the program's files, as in a build folder. An installed program (its
// data folder exeDir/../share/brennoquill, or an executable folder that may not be written)
// reads from the installed data folder and keeps the database and output in the user's data
// folder (QStandardPaths::AppLocalDataLocation).
TAppPaths ForExecutable(const QString& exeDir);

// Everything in one folder.
TAppPaths ForRoot(const QString& root);

// Writable for this process, with at least one write permission bit: root may write any file
// or folder, but one without write bits is meant to stay as it is. The store judges a
// database and its folder, and the paths the executable's folder, by this.
bool MayWrite(const QString& path);

// Creates the data folder when it is missing; false when that fails.
bool MakeDataDir(const TAppPaths& paths);

} // namespace AppPaths
