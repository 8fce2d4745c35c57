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
