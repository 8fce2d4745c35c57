#include "ModelExchange.h"

#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <algorithm>
#include <utility>

#include "ClassDAO.h"
#include "CodeText.h"
#include "FileOperate.h"
#include "MdbImport.h"
#include "MemberDAO.h"
#include "ModelCheck.h"
#include "Printable.h"
#include "ProjectDAO.h"
#include "ProjectModel.h"
#include "StrictJson.h"

using CodeText::Quoted;

namespace {

const QString kFormat = QStringLiteral("brennoquill-model");
const int kVersion = 1;
const QByteArray kBom("\xEF\xBB\xBF");

// A model read from a file, before it is checked and stored. Each item keeps its place in the
// file ("projects[0].classes[2]", "t_class[classId=7]") for the messages.
struct TImportMember {
    TMember member;
    QString place;
};
struct TImportClass {
    QString className;
    QString friendName;
    QString place;
    QList<TImportMember> members;
};
struct TImportProject {
    QString projectName;
    QString namePlace; // where the name comes from
    QList<TImportClass> classes;
};
using TImportModel = QList<TImportProject>;

// The member flags, in the file and in t_member alike; a flag is set when it is 1.
struct TFlagField {
    const char* name;
    qint64 TMember::*field;
};
const TFlagField kFlags[] = {{"memberIsPri", &TMember::memberIsPri},
                             {"memberIsMust", &TMember::memberIsMust},
                             {"memberIsInteger", &TMember::memberIsInteger},
                             {"memberIsFloat", &TMember::memberIsFloat},
                             {"queryFlag", &TMember::queryFlag},
                             {"memberIsDisplay", &TMember::memberIsDisplay},
                             {"memberQueryDisplay", &TMember::memberQueryDisplay}};

[[noreturn]] void Refuse(const QString& place, const QString& text) {
    throw TExchangeError(place + ": " + text);
}

// ---- Export

QJsonObject MemberObject(const TMember& m) {
    QJsonObject object{{"memberName", m.memberName},
                       {"memberType", m.memberType},
                       {"memberLength", m.memberLength},
                       {"memberComment", m.memberComment}};
    for (const TFlagField& flag : kFlags)
        object.insert(QLatin1String(flag.name), m.*flag.field == 1);
    return object;
}

QJsonObject ClassObject(const TClassModel& c) {
    QJsonArray members;
    for (const TMember& m : c.members)
        members.append(MemberObject(m));
    return {{"className", c.className}, {"friendName", c.friendName}, {"members", members}};
}

// ---- Reading the JSON text

QString ParseErrorText(QJsonParseError::ParseError error) {
    switch (error) {
    case QJsonParseError::UnterminatedObject:
        return QStringLiteral("对象没有结束");
    case QJsonParseError::MissingNameSeparator:
        return QStringLiteral("缺少冒号");
    case QJsonParseError::UnterminatedArray:
        return QStringLiteral("数组没有结束");
    case QJsonParseError::MissingValueSeparator:
        return QStringLiteral("缺少逗号");
    case QJsonParseError::IllegalValue:
        return QStringLiteral("非法的值");
    case QJsonParseError::TerminationByNumber:
        return QStringLiteral("文件在数字处结束");
    case QJsonParseError::IllegalNumber:
        return QStringLiteral("非法的数字");
    case QJsonParseError::IllegalEscapeSequence:
        return QStringLiteral("非法的转义序列");
    case QJsonParseError::IllegalUTF8String:
        return QStringLiteral("非法的UTF-8字符");
    case QJsonParseError::UnterminatedString:
        return QStringLiteral("字符串没有结束");
    case QJsonParseError::MissingObject:
        return QStringLiteral("缺少对象");
    case QJsonParseError::DeepNesting:
        return QStringLiteral("嵌套太深");
    case QJsonParseError::DocumentTooLarge:
        return QStringLiteral("文件太大");
    case QJsonParseError::GarbageAtEnd:
        return QStringLiteral("结尾有多余的内容");
    default:
        return QStringLiteral("格式错误");
    }
}

// The typed fields of one JSON object; a missing or wrongly typed field is refused, naming it.
class TJsonFields {
public:
    TJsonFields(const QJsonValue& value, const QString& place) : place_(place) {
        if (!value.isObject())
            Refuse(place, QStringLiteral("应为对象"));
        object_ = value.toObject();
    }

