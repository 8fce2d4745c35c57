#pragma once

#include <QString>

#include "ProjectDAO.h"

// The refusal when a name given on the command line belongs to several projects: their ids,
// and how to pick one.
QString AmbiguousProjectText(const TProjectList& projects);
