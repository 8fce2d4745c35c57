#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "ProjectDAO.h"

// The refusal when a name given on the command line belongs to several projects: their ids,
// and how to pick one.
QString AmbiguousProjectText(const TProjectList& projects);

// The refusal when no project has the id, or (without an id) the name, given on the command line.
QString ProjectNotFoundText(const std::optional<qint64>& projectId,
                            const std::optional<QString>& projectName);
