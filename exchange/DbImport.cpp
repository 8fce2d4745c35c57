#include "DbImport.h"

#include <QSet>

#include "ExchangeError.h"
#include "Printable.h"

namespace {

QString ReportText(const QStringList& report) {
    return report.isEmpty() ? QString() : "\n" + report.join(QLatin1Char('\n'));
}

// The first of Admin, Admin2, Admin3, ... that no table of the database is named, without case.
QString FreeAdminTable(const QList<TSchemaTable>& tables) {
    QSet<QString> taken;
    for (const TSchemaTable& t : tables)
        taken.insert(t.name.toLower());
    QString name = DatabaseKinds::kDefaultAdminTable;
    for (int n = 2; taken.contains(name.toLower()); ++n)
        name = DatabaseKinds::kDefaultAdminTable + QString::number(n);
    return name;
}

} // namespace

namespace DbImport {

void ChooseDatabase(TSchemaMapping& mapping, TDbKind source, const QList<TSchemaTable>& all) {
    mapping.database.kind =
        source == TDbKind::PostgreSql ? TDatabaseKind::PostgreSql : TDatabaseKind::MariaDb;
    const QString admin = FreeAdminTable(all);
    if (admin == DatabaseKinds::kDefaultAdminTable)
        return;
    mapping.database.adminTable = admin;
    for (const TSchemaTable& t : all)
        if (t.name.compare(DatabaseKinds::kDefaultAdminTable, Qt::CaseInsensitive) == 0)
            mapping.report << "表" + Printable(t.name) + "与应用的管理员表" +
                                  DatabaseKinds::kDefaultAdminTable + "同名(不区分大小写), " +
                                  "管理员表改用" + admin;
}

TSchemaMapping ReadMapping(const TDbImportRequest& request) {
    const QList<TSchemaTable> all = SchemaReader::ReadSchema(request.source);
    const QList<TSchemaTable> tables = SchemaImport::FilterTables(all, request.tables);
    if (tables.isEmpty())
        throw TExchangeError(
            request.tables.isEmpty()
                ? QString("数据库" + Printable(request.source.database) + "中没有表")
                : QString("数据库中没有与" + Printable(request.tables) + "匹配的表"));
    TSchemaMapping mapping = SchemaImport::MapSchema(tables);
    if (mapping.classes.isEmpty())
        throw TExchangeError("数据库中没有可以导入的表:" + ReportText(mapping.report));
    ChooseDatabase(mapping, request.source.kind, all);
    if (request.source.kind == TDbKind::Sqlite)
        mapping.notices << QStringLiteral(
            "从SQLite导入: 生成的应用使用MariaDB/MySQL数据库, 不使用这个SQLite文件");
    return mapping;
}

QString ProjectName(const TDbImportRequest& request) {
    return request.projectName.isEmpty() ? SchemaReader::DefaultProjectName(request.source)
                                         : request.projectName;
}

TImportModel ImportModelOf(const TSchemaMapping& mapping, const QString& projectName) {
    TImportProject project{projectName, QStringLiteral("工程名称"), {}, mapping.database};
    for (qsizetype i = 0; i < mapping.classes.size(); ++i) {
        const TClassModel& c = mapping.classes[i];
        const QString place = "classes[" + QString::number(i) + "]";
        TImportClass imported{c.className, c.friendName, place, {}, c.tableName};
        for (qsizetype j = 0; j < c.members.size(); ++j)
            imported.members.append(
                {c.members[j], place + ".members[" + QString::number(j) + "]"});
        project.classes.append(imported);
    }
    return {project};
}

TDbImportResult Store(const TDbImportRequest& request, const TSchemaMapping& mapping) {
    if (request.strict && !mapping.report.isEmpty())
        throw TExchangeError("数据库中有模型不能原样表示的内容, 没有导入任何内容:" +
                             ReportText(mapping.report));
    const QString name = ProjectName(request);
    ImportModel(ImportModelOf(mapping, name));
    return {name, mapping.classes.size(), mapping.report, mapping.notices};
}

TDbImportResult Import(const TDbImportRequest& request) {
    return Store(request, ReadMapping(request));
}

} // namespace DbImport
