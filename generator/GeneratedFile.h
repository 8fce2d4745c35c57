#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "ProjectModel.h"

enum class TFileEncoding {
    Utf8Bom, // UTF-8 after the byte-order mark EF BB BF
    Ansi,    // GBK bytes, no mark
    Utf8,    // UTF-8 without a mark
};

// One file a builder makes; the run's writer saves it and reports it.
struct TGeneratedFile {
    QString path; // "/"-separated, relative to the output root, e.g. "src/struts.xml"
    QString text;
    TFileEncoding encoding = TFileEncoding::Ansi;
    QString doneSuffix;   // follows the path in the progress line, e.g. "生成完毕!"
    QStringList warnings; // reported before the file's progress line
};

using TGeneratedFiles = QList<TGeneratedFile>;

// What every builder reads: the model of the run and its package name. The per-class builders
// build the files of every class, or of the one class onlyClassId names (a preview).
struct TBuildContext {
    const TProjectModel& model;
    QString packageName;
    qint64 onlyClassId = 0; // 0: every class

    bool InScope(const TClassModel& c) const { return onlyClassId == 0 || c.classId == onlyClassId; }
};

// One file per class of the build, in class order.
template <typename Builder>
TGeneratedFiles BuildPerClass(const TBuildContext& context, Builder build) {
    TGeneratedFiles files;
    for (const TClassModel& c : context.model.Classes())
        if (context.InScope(c))
            files.append(build(context, c));
    return files;
}

// The suffixes of the progress lines.
inline const QString kConfigDone = QStringLiteral("生成完成!");
inline const QString kJavaDone = QStringLiteral("生成完毕!");
inline const QString kFixedDone = QStringLiteral("移动完毕!");