    QString Place(const QString& key) const {
        return place_.isEmpty() ? key : place_ + QLatin1Char('.') + key;
    }
    QString Text(const QString& key) const {
        const QJsonValue value = Value(key);
        if (!value.isString())
            Refuse(Place(key), QStringLiteral("应为文本"));
        return value.toString();
    }
    qint64 Integer(const QString& key) const {
        const QJsonValue value = Value(key);
        // a number that is no whole qint64 gives each default back
        if (!value.isDouble() || value.toInteger(0) != value.toInteger(1))
            Refuse(Place(key), QStringLiteral("应为整数"));
        return value.toInteger();
    }
    qint64 Flag(const QString& key) const {
        const QJsonValue value = Value(key);
        if (!value.isBool())
            Refuse(Place(key), QStringLiteral("应为true或false"));
        return value.toBool() ? 1 : 0;
    }
    QJsonArray Array(const QString& key) const {
        const QJsonValue value = Value(key);
        if (!value.isArray())
            Refuse(Place(key), QStringLiteral("应为数组"));
        return value.toArray();
    }

private:
    QJsonValue Value(const QString& key) const {
        if (!object_.contains(key))
            Refuse(Place(key), QStringLiteral("缺少该字段"));
        return object_.value(key);
    }

    QJsonObject object_;
    QString place_;
};

QString Indexed(const QString& place, qsizetype index) {
    return place + QLatin1Char('[') + QString::number(index) + QLatin1Char(']');
}

TImportMember ReadJsonMember(const QJsonValue& value, const QString& place) {
    const TJsonFields fields(value, place);
    TImportMember result;
    TMember& m = result.member;
    m.memberName = fields.Text("memberName");
    m.memberType = fields.Text("memberType");
    m.memberLength = fields.Integer("memberLength");
    m.memberComment = fields.Text("memberComment");
    for (const TFlagField& flag : kFlags)
        m.*flag.field = fields.Flag(QLatin1String(flag.name));
    result.place = place;
    return result;
}

TImportClass ReadJsonClass(const QJsonValue& value, const QString& place) {
    const TJsonFields fields(value, place);
    TImportClass result{fields.Text("className"), fields.Text("friendName"), place, {}};
    const QJsonArray members = fields.Array("members");
    for (qsizetype i = 0; i < members.size(); ++i)
        result.members << ReadJsonMember(members[i], Indexed(fields.Place("members"), i));
    return result;
}

TImportProject ReadJsonProject(const QJsonValue& value, const QString& place) {
    const TJsonFields fields(value, place);
    TImportProject result{fields.Text("projectName"), fields.Place("projectName"), {}};
    const QJsonArray classes = fields.Array("classes");
    for (qsizetype i = 0; i < classes.size(); ++i)
        result.classes << ReadJsonClass(classes[i], Indexed(fields.Place("classes"), i));
    return result;
}

QJsonDocument ParseJson(const QByteArray& json) {
    const qsizetype skipped = json.startsWith(kBom) ? kBom.size() : 0;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json.mid(skipped), &error);
    if (error.error != QJsonParseError::NoError)
        throw TExchangeError("文件不是合法的JSON: 在字节偏移量" +
                             QString::number(error.offset + skipped) + "处" +
                             ParseErrorText(error.error));
    if (!document.isObject())
        throw TExchangeError(QStringLiteral("文件不是模型文件: 顶层应为JSON对象"));
    StrictJson::Check(json, skipped);
    return document;
}

