#pragma once

#include <QString>
#include <optional>

#include "GeneratedFile.h"

// The web pages of a generated project: UTF-8, each with the generated
// mark on its first line, so that a later run replaces them only while the user has not taken
// the mark away.
namespace ViewFiles {

// The text a generated file's first line holds while the file may be replaced.
inline const QString kGeneratedMark = QStringLiteral("此文件由Brennoquill生成");

// WebRoot/<Class>_add.jsp, _query_result.jsp, _modify.jsp.
TGeneratedFile BuildAddView(const TBuildContext& context, const TClassModel& c);
TGeneratedFile BuildQueryView(const TBuildContext& context, const TClassModel& c);
TGeneratedFile BuildModifyView(const TBuildContext& context, const TClassModel& c);
// The three views of every class, class by class.
TGeneratedFiles GenerateViews(const TBuildContext& context);
// WebRoot/menu.jsp: add and query links per class, included by the main page.
TGeneratedFile BuildMenu(const TBuildContext& context);
// Text for a page: HTML-escaped, and nothing a JSP would run ("<%", "${", "#{").
QString PageText(const QString& text);

} // namespace ViewFiles
