#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "Member.h"
#include "ProjectModel.h"

// Rules shared by the builders of generated text.
namespace CodeText {

// The name with a leading A..Z lower-cased / a..z upper-cased; nothing else changes.
QString LowerFirst(const QString& name);
QString UpperFirst(const QString& name);
// The name of the class's object where it stands alone (a variable, an Action property, the
// query's alias, a form field's prefix): LowerFirst, with "_" added where that name is taken.
QString ObjectName(const QString& className);
// The Action class of a model class: <C>Action, or <C>ClassAction where a fixed support
// Action (LoginAction, UserAction, ChangePasswordAction) has the first name.
QString ActionClassName(const QString& className);
// The name of a search member's value in the Action, the context and the search form: its
// name, with "_" where the pages would read that name as a request object (session, ...).
QString SearchName(const TMember& m);
QString Quoted(const QString& value);

// A member comment made safe where it is written: a line break or control character becomes a
// space, a backslash-u (which javac decodes anywhere) "\ u"; then in a Java block comment "*/"
// becomes "* /", in an XML comment "--" becomes "- -" and a trailing "-" gets a space after it,
// and in a Java string literal a backslash or quote is escaped. Other text is unchanged.
QString JavaComment(const QString& comment);
QString XmlComment(const QString& comment);
QString JavaString(const QString& text);
// Text for an XML element or attribute: on one line as above, with & < > " escaped.
QString XmlText(const QString& text);

// "字符串", "日期型", "文本型" and "日期时间型": members that are texts in Java.
bool IsTextType(const QString& typeWord);
// 整型 and 长整型: a key of such a type is numbered by the database or assigned by the user.
bool IsNumberKeyType(const QString& typeWord);
// A member searched by the one text its search field holds: a text type, or a number matched
// for equality (长整型, 小数型), or a yes/no chosen as "true", "false" or "" (布尔型).
bool IsTextSearch(const QString& typeWord);
// The Java type of a member: String, int, float, long, or the referenced class.
QString JavaType(const QString& typeWord);
// An integer key the user assigns (the add page asks for it) rather than the database.
bool IsAssignedKey(const TMember& m);
// A number member that may hold NULL in a table of an existing database, or a yes/no that is
// not required in any model: its Java type is the wrapper class (Integer, Float, Boolean), so
// that a NULL shows as an empty field and an empty field is stored as NULL.
bool IsNullableNumber(const TProjectModel& model, const TMember& m);
// A reference that may hold NULL in a table of an existing database: its drop-down offers an
// empty choice, and an empty choice is stored as NULL.
bool IsNullableReference(const TProjectModel& model, const TMember& m);
// The Java type of a member of the model: JavaType, or the wrapper class of a nullable number.
QString MemberJavaType(const TProjectModel& model, const TMember& m);
// The Java type of a query parameter or property: String for a text type, else the type word.
QString QueryType(const QString& typeWord);

// A member that the class's Action has as a property: a query member, a reference or the key.
bool IsActionProperty(const TMember& m);

// The Java variable of the class's object: its object name (ObjectName), which the pages and
// queries use too.
QString ObjectVariable(const QString& className);

// The class's key member; a class without one is an error.
TMember KeyOf(const TClassModel& c);

// The key member of the class that a reference member names (by its type word). When the
// project has no such class with a key: a stand-in string key "<referenced class>Id".
TMember ReferencedKey(const TProjectModel& model, const QString& typeWord);
// What a page shows of an object of the named class: its display member, else toString(); for
// a display member that is a reference, kShownProperty.
QString ShownProperty(const TProjectModel& model, const QString& className);
// The property whose getter the domain class of a class displayed by a reference adds: the
// referenced object's display text. No member can take the name ($ is refused in member names).
inline const QString kShownProperty = QStringLiteral("shown$");
// The most references that display members are followed through to reach a text.
inline constexpr int kMaxDisplayDepth = 3;
// The display members met from the named class on: its own, then while that is a reference the
// referenced class's, at most kMaxDisplayDepth references. Empty when the class has none; the
// last member is a reference when the path stops early (a class without one, or too deep).
QList<TMember> DisplayPath(const TProjectModel& model, const QString& className);

// True when no member before members[index] has the same type word: the first member of a
// list that refers to a given class.
bool IsFirstOfType(const QList<TMember>& members, qsizetype index);

// Appends each line with CR LF.
void AddLines(QString& text, const QStringList& lines);
// Appends each line with CR LF, indented by `indent` spaces unless it is empty.
void AddLines(QString& text, int indent, const QStringList& lines);

// The marker of the package name in templates.
inline const QString kPackageMarker = QStringLiteral("$packageName");
// A string key's column holds this many characters, whatever length the member declares.
inline constexpr int kStringKeyLength = 20;
// A reference is a drop-down while the referenced class has at most this many rows; above it a
// field for the key (a page never lists a whole table).
inline constexpr int kChoiceLimit = 200;
// The DAO call that reads the choices of a drop-down of refClass: one row more than the limit,
// to tell a small table from a large one.
QString ChoicesCall(const QString& refClass);

// "src/com/<package>/" + tail.
QString PackagePath(const QString& packageName, const QString& tail);

} // namespace CodeText
