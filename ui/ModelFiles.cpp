#include "ModelFiles.h"

#include <optional>

#include "ModelExchange.h"
#include "Printable.h"
#include "UserSeam.h"

namespace {

const QString kModelFilter = QStringLiteral("模型文件 (*.json)");
const QString kMdbFilter = QStringLiteral("旧版数据库 (*.mdb *.MDB)");

QString Names(const QStringList& names) {
    QStringList shown;
    for (const QString& name : names)
        shown << Printable(name);
    return shown.join(QStringLiteral("、"));
}

// The stored projects' names, or nothing when the user gave no new name for a taken one.
std::optional<QStringList> Import(TUserSeam& seam, const QByteArray& json) {
    QString newName;
    for (;;) {
        try {
            return ModelExchange::ImportProjects(json, newName);
        } catch (const TNameTakenError& taken) {
            newName =
                seam.InputBox(QStringLiteral("导入模型"),
                              taken.Message() + QStringLiteral("\n请输入新的工程名称:"), QString());
            if (newName.isEmpty())
                return std::nullopt;
        }
    }
}

} // namespace

namespace ModelFiles {

void ExportProject(TUserSeam& seam, qint64 projectId, const QString& projectName) {
    const QString file =
        seam.SaveFileName(QStringLiteral("导出模型"), projectName + ".json", kModelFilter);
    if (file.isEmpty())
        return;
    ModelExchange::WriteModelFile(file, ModelExchange::ExportProject(projectId));
    seam.Message(QStringLiteral("模型导出成功!"));
}

bool ImportModel(TUserSeam& seam) {
    const QString file = seam.OpenFileName(QStringLiteral("导入模型"), kModelFilter);
    if (file.isEmpty())
        return false;
    const std::optional<QStringList> names = Import(seam, ModelExchange::ReadModelFile(file));
    if (!names)
        return false;
    seam.Message(QStringLiteral("模型导入成功: ") + Names(*names));
    return true;
}

bool ImportMdb(TUserSeam& seam) {
    const QString file = seam.OpenFileName(QStringLiteral("导入旧版数据库"), kMdbFilter);
    if (file.isEmpty())
        return false;
    const QStringList names = ModelExchange::ImportMdb(file);
    seam.Message(QStringLiteral("旧版数据库导入成功: ") + Names(names));
    return true;
}

} // namespace ModelFiles