TImportModel ReadJson(const QByteArray& json) {
    const TJsonFields top(ParseJson(json).object(), QString());
    const QString format = top.Text("format");
    if (format != kFormat)
        Refuse("format", "未知的格式" + Quoted(Printable(format)) + ", 应为" + Quoted(kFormat));
    const qint64 version = top.Integer("version");
    if (version != kVersion)
        Refuse("version", "不支持的版本" + QString::number(version) + ", 只支持版本" +
                              QString::number(kVersion));
    const QJsonArray projects = top.Array("projects");
    TImportModel model;
    for (qsizetype i = 0; i < projects.size(); ++i)
        model << ReadJsonProject(projects[i], Indexed("projects", i));
    if (model.isEmpty())
        Refuse("projects", QStringLiteral("文件中没有工程"));
    return model;
}

// ---- Reading the Access database

// A table of the Access file, read by column name (Access names ignore case).
class TMdbReader {
public:
    TMdbReader(const QString& mdbFile, const QString& table)
        : table_(table), data_(MdbImport::ReadTable(mdbFile, table)) {}

    const QString& Table() const { return table_; }
    qsizetype Count() const { return data_.rows.size(); }
    QString Text(qsizetype row, const QString& column) const { return Cell(row, column); }
    // A missing value reads as 0, as the store reads it.
    qint64 Integer(qsizetype row, const QString& column, const QString& place) const {
        const QString text = Cell(row, column);
        bool ok = true;
        const qint64 value = text.isEmpty() ? 0 : text.toLongLong(&ok);
        if (!ok)
            Refuse(place + QLatin1Char('.') + column, "应为整数: " + Quoted(Printable(text)));
        return value;
    }

private:
    QString Cell(qsizetype row, const QString& column) const {
        const QStringList& cells = data_.rows[row];
        const qsizetype index = ColumnIndex(column);
        if (index >= cells.size())
            Refuse(table_, "第" + QString::number(row + 1) + "行的列数不对");
        return cells[index];
    }
    qsizetype ColumnIndex(const QString& column) const {
        for (qsizetype i = 0; i < data_.columns.size(); ++i)
            if (data_.columns[i].compare(column, Qt::CaseInsensitive) == 0)
                return i;
        Refuse(table_, "缺少列" + column);
    }

    QString table_;
    TMdbTable data_;
};

struct TMdbRow {
    qint64 id;
    qsizetype index;
    QString place;
};

// The rows in the order of their ids, which must be present and distinct.
QList<TMdbRow> RowsById(const TMdbReader& reader, const QString& idColumn) {
    QList<TMdbRow> rows;
    for (qsizetype i = 0; i < reader.Count(); ++i) {
        const QString place = reader.Table() + "第" + QString::number(i + 1) + "行";
        if (reader.Text(i, idColumn).isEmpty())
            Refuse(place + QLatin1Char('.') + idColumn, QStringLiteral("缺少编号"));
        const qint64 id = reader.Integer(i, idColumn, place);
        rows.append({id, i, reader.Table() + "[" + idColumn + "=" + QString::number(id) + "]"});
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const TMdbRow& a, const TMdbRow& b) { return a.id < b.id; });
    for (qsizetype i = 1; i < rows.size(); ++i)
        if (rows[i].id == rows[i - 1].id)
            Refuse(rows[i].place, "有两行的" + idColumn + "都是" + QString::number(rows[i].id));
    return rows;
}

TMember ReadMdbMember(const TMdbReader& members, const TMdbRow& row) {
    TMember m;
    m.memberName = members.Text(row.index, "memberName");
    m.memberType = members.Text(row.index, "memberType");
    m.memberLength = members.Integer(row.index, "memberLength", row.place);
    m.memberComment = members.Text(row.index, "memberComment");
    for (const TFlagField& flag : kFlags)
        m.*flag.field = members.Integer(row.index, flag.name, row.place) == 1 ? 1 : 0;
    return m;
}

