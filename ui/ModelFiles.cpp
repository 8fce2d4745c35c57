#include "ModelFiles.h"

#include <optional>

#include "MdbImport.h"
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

const QString kExporting = QStringLiteral("正在导出模型...");
const QString kImporting = QStringLiteral("正在导入模型...");

// The stored projects' names, or none when the user gave no new name for a taken one.
QStringList Import(TUserSeam& seam, const ModelFiles::TOffThread& offThread, const QString& file) {
    std::optional<QByteArray> json;
    QString newName;
    for (;;) {
        QStringList names;
        std::optional<TNameTakenError> taken;
        offThread(kImporting, [&] {
            if (!json)
                json = ModelExchange::ReadModelFile(file);
            try {
                names = ModelExchange::ImportProjects(*json, newName);
            } catch (const TNameTakenError& error) {
                taken = error;
            }
        });
        if (!taken)
            return names;
        newName =
            seam.InputBox(QStringLiteral("导入模型"),
                          taken->Message() + QStringLiteral("\n请输入新的工程名称:"), QString());
        if (newName.isEmpty())
            return {};
    }
}

} // namespace

namespace ModelFiles {

void ExportProject(TUserSeam& seam, const TOffThread& offThread, qint64 projectId,
                   const QString& projectName) {
    const QString file =
        seam.SaveFileName(QStringLiteral("导出模型"), projectName + ".json", kModelFilter);
    if (file.isEmpty())
        return;
    offThread(kExporting, [&] {
        ModelExchange::WriteModelFile(file, ModelExchange::ExportProject(projectId));
    });
    seam.Message(QStringLiteral("模型导出成功!"));
}

QStringList ImportModel(TUserSeam& seam, const TOffThread& offThread) {
    const QString file = seam.OpenFileName(QStringLiteral("导入模型"), kModelFilter);
    if (file.isEmpty())
        return {};
    const QStringList names = Import(seam, offThread, file);
    if (!names.isEmpty())
        seam.Message(QStringLiteral("模型导入成功: ") + Names(names));
    return names;
}

QStringList ImportMdb(TUserSeam& seam, const TOffThread& offThread) {
    const QString file = seam.OpenFileName(QStringLiteral("导入旧版数据库"), kMdbFilter);
    if (file.isEmpty())
        return {};
    QStringList names;
    offThread(kImporting, [&] { names = MdbImport::ImportMdb(file); });
    seam.Message(QStringLiteral("旧版数据库导入成功: ") + Names(names));
    return names;
}

} // namespace ModelFiles
