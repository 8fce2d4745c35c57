#include "Preview.h"

#include <QDir>

#include "ActionOperate.h"
#include "DaoOperate.h"
#include "DomainOperate.h"
#include "FileOperate.h"
#include "GenerationListener.h"
#include "MappingFile.h"
#include "ModelCheck.h"
#include "Printable.h"
#include "RunPipeline.h"

namespace Preview {

std::optional<TRefusal> FirstRefusal(const TProjectModel& model, const QString& packageName) {
    if (const TClassModel* c = ModelCheck::FirstWithoutOne(model, &TClassModel::CountKeyMembers))
        return TRefusal{TCheck::PrimaryKey, PrimaryKeyErrorText(Printable(c->className))};
    if (const TClassModel* c =
            ModelCheck::FirstWithoutOne(model, &TClassModel::CountDisplayMembers))
        return TRefusal{TCheck::DisplayMember, DisplayMemberErrorText(Printable(c->className))};
    if (std::optional<QString> error = ModelCheck::FirstModelError(model, packageName))
        return TRefusal{TCheck::ModelRule, *error};
    return std::nullopt;
}

QString MappingTemplate(const TGenerationSettings& settings) {
    const QString& dir = settings.resourceDir.isEmpty() ? settings.rootDir : settings.resourceDir;
    return TFileOperate::ReadTextFile(QDir(dir).filePath(RunPipeline::kMappingTemplate));
}

TGeneratedFiles ClassFiles(const TBuildContext& context, const TClassModel& c,
                           const QString& mappingTemplate) {
    return {MappingFile::BuildMappingFile(context, c, mappingTemplate),
            TDomainOperate::BuildDomainClass(context, c), TDaoOperate::BuildDaoClass(context, c),
            TActionOperate::BuildActionClass(context, c)};
}

} // namespace Preview