// Classes whose project the file does not hold and members whose class it does not hold are
// left out: the earlier version kept the members of a deleted project.
TImportModel ReadMdbModel(const QString& mdbFile) {
    const TMdbReader projects(mdbFile, "t_project");
    const TMdbReader classes(mdbFile, "t_class");
    const TMdbReader members(mdbFile, "t_member");
    TImportModel model;
    QHash<qint64, qsizetype> projectIndex;
    for (const TMdbRow& row : RowsById(projects, "projectId")) {
        projectIndex.insert(row.id, model.size());
        model.append({projects.Text(row.index, "projectName"), row.place + ".projectName", {}});
    }
    if (model.isEmpty())
        Refuse("t_project", QStringLiteral("数据库中没有工程"));
    QHash<qint64, std::pair<qsizetype, qsizetype>> classIndex;
    for (const TMdbRow& row : RowsById(classes, "classId")) {
        const auto owner =
            projectIndex.constFind(classes.Integer(row.index, "projectId", row.place));
        if (owner == projectIndex.constEnd())
            continue;
        QList<TImportClass>& list = model[*owner].classes;
        classIndex.insert(row.id, {*owner, list.size()});
        list.append({classes.Text(row.index, "className"),
                     classes.Text(row.index, "friendName"),
                     row.place,
                     {}});
    }
    for (const TMdbRow& row : RowsById(members, "memberId")) {
        const auto owner = classIndex.constFind(members.Integer(row.index, "classId", row.place));
        if (owner != classIndex.constEnd())
            model[owner->first].classes[owner->second].members.append(
                {ReadMdbMember(members, row), row.place});
    }
    return model;
}

// ---- Checks

void CheckMembers(const TImportClass& c, const QSet<QString>& classNames) {
    const QString kind = "类" + Printable(c.className) + "的成员名";
    QSet<QString> names;
    for (const TImportMember& item : c.members) {
        const TMember& m = item.member;
        if (const std::optional<QString> error = ModelCheck::NameError(kind, m.memberName))
            Refuse(item.place + ".memberName", *error);
        if (names.contains(m.memberName))
            Refuse(item.place + ".memberName",
                   ModelCheck::DuplicateMemberError(c.className, m.memberName));
        names.insert(m.memberName);
        if (!MemberTypes::IsSimple(m.memberType) && !classNames.contains(m.memberType))
            Refuse(item.place + ".memberType", ModelCheck::MissingReferenceError(c.className, m));
        if (const std::optional<QString> error = ModelCheck::LengthError(m, c.className))
            Refuse(item.place + ".memberLength", *error);
    }
}

// The project as a run would read it, for the rules a run applies to each class.
TProjectModel ModelOf(const TImportProject& p) {
    TProjectModel model;
    qint64 id = 0;
    for (const TImportClass& c : p.classes) {
        TClassModel& added = model.AddClass({++id, c.className, c.friendName, {}});
        for (const TImportMember& item : c.members)
            added.members.append(item.member);
    }
    return model;
}

void CheckProject(const TImportProject& p) {
    if (const std::optional<QString> error =
            ModelCheck::UnsafeNameError(QStringLiteral("工程名称"), p.projectName))
        Refuse(p.namePlace, *error);
    QSet<QString> classNames;
    for (const TImportClass& c : p.classes) {
        if (const std::optional<QString> error = ModelCheck::NameError("类名", c.className))
            Refuse(c.place + ".className", *error);
        if (classNames.contains(c.className))
            Refuse(c.place + ".className", ModelCheck::DuplicateClassError(c.className));
        classNames.insert(c.className);
    }
    for (const TImportClass& c : p.classes)
        CheckMembers(c, classNames);
    if (const std::optional<QString> error = ModelCheck::ProjectNameError(p.projectName))
        Refuse(p.namePlace, *error);
    const TProjectModel model = ModelOf(p);
    for (qsizetype i = 0; i < p.classes.size(); ++i)
        if (const std::optional<QString> error =
                ModelCheck::ClassRuleError(model, model.Classes()[i]))
            Refuse(p.classes[i].place, *error);
}

