#pragma once

#include <QString>
#include <optional>

#include "ClassDAO.h"
#include "GenerationSettings.h"
#include "ProjectDAO.h"
#include "ProjectModel.h"
#include "Refusal.h"

// The rules a model must follow before anything is generated from it, so that the generated
// project compiles: the one home of every model rule. The run, the import, the dialogs and the
// window's project commands all call these functions; the names the generated code declares
// are constants of the builders (TDaoOperate, TActionOperate) that the checks read.
namespace ModelCheck {

// Letters (Chinese characters included), digits, "_" and "$".
bool IsIdentifierChar(QChar c);
// Identifier characters only, not starting with a digit.
bool IsJavaIdentifier(const QString& name);
// Java keywords and literals, and "_".
bool IsReservedWord(const QString& name);
// True when the object name of a class (its name with a lower-case first letter) cannot stand
// alone in the generated code: a Java keyword, a word of the query language or of the pages'
// expressions, a request object of the pages, a local of the generated methods or a package.
bool IsTakenObjectName(const QString& name);
// A name the pages' expressions read as a request object (attr, request, session, ...).
bool IsPageRootName(const QString& name);
// True when every character of name can be written to a GBK source file.
bool FitsGbk(const QString& name);
// Usable as a file or folder name: not empty, ".", "..", no "/", "\" or control character.
bool IsSafeName(const QString& name);

// The most characters a generated VARCHAR column of a string member may declare (utf8mb4).
inline constexpr int kMaxStringLength = 16383;

// The refusal of a member's length: one that does not fit an int (LengthRangeError of the
// store), then a string member's length outside 1 .. kMaxStringLength, a 小数型's precision
// outside 1 .. kMaxDecimalPrecision; or nothing.
std::optional<QString> LengthError(const TMember& m, const QString& className);

// A 小数型's precision and scale both database kinds hold: DECIMAL's in MariaDB/MySQL (numeric
// takes up to 1000 digits in PostgreSQL).
inline constexpr int kMaxDecimalPrecision = 65;
inline constexpr int kMaxDecimalScale = 30;
// The refusal of a 小数型's scale outside 0 .. min(precision, kMaxDecimalScale); or nothing.
std::optional<QString> ScaleError(const TMember& m, const QString& className);

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
// A table or column name the mappings can quote for MariaDB/MySQL and PostgreSQL (empty: the
// derived name): at most 64 characters, no quote, no control character, no surrounding space.
inline constexpr int kMaxDatabaseNameLength = 64;
std::optional<QString> DatabaseNameError(const QString& kind, const QString& name);
// The project's Admin table: a name DatabaseNameError takes, and no class's named table
// (without case) or class-named table (as written).
std::optional<QString> AdminTableError(const TProjectModel& model);

// The gate of a run, called by the run (TAutoCode) and by the preview: the first refusal of the
// model read for these settings, in this order: every class has one key member, then every
// class one display member (naming the first class that fails), then the folders and the names
// that become paths (TRefusalKind::Path), then the model rules (FirstModelError) unless
// settings.skipModelRules. Nothing when a run may build and write.
std::optional<TRefusal> FirstRefusal(const TProjectModel& model,
                                     const TGenerationSettings& settings);

// What the user is told when a class fails the key check (keyCount: its key members, not 1)
// or the display check.
QString PrimaryKeyErrorText(const QString& className, int keyCount);
QString DisplayMemberErrorText(const QString& className);

// The first class whose count (CountKeyMembers, CountDisplayMembers) is not exactly one, or null.
const TClassModel* FirstWithoutOne(const TProjectModel& model, int (TClassModel::*count)() const);

// The first rule the model breaks, as the message the user is shown, or nothing. The key and
// display checks of the run come before these and are not repeated here.
std::optional<QString> FirstModelError(const TProjectModel& model, const QString& packageName);

// ---- The rules at entry. Each rule has one message: where the Parts fix a dialog's text for a
// rule, that text (kClassFirstLetterRule, kProjectNameTaken, ...); otherwise the run's words.
// A caller adds the place where it needs one (an import: "projects[0].classes[1]: ...").

// The run's refusal of a name that becomes part of a path (kind: "工程名称", "包名", "类名"),
// or nothing when IsSafeName holds.
std::optional<QString> UnsafeNameError(const QString& kind, const QString& name);

inline const QString kClassFirstLetterRule = QStringLiteral("类名首个字母必须大写");
inline const QString kMemberFirstLetterRule = QStringLiteral("成员属性首个字母必须小写");
// True when the first character is A..Z (a class name's first rule), a..z (a member name's).
bool StartsUpperCase(const QString& text);
bool StartsLowerCase(const QString& text);
// The class dialogs' refusal of a class name, or nothing: a name whose first character is not
// ASCII is told which characters a class name may hold; then the first letter; then every rule
// the run applies to the name alone (ClassRuleError), in the run's words.
std::optional<QString> ClassNameEntryError(const QString& className);
// The member dialogs' refusal of a member name in the class c (the member being edited,
// editedMemberId, is not compared with itself): as ClassNameEntryError, then the name of
// another member of the class.
std::optional<QString> MemberNameEntryError(const QString& name, const TClassModel& c,
                                            qint64 editedMemberId);
// The member dialogs' refusal of a type with its flags (required, key, query), or nothing.
std::optional<QString> MemberTypeEntryError(const QString& type, bool required, bool key,
                                            bool query);
// Whether the member dialogs leave a member of the type not required without asking: in a
// model that maps existing tables a number, date or reference may hold NULL, which the
// generated code keeps; elsewhere only a string may be empty.
bool OptionalAllowed(const TProjectModel& model, const QString& type);

// A name another project or another class of the project has (compared exactly, as the
// database compares names). The window's commands and dialogs show the message alone; the
// import adds where the name comes from.
inline const QString kProjectNameTaken = QStringLiteral("该工程名称已经存在!");
inline const QString kClassNameTaken = QStringLiteral("该类名称已经存在!");
std::optional<QString> ProjectNameTakenError(const QString& name, const TProjectList& projects);
std::optional<QString> ClassNameTakenError(const QString& name, const TClassList& classes);

// A key member is an integer, a long integer or a string; a query member is no integer or
// float.
bool IsKeyType(const QString& type);
bool IsQueryType(const QString& type);
inline const QString kRequiredRule =
    QStringLiteral("除了字符串类型外其他类型必须勾选是否必填标志!");
inline const QString kKeyTypeRule = QStringLiteral("主键字段必须是整型或字符串型!");
inline const QString kQueryTypeRule = QStringLiteral("参与查询的字段不要设置整型或浮点型");
// The Action's key property is a long; a search field of the same name would be a text.
inline const QString kLongKeyQueryRule = QStringLiteral("长整型的主键不能参与查询");

// Two classes of a project ("类X: " + kClassNameTaken), or two members of a class, of one name.
QString DuplicateClassError(const QString& className);
QString DuplicateMemberError(const QString& className, const QString& memberName);
// A reference member whose type names no class of the project.
QString MissingReferenceError(const QString& className, const TMember& m);
// What a run refuses of the member m once stored in the class classId of the model (in place
// of the member of its id, or added): its own rules, a getter it shares with another member,
// and the row it makes too large; or nothing. The member dialogs call it.
std::optional<QString> MemberRuleError(const TProjectModel& model, qint64 classId,
                                       const TMember& m);

} // namespace ModelCheck
