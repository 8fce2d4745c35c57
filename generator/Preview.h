#pragma once

#include <QString>
#include <optional>

#include "GeneratedFile.h"
#include "GenerationSettings.h"
#include "Refusal.h"

// The files of one class as the next run would write them: the run's input
// (RunPipeline::ReadRunInput), the run's gate (ModelCheck::FirstRefusal) on the class and the
// classes it reaches through references (another class does not stop the preview) and the
// run's build (RunPipeline::BuildProject) restricted to the class. Nothing is written.
namespace Preview {

struct TPreview {
    std::optional<TRefusal> refusal; // what a run would refuse the model for; no files then
    bool classFound = false;         // false: the class is not in the project (any more)
    QString className;
    // The class's mapping file, domain class, DAO class and Action class, in that order.
    TGeneratedFiles files;
};

TPreview BuildPreview(const TGenerationSettings& settings, qint64 classId);

} // namespace Preview
