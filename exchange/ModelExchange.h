#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

#include "ImportModel.h"

// Model files: the versioned JSON format of a project (the one JSON writer and reader), and the
// files themselves. Importing a model file is reading it into the typed model and the one
// typed import (ImportModel).
namespace ModelExchange {
// The bytes of a model file. A missing file, anything but a regular file (a FIFO or device is
// refused without waiting) and a file larger than kMaxImportBytes are refused with
// "无法读取文件: <file> (<reason>)".
QByteArray ReadModelFile(const QString& file);
// Writes the model file whole: a new file renamed over a regular file, keeping its permission
// bits. A link, folder, FIFO or device at file is refused and left as it is; errors read
// "无法写入文件: <file> (<reason>)".
void WriteModelFile(const QString& file, const QByteArray& json);
// The project as the versioned JSON text (UTF-8, ends with a line break).
QByteArray ExportProject(qint64 projectId);
// The projects of the JSON text, typed; throws TExchangeError naming the place in the text.
TImportModel ReadModel(const QByteArray& json);
// Stores every project of the JSON text (ReadModel, then ImportModel) and returns their names;
// with newName, the (single) project is stored under that name. Throws TExchangeError (or
// TNameTakenError); nothing is stored then.
QStringList ImportProjects(const QByteArray& json, const QString& newName = QString());
} // namespace ModelExchange
