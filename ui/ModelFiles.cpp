#include "ModelFiles.h"

#include <memory>
#include <optional>

#include "ExchangeError.h"
#include "Guard.h"
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

// Shows the work's error, if any; true when there was none.
bool Succeeded(TUserSeam& seam, const std::exception_ptr& error) {
    return !error || RunGuarded(seam, [&error] { std::rethrow_exception(error); });
}

// One import of a model file, tried again under the name the user gives for a taken one.
struct TImport {
    QString file;
    std::optional<QByteArray> json;
    QString newName;
    QStringList names;
    std::optional<QString> taken;
};

void ImportStep(TUserSeam& seam, const TOffThread& offThread,
                const std::shared_ptr<TImport>& import, const ModelFiles::TEnded& ended) {
    auto work = [import] {
        if (!import->json)
            import->json = ModelExchange::ReadModelFile(import->file);
        try {
            import->names = ModelExchange::ImportProjects(*import->json, import->newName);
        } catch (const TNameTakenError& error) {
            import->taken = error.Message();
        }
    };
    auto then = [&seam, offThread, import, ended](std::exception_ptr error) {
        if (!Succeeded(seam, error))
            return ended({});
        if (import->taken) {
            import->newName = seam.InputBox(
                QStringLiteral("导入模型"),
                *import->taken + QStringLiteral("\n请输入新的工程名称:"), QString());
            import->taken.reset();
            if (import->newName.isEmpty())
                return ended({});
            return ImportStep(seam, offThread, import, ended);
        }
        if (!import->names.isEmpty())
            seam.Message(QStringLiteral("模型导入成功: ") + Names(import->names));
        ended(import->names);
    };
    offThread(kImporting, work, then);
}

} // namespace

namespace ModelFiles {

void ExportProject(TUserSeam& seam, const TOffThread& offThread, qint64 projectId,
                   const QString& projectName, const TEnded& ended) {
    const QString file =
        seam.SaveFileName(QStringLiteral("导出模型"), projectName + ".json", kModelFilter);
    if (file.isEmpty())
        return ended({});
    offThread(
        kExporting,
        [file, projectId] {
            ModelExchange::WriteModelFile(file, ModelExchange::ExportProject(projectId));
        },
        [&seam, file, ended](std::exception_ptr error) {
            if (Succeeded(seam, error))
                seam.Message(QStringLiteral("模型导出成功! 文件: ") + Printable(file));
            ended({});
        });
}

void ImportModel(TUserSeam& seam, const TOffThread& offThread, const TEnded& ended) {
    const QString file = seam.OpenFileName(QStringLiteral("导入模型"), kModelFilter);
    if (file.isEmpty())
        return ended({});
    auto import = std::make_shared<TImport>();
    import->file = file;
    ImportStep(seam, offThread, import, ended);
}

void ImportMdb(TUserSeam& seam, const TOffThread& offThread, const TEnded& ended) {
    const QString file = seam.OpenFileName(QStringLiteral("导入旧版数据库"), kMdbFilter);
    if (file.isEmpty())
        return ended({});
    auto names = std::make_shared<QStringList>();
    offThread(
        kImporting, [file, names] { *names = MdbImport::ImportMdb(file); },
        [&seam, names, ended](std::exception_ptr error) {
            if (!Succeeded(seam, error))
                return ended({});
            seam.Message(QStringLiteral("旧版数据库导入成功: ") + Names(*names));
            ended(*names);
        });
}

} // namespace ModelFiles
