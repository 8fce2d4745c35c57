#pragma once

#include <QString>
#include <optional>

#include "AutoCode.h"
#include "GeneratedFile.h"

// The files of one class as the next run would write them, built without writing anything.
namespace Preview {

enum class TCheck { PrimaryKey, DisplayMember, ModelRule };

// A check the model fails, with the text a run shows for it.
struct TRefusal {
    TCheck check;
    QString message;
};

// The first check a run would refuse the model for: every class has one key member, then every
// class one display member (naming the first class that fails), then the model rules.
std::optional<TRefusal> FirstRefusal(const TProjectModel& model, const QString& packageName);

// The mapping template, read from where a run with these settings reads it.
QString MappingTemplate(const TGenerationSettings& settings);

// The class's mapping file, domain class, DAO class and Action class, in that order.
TGeneratedFiles ClassFiles(const TBuildContext& context, const TClassModel& c,
                           const QString& mappingTemplate);

} // namespace Preview
