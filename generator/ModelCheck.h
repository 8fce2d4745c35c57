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

// The most characters a generated VARCHAR column of a string member may declare (utf8mb4).
inline constexpr int kMaxStringLength = 16383;

// The refusal of a string member's length outside 1 .. kMaxStringLength, or nothing.
std::optional<QString> LengthError(const TMember& m, const QString& className);

// The refusal of a project name: not a folder name, invalid UTF-16, or too long for the files
// named after it. Nothing when the name is usable.
std::optional<QString> ProjectNameError(const QString& name);

// The first rule of the class broken (names, members, lengths, the row its table needs), as
// the message the user is shown, or nothing. Key and display counts are not checked here.
std::optional<QString> ClassRuleError(const TProjectModel& model, const TClassModel& c);

// ASCII letters, digits and "_" only: what web addresses (class names) and form parameter names
// (member names) of the generated application can carry.
bool IsWebName(const QString& name);

// The refusal of a name, or nothing: kind is "类名", "包名" or "类X的成员名" for the message.
std::optional<QString> NameError(const QString& kind, const QString& name);

// The first class whose count (CountKeyMembers, CountDisplayMembers) is not exactly one, or null.
const TClassModel* FirstWithoutOne(const TProjectModel& model, int (TClassModel::*count)() const);

// The first rule the model breaks, as the message the user is shown, or nothing. The key and
// display checks of the run come before these and are not repeated here.
std::optional<QString> FirstModelError(const TProjectModel& model, const QString& packageName);

} // namespace ModelCheck
