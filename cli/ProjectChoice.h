#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "ProjectDAO.h"

// The refusal when a name given on the command line belongs to several projects: their ids,
// and how to pick one.
QString AmbiguousProjectText(const TProjectList& projects);

// The exit codes of the headless command.
enum TExitCode { kOk = 0, kFailed = 1, kBadArguments = 2, kCheckFailed = 3 };

// The refusal when no project has the id, or (without an id) the name, given on the command line.
QString ProjectNotFoundText(const std::optional<qint64>& projectId,
                            const std::optional<QString>& projectName);

// Whether an option's value may be empty: the generation options take "" (as the empty root
// or package, refused later), the model file options do not.
enum class TEmptyValue { Taken, Refused };

// Takes the value after the option at i; false when there is none (or it is empty and empty
// is refused).
bool TakeValue(const QStringList& args, qsizetype& i, QString& value, TEmptyValue empty);
