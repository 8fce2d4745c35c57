#pragma once

#include <QHash>
#include <QList>
#include <QString>

#include "GeneratedFile.h"
#include "ProjectModel.h"

#include "GenerationSettings.h"

// A run in three steps: ReadRunInput reads everything the run needs (the model's snapshot and
// every template), BuildProject turns that input into the run's steps without touching files
// or the database, and TAutoCode's writer carries the steps out in their order.
namespace RunPipeline {

// What a run reads, read once before anything is built.
struct TRunInput {
    TProjectModel model;
    QString projectName;
    QString packageName;
    // The text of every template the builders use, by path relative to the resource folder
    // ("template/src/struts.xml"); a missing template reads as empty.
    QHash<QString, QString> templates;

    QString Template(const QString& relative) const { return templates.value(relative); }
};

// One step of the writer, in the run's order.
struct TRunStep {
    enum class TKind {
        Write,               // save `file` and report it
        WriteUnlessModified, // the same, unless the file's first line lost the generated mark
        CopyFile,            // copy `source` to `target`; a missing source is skipped
        CopyFolder,          // copy the folder `source` into `target`; a missing one ends the run
        Note,                // only the progress line `doneSuffix`
    };
    TKind kind = TKind::Write;
    TGeneratedFile file; // Write steps; path relative to the project's folder
    QString source;      // copies: relative to the resource folder
    QString target;      // copies: relative to the project's folder
    // Copies: the progress line is linePrefix, the target's output path and doneSuffix; no
    // line when doneSuffix is empty. Notes: the whole line.
    QString linePrefix;
    QString doneSuffix;
    QStringList skipped; // CopyFolder: files left out (another step writes them)

    // True when the step writes a file that the run reports as written.
    bool WritesFile() const;
};

using TRunSteps = QList<TRunStep>;

// The template of every class's mapping file, relative to the resource folder.
inline const QString kMappingTemplate =
    QStringLiteral("template/src/com/packageName/domain/className.hbm.xml");

// Every template a run reads, relative to the resource folder.
QStringList TemplatePaths();

// Reads the project's model once (one query) and every template of TemplatePaths().
TRunInput ReadRunInput(const TGenerationSettings& settings);

// The whole run as steps: configuration files, mappings, fixed sources, Java sources,
// scaffolding, views, menu and root files. Pure: reads nothing but its input.
// Restricted to one class (onlyClassId, a preview): only that class's own files, its mapping,
// Java sources, validation files and views, in the same order and built the same way.
TRunSteps BuildProject(const TRunInput& input, qint64 onlyClassId = 0);

// The fixed support sources: templates filled with the package name, and files copied as they
// are, in the order of the entries.
TRunSteps CopyFixedTemplates(const TRunInput& input);
// The scaffolding of bak/: its folders (each with a line) and its top-level files.
TRunSteps CopyResourceFolders();

// How many files the steps write and report: the run's planned count.
int PlannedFiles(const TRunSteps& steps);

} // namespace RunPipeline
