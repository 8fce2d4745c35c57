#include "Preview.h"

#include <QSet>
#include <algorithm>

#include "CodeText.h"
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
                            src + "action/" + CodeText::ActionClassName(className) + ".java"};
    TGeneratedFiles files;
    for (const QString& path : paths)
        for (const RunPipeline::TRunStep& step : steps)
            if (step.WritesFile() && step.file.path == path)
                files << step.file;
    return files;
}

// The class and the classes it reaches through its references, in the model's order: what the
// preview of that class is checked on, so that an unfinished class elsewhere does not stop it.
TProjectModel Needed(const TProjectModel& model, const TClassModel& chosen) {
    QSet<QString> names{chosen.className};
    QList<const TClassModel*> pending{&chosen};
    while (!pending.isEmpty()) {
        const TClassModel* c = pending.takeLast();
        for (const TMember& member : c->ReferenceMembers()) {
            const TClassModel* referenced = model.FindClass(member.memberType);
            if (referenced != nullptr && !names.contains(referenced->className)) {
                names.insert(referenced->className);
                pending.append(referenced);
            }
        }
    }
    TProjectModel needed(model.ProjectId());
    for (const TClassModel& c : model.Classes())
        if (c.classId == chosen.classId ||
            (names.contains(c.className) && &c == model.FindClass(c.className)))
            needed.AddClass(c);
    return needed;
}

} // namespace

TPreview BuildPreview(const TGenerationSettings& settings, qint64 classId) {
    const RunPipeline::TRunInput input = RunPipeline::ReadRunInput(settings);
    TPreview preview;
    const QList<TClassModel>& classes = input.model.Classes();
    const auto c = std::find_if(classes.begin(), classes.end(),
                                [classId](const TClassModel& m) { return m.classId == classId; });
    if (c == classes.end())
        return preview;
    preview.refusal = ModelCheck::FirstRefusal(Needed(input.model, *c), settings);
    if (preview.refusal)
        return preview;
    preview.classFound = true;
    preview.className = c->className;
    preview.files =
        Shown(RunPipeline::BuildProject(input, classId), settings.packageName, c->className);
    return preview;
}

} // namespace Preview
