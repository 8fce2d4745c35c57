#include "Preview.h"

#include <algorithm>

#include "ModelCheck.h"
#include "RunPipeline.h"

namespace Preview {

namespace {

// The files the preview shows, of the class's steps: by their paths.
TGeneratedFiles Shown(const RunPipeline::TRunSteps& steps, const QString& packageName,
                      const QString& className) {
    const QString src = "src/com/" + packageName + "/";
    const QStringList paths{src + "domain/" + className + ".hbm.xml",
                            src + "domain/" + className + ".java",
                            src + "dao/" + className + "DAO.java",
                            src + "action/" + className + "Action.java"};
    TGeneratedFiles files;
    for (const QString& path : paths)
        for (const RunPipeline::TRunStep& step : steps)
            if (step.WritesFile() && step.file.path == path)
                files << step.file;
    return files;
}

} // namespace

TPreview BuildPreview(const TGenerationSettings& settings, qint64 classId) {
    const RunPipeline::TRunInput input = RunPipeline::ReadRunInput(settings);
    TPreview preview;
    preview.refusal = ModelCheck::FirstRefusal(input.model, settings);
    if (preview.refusal)
        return preview;
    const QList<TClassModel>& classes = input.model.Classes();
    const auto c = std::find_if(classes.begin(), classes.end(),
                                [classId](const TClassModel& m) { return m.classId == classId; });
    if (c == classes.end())
        return preview;
    preview.classFound = true;
    preview.className = c->className;
    preview.files = Shown(RunPipeline::BuildProject(input, classId), settings.packageName,
                          c->className);
    return preview;
}

} // namespace Preview
