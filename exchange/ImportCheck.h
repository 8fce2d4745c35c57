#pragma once

#include "ImportModel.h"

// The checks of an import, before anything is stored: the run's rules of names, classes and
// members through ModelCheck (all but the key and display counts, which a model being built
// may still lack), and no two projects of the model sharing a name. Each refusal is a
// TExchangeError naming its place.
namespace ImportCheck {

void CheckModel(const TImportModel& model);

// "<place> (<name>): <message>": a refusal of a taken project name names the project too.
QString TakenText(const TImportProject& project, const QString& message);

} // namespace ImportCheck
