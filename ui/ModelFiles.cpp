#include "ModelFiles.h"

#include <QFile>
#include <QSaveFile>
#include <optional>
#include <stdexcept>

#include "ModelExchange.h"
#include "Printable.h"
#include "UserSeam.h"

namespace {

const QString kModelFilter = QStringLiteral("模型文件 (*.json)");
const QString kMdbFilter = QStringLiteral("旧版数据库 (*.mdb *.MDB)");

[[noreturn]] void FileFailed(const QString& what, const QString& file, const QString& reason) {
    throw std::runtime_error(QString(what + file + " (" + reason + ")").toStdString());
}

QByteArray ReadFile(const QString& file) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        FileFailed(QStringLiteral("无法读取文件: "), file, in.errorString());
    return in.readAll();
}

// The file is replaced whole or not at all.
void WriteFile(const QString& file, const QByteArray& bytes) {
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        FileFailed(QStringLiteral("无法写入文件: "), file, out.errorString());
}

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
    WriteFile(file, ModelExchange::ExportProject(projectId));
    seam.Message(QStringLiteral("模型导出成功!"));
}

bool ImportModel(TUserSeam& seam) {
    const QString file = seam.OpenFileName(QStringLiteral("导入模型"), kModelFilter);
    if (file.isEmpty())
        return false;
    const std::optional<QStringList> names = Import(seam, ReadFile(file));
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
