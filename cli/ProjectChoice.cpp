#include "ProjectChoice.h"

#include <QStringList>

#include "Printable.h"

QString AmbiguousProjectText(const TProjectList& projects) {
    QStringList ids;
    for (const TProjectEntry& project : projects)
        ids << QString::number(project.projectId);
    return "有" + QString::number(projects.size()) + "个名为\"" +
           Printable(projects.first().projectName) + "\"的工程(编号 " + ids.join(", ") +
           "), 请用 --project-id 指定其中一个";
}

QString ProjectNotFoundText(const std::optional<qint64>& projectId,
                            const std::optional<QString>& projectName) {
    if (projectId)
        return "没有编号为" + QString::number(*projectId) + "的工程";
    return "没有名为\"" + Printable(projectName.value_or(QString())) + "\"的工程";
}
