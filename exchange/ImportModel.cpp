#include "ImportModel.h"

#include "ImportCheck.h"
#include "ImportStore.h"

QStringList ImportModel(const TImportModel& model) {
    ImportCheck::CheckModel(model);
    return ImportStore::Store(model);
}
