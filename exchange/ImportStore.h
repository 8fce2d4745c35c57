#pragma once

#include <QStringList>

#include "ImportModel.h"

// Stores a checked import in one transaction: a project whose name the database holds already
// (ModelCheck::ProjectNameTakenError) throws TNameTakenError and nothing is stored. The number
// flags follow the type word. Returns the stored projects' names.
namespace ImportStore {

QStringList Store(const TImportModel& model);

} // namespace ImportStore
