#pragma once

#include <QString>
#include <optional>

#include "ProjectModel.h"

// The rules a model must follow before anything is generated from it, so that the generated
// project compiles. The dialogs use the same rules at entry.
namespace ModelCheck {

// Letters (Chinese characters included), digits, "_" and "$".
bool IsIdentifierChar(QChar c);
// Identifier characters only, not starting with a digit.
bool IsJavaIdentifier(const QString& name);
// Java keywords and literals, and "_".
bool IsReservedWord(const QString& name);
// True when every character of name can be written to a GBK source file.
bool FitsGbk(const QString& name);
// Usable as a file or folder name: not empty, ".", "..", no "/", "\" or control character.
bool IsSafeName(const QString& name);

// The refusal of a name, or nothing: kind is "类名", "包名" or "类X的成员名" for the message.
std::optional<QString> NameError(const QString& kind, const QString& name);

// The first class whose count (CountKeyMembers, CountDisplayMembers) is not exactly one, or null.
const TClassModel* FirstWithoutOne(const TProjectModel& model, int (TClassModel::*count)() const);

// The first rule the model breaks, as the message the user is shown, or nothing. The key and
// display checks of the run come before these and are not repeated here.
std::optional<QString> FirstModelError(const TProjectModel& model, const QString& packageName);

} // namespace ModelCheck
