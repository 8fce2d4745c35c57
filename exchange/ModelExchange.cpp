#include "ModelExchange.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "CodeText.h"
#include "FileOperate.h"
#include "Printable.h"
#include "ProjectDAO.h"
#include "ProjectModel.h"
#include "StrictJson.h"

using CodeText::Quoted;

namespace {

const QString kFormat = QStringLiteral("brennoquill-model");
const int kVersion = 1;
const QByteArray kBom("\xEF\xBB\xBF");

[[noreturn]] void Refuse(const QString& place, const QString& text) {
    throw TExchangeError(place + ": " + text);
}

// ---- Export

QJsonObject MemberObject(const TMember& m) {
    QJsonObject object{{"memberName", m.memberName},
                       {"memberType", m.memberType},
                       {"memberLength", m.memberLength},
                       {"memberComment", m.memberComment}};
    for (const TMemberFlag& flag : kMemberFlags)
        object.insert(QLatin1String(flag.name), m.*flag.field == 1);
    if (!m.columnName.isEmpty()) // a member named like its column has none
        object.insert(QStringLiteral("columnName"), m.columnName);
    if (m.keyAssigned == 1) // a key the database generates has none
        object.insert(QStringLiteral("keyAssigned"), true);
    if (m.memberType == MemberTypes::Decimal) // only a decimal has a scale
        object.insert(QStringLiteral("scale"), m.memberScale);
    return object;
}

QJsonObject ClassObject(const TClassModel& c) {
    QJsonArray members;
    for (const TMember& m : c.members)
        members.append(MemberObject(m));
    QJsonObject object{
        {"className", c.className}, {"friendName", c.friendName}, {"members", members}};
    if (!c.tableName.isEmpty()) // a class named like its table has none
        object.insert(QStringLiteral("tableName"), c.tableName);
    return object;
}

// Only what differs from the defaults, so a hand-made project's file stays as it was.
void AddDatabase(QJsonObject& project, const TProjectDatabase& database) {
    if (database.kind != TDatabaseKind::MariaDb)
        project.insert(QStringLiteral("databaseKind"), DatabaseKinds::Name(database.kind));
    if (database.AdminTable() != DatabaseKinds::kDefaultAdminTable)
        project.insert(QStringLiteral("adminTable"), database.AdminTable());
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
    // A text that may be left out: empty then.
    QString OptionalText(const QString& key) const {
        return object_.contains(key) ? Text(key) : QString();
    }
    // A flag that may be left out: 0 then.
    qint64 OptionalFlag(const QString& key) const { return object_.contains(key) ? Flag(key) : 0; }
    // An integer that may be left out: 0 then.
    qint64 OptionalInteger(const QString& key) const {
        return object_.contains(key) ? Integer(key) : 0;
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
    for (const TMemberFlag& flag : kMemberFlags)
        m.*flag.field = fields.Flag(QLatin1String(flag.name));
    m.columnName = fields.OptionalText("columnName");
    m.keyAssigned = fields.OptionalFlag("keyAssigned");
    m.memberScale = fields.OptionalInteger("scale");
    result.place = place;
    return result;
}

TImportClass ReadJsonClass(const QJsonValue& value, const QString& place) {
    const TJsonFields fields(value, place);
    TImportClass result{fields.Text("className"), fields.Text("friendName"), place, {},
                        fields.OptionalText("tableName")};
    const QJsonArray members = fields.Array("members");
    for (qsizetype i = 0; i < members.size(); ++i)
        result.members << ReadJsonMember(members[i], Indexed(fields.Place("members"), i));
    return result;
}

// The project's database settings; left out, the defaults.
TProjectDatabase ReadJsonDatabase(const TJsonFields& fields) {
    const QString kindName = fields.OptionalText("databaseKind");
    const std::optional<TDatabaseKind> kind = DatabaseKinds::FromName(kindName);
    if (!kind)
        Refuse(fields.Place("databaseKind"),
               "未知的数据库类型" + Quoted(Printable(kindName)) + ", 应为mariadb或postgresql");
    return {*kind, fields.OptionalText("adminTable")};
}

TImportProject ReadJsonProject(const QJsonValue& value, const QString& place) {
    const TJsonFields fields(value, place);
    TImportProject result{
        fields.Text("projectName"), fields.Place("projectName"), {}, ReadJsonDatabase(fields)};
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

} // namespace

namespace ModelExchange {

QByteArray ExportProject(qint64 projectId) {
    const std::optional<TProjectEntry> project = TProjectDAO().FindProject(projectId);
    if (!project)
        throw TExchangeError("没有编号为" + QString::number(projectId) + "的工程");
    const TProjectModel model = ReadProjectModel(projectId);
    QJsonArray classes;
    for (const TClassModel& c : model.Classes())
        classes.append(ClassObject(c));
    QJsonObject projectObject{{"projectName", project->projectName}, {"classes", classes}};
    AddDatabase(projectObject, model.Database());
    const QJsonObject top{
        {"format", kFormat}, {"version", kVersion}, {"projects", QJsonArray{projectObject}}};
    return QJsonDocument(top).toJson(QJsonDocument::Indented);
}

QByteArray ReadModelFile(const QString& file) {
    try {
        return TFileOperate::ReadWholeFile(file, kMaxImportBytes);
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

TImportModel ReadModel(const QByteArray& json) {
    return ReadJson(json);
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
    return ImportModel(model);
}

} // namespace ModelExchange