// "<place> (<name>): <message>": a refusal of a project name taken names the project too.
QString TakenText(const TImportProject& p, const QString& message) {
    return p.namePlace + " (" + Printable(p.projectName) + "): " + message;
}

void CheckModel(const TImportModel& model) {
    TProjectList earlier;
    for (const TImportProject& p : model) {
        CheckProject(p);
        if (const std::optional<QString> error =
                ModelCheck::ProjectNameTakenError(p.projectName, earlier))
            throw TExchangeError(TakenText(p, *error)); // no other name helps here
        earlier.append({p.projectName, 0});
    }
}

// ---- Storing

void StoreProject(const TImportProject& p) {
    TProjectDAO projects;
    if (const std::optional<QString> error =
            ModelCheck::ProjectNameTakenError(p.projectName, projects.FindProjects(p.projectName)))
        throw TNameTakenError(TakenText(p, *error));
    const qint64 projectId = projects.AddProject(p.projectName);
    TClassDAO classes;
    TMemberDAO members;
    for (const TImportClass& c : p.classes) {
        const qint64 classId = classes.AddClass(projectId, c.className, c.friendName);
        for (const TImportMember& item : c.members) {
            TMember m = item.member;
            NormaliseTypeFlags(m);
            m.projectId = projectId;
            m.classId = classId;
            members.AddMember(m);
        }
    }
}

// The stores of this thread share its connection, so they all run inside this transaction.
QStringList Store(const TImportModel& model) {
    TTransaction transaction;
    QStringList names;
    for (const TImportProject& p : model) {
        StoreProject(p);
        names << p.projectName;
    }
    transaction.Commit();
    return names;
}

} // namespace

TExchangeError::TExchangeError(const QString& message)
    : std::runtime_error(message.toStdString()) {}

QString TExchangeError::Message() const {
    return QString::fromUtf8(what());
}

namespace ModelExchange {

QByteArray ExportProject(qint64 projectId) {
    const std::optional<TProjectEntry> project = TProjectDAO().FindProject(projectId);
    if (!project)
        throw TExchangeError("没有编号为" + QString::number(projectId) + "的工程");
    const TProjectModel model = ReadProjectModel(projectId);
    QJsonArray classes;
    for (const TClassModel& c : model.Classes())
        classes.append(ClassObject(c));
    const QJsonObject projectObject{{"projectName", project->projectName}, {"classes", classes}};
    const QJsonObject top{
        {"format", kFormat}, {"version", kVersion}, {"projects", QJsonArray{projectObject}}};
    return QJsonDocument(top).toJson(QJsonDocument::Indented);
}

QByteArray ReadModelFile(const QString& file) {
    try {
        return TFileOperate::ReadWholeFile(file, kMaxFileBytes);
    } catch (const TFileError& error) {
        throw TExchangeError(error.Message());
    }
}

void WriteModelFile(const QString& file, const QByteArray& json) {
    try {
        TFileOperate::ReplaceRegularFile(file, json);
    } catch (const TFileError& error) {
        throw TExchangeError(error.Message());
    }
}

QStringList ImportProjects(const QByteArray& json, const QString& newName) {
    TImportModel model = ReadJson(json);
    if (!newName.isNull()) {
        if (model.size() != 1)
            Refuse("projects", "文件中有" + QString::number(model.size()) +
                                   "个工程, 只有一个工程时才能指定新的名称");
        model[0].projectName = newName;
        model[0].namePlace = QStringLiteral("新的工程名称");
    }
    CheckModel(model);
    return Store(model);
}

QStringList ImportMdb(const QString& mdbFile) {
    if (!QFileInfo(mdbFile).isFile())
        throw TExchangeError("没有找到文件: " + mdbFile);
    const TImportModel model = ReadMdbModel(mdbFile);
    CheckModel(model);
    return Store(model);
}

} // namespace ModelExchange
