#include "SchemaReader.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <QVariant>
#include <algorithm>
#include <atomic>

#include "ConnectionError.h"
#include "ExchangeError.h"
#include "Printable.h"

namespace {

using TRow = QList<QVariant>;

struct TDriver {
    QString name;
    QString package;
    QString options;
};

TDriver DriverOf(TDbKind kind) {
    switch (kind) {
    case TDbKind::MySql:
        return {"QMYSQL", "libqt6sql6-mysql", "MYSQL_OPT_CONNECT_TIMEOUT=10"};
    case TDbKind::PostgreSql:
        return {"QPSQL", "libqt6sql6-psql", "connect_timeout=10"};
    default:
        return {"QSQLITE", "libqt6sql6-sqlite", "QSQLITE_OPEN_READONLY"};
    }
}

// MariaDB's client takes "localhost" as its local socket and ignores the port; the user typed
// a port, so the connection goes to the loopback address over TCP instead.
QString HostOf(const TDbSource& source) {
    if (source.kind == TDbKind::MySql &&
        source.host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("127.0.0.1");
    return source.host;
}

// A connection of its own name, removed when this ends.
class TConnection {
public:
    explicit TConnection(TDbKind kind) : name_("schema-reader-" + QString::number(++counter_)) {
        const TDriver driver = DriverOf(kind);
        if (!QSqlDatabase::isDriverAvailable(driver.name))
            throw TExchangeError("缺少Qt的数据库驱动" + driver.name + " (Debian软件包" +
                                 driver.package + ")");
        QSqlDatabase::addDatabase(driver.name, name_).setConnectOptions(driver.options);
    }
    ~TConnection() {
        QSqlDatabase::database(name_, false).close();
        QSqlDatabase::removeDatabase(name_);
    }
    TConnection(const TConnection&) = delete;
    TConnection& operator=(const TConnection&) = delete;

    void Open(const TDbSource& source) {
        QSqlDatabase db = QSqlDatabase::database(name_, false);
        db.setDatabaseName(source.database);
        if (source.kind != TDbKind::Sqlite) {
            db.setHostName(HostOf(source));
            db.setPort(source.port != 0 ? source.port : SchemaReader::DefaultPort(source.kind));
            db.setUserName(source.user);
            db.setPassword(source.password);
        }
        if (!db.open())
            throw TExchangeError(ConnectionErrorText(source, db.lastError()));
    }

    QList<TRow> Rows(const QString& sql, const QVariantList& values = {}) const {
        QSqlQuery query(QSqlDatabase::database(name_, false));
        query.setForwardOnly(true);
        bool ok = query.prepare(sql);
        for (const QVariant& value : values)
            query.addBindValue(value);
        ok = ok && query.exec();
        if (!ok)
            throw TExchangeError("无法读取数据库结构: " + query.lastError().text());
        QList<TRow> rows;
        while (query.next()) {
            TRow row;
            for (int i = 0; i < query.record().count(); ++i)
                row << query.value(i);
            rows << row;
        }
        return rows;
    }

private:
    inline static std::atomic<int> counter_{0};
    QString name_;
};

// Tables by name, in the order they were added.
class TTables {
public:
    void Add(const QString& name, const QString& comment, bool view = false) {
        index_.insert(name, tables_.size());
        tables_.append({name, comment, {}, {}, {}, view});
    }
    // Null for a table not added (another schema, a view).
    TSchemaTable* Find(const QString& name) {
        const auto found = index_.constFind(name);
        return found == index_.constEnd() ? nullptr : &tables_[*found];
    }
    void AddColumn(const QString& table, const QString& name, const QString& type, bool notNull,
                   const QString& comment, const QString& domain = QString()) {
        if (TSchemaTable* t = Find(table))
            t->columns.append({name, type, SchemaImport::KindOfType(type),
                               SchemaImport::DeclaredLength(type), notNull, comment, false,
                               domain});
    }
    // One row of a key: a primary key's column, or a foreign key's column and the column it
    // refers to; rows of one constraint come together, in key order.
    void AddKeyColumn(const QString& table, const QString& constraint, bool primary,
                      const QString& column, const QString& refTable, const QString& refColumn) {
        TSchemaTable* t = Find(table);
        if (!t)
            return;
        if (primary) {
            t->primaryKey << column;
            return;
        }
        if (constraint != lastConstraint_ || table != lastTable_ || t->foreignKeys.isEmpty())
            t->foreignKeys.append({{}, refTable, {}});
        t->foreignKeys.last().columns << column;
        if (!refColumn.isEmpty())
            t->foreignKeys.last().refColumns << refColumn;
        lastConstraint_ = constraint;
        lastTable_ = table;
    }
    // Marks a column the database numbers itself.
    void MarkGenerated(const QString& table, const QString& column) {
        if (TSchemaTable* t = Find(table))
            for (TSchemaColumn& c : t->columns)
                if (c.name == column)
                    c.generated = true;
    }
    QList<TSchemaTable> Result() const { return tables_; }

private:
    QList<TSchemaTable> tables_;
    QHash<QString, qsizetype> index_;
    QString lastConstraint_;
    QString lastTable_;
};

QString Text(const TRow& row, int i) {
    return row[i].toString();
}

// ---- Columns the database numbers: each query gives table and column.

void MarkGenerated(TTables& tables, const QList<TRow>& rows) {
    for (const TRow& r : rows)
        tables.MarkGenerated(Text(r, 0), Text(r, 1));
}

void MarkGeneratedMySql(const TConnection& db, const QString& database, TTables& tables) {
    MarkGenerated(tables, db.Rows("SELECT TABLE_NAME, COLUMN_NAME FROM information_schema.COLUMNS "
                                  "WHERE TABLE_SCHEMA = ? AND EXTRA LIKE '%auto_increment%'",
                                  {database}));
}

// IDENTITY columns, and SERIAL ones (a default taken from a sequence).
const char* const kPgGenerated =
    "SELECT c.relname, a.attname FROM pg_attribute a JOIN pg_class c ON c.oid = a.attrelid "
    "JOIN pg_namespace n ON n.oid = c.relnamespace "
    "LEFT JOIN pg_attrdef d ON d.adrelid = a.attrelid AND d.adnum = a.attnum "
    "WHERE n.nspname = current_schema() AND c.relkind IN ('r', 'p') AND a.attnum > 0 "
    "AND NOT a.attisdropped AND (a.attidentity IN ('a', 'd') "
    "OR pg_get_expr(d.adbin, d.adrelid) LIKE 'nextval(%')";

void MarkGeneratedPostgreSql(const TConnection& db, TTables& tables) {
    MarkGenerated(tables, db.Rows(kPgGenerated));
}

// An INTEGER PRIMARY KEY names the rowid, which SQLite numbers. Any other key (INT, DESC, a
// table WITHOUT ROWID) has an index of origin 'pk'.
void MarkGeneratedSqlite(const TConnection& db, const QList<TSchemaTable>& read, TTables& tables) {
    QSet<QString> indexed;
    for (const TRow& r : db.Rows("SELECT m.name FROM sqlite_master m, pragma_index_list(m.name) i "
                                 "WHERE m.type = 'table' AND i.origin = 'pk'"))
        indexed.insert(Text(r, 0));
    for (const TSchemaTable& t : read)
        if (t.primaryKey.size() == 1 && !indexed.contains(t.name))
            for (const TSchemaColumn& c : t.columns)
                if (c.name == t.primaryKey.first() &&
                    c.typeName.compare(QLatin1String("integer"), Qt::CaseInsensitive) == 0)
                    tables.MarkGenerated(t.name, c.name);
}

QList<TSchemaTable> ReadMySql(const TConnection& db, const QString& database) {
    TTables tables;
    for (const TRow& r :
         db.Rows("SELECT TABLE_NAME, TABLE_COMMENT, TABLE_TYPE FROM information_schema.TABLES "
                 "WHERE TABLE_SCHEMA = ? AND TABLE_TYPE IN ('BASE TABLE', 'VIEW') "
                 "ORDER BY TABLE_NAME",
                 {database}))
        tables.Add(Text(r, 0), Text(r, 1), Text(r, 2) == "VIEW");
    for (const TRow& r :
         db.Rows("SELECT TABLE_NAME, COLUMN_NAME, COLUMN_TYPE, IS_NULLABLE, COLUMN_COMMENT "
                 "FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = ? "
                 "ORDER BY TABLE_NAME, ORDINAL_POSITION",
                 {database}))
        tables.AddColumn(Text(r, 0), Text(r, 1), Text(r, 2), Text(r, 3) == "NO", Text(r, 4));
    // KEY_COLUMN_USAGE alone: TABLE_CONSTRAINTS shows nothing to a user with SELECT only.
    // The primary key is the constraint PRIMARY; a foreign key names the referenced table;
    // the rows of unique keys have neither.
    for (const TRow& r :
         db.Rows("SELECT TABLE_NAME, CONSTRAINT_NAME, COLUMN_NAME, REFERENCED_TABLE_NAME, "
                 "REFERENCED_COLUMN_NAME, REFERENCED_TABLE_SCHEMA "
                 "FROM information_schema.KEY_COLUMN_USAGE WHERE TABLE_SCHEMA = ? "
                 "AND (CONSTRAINT_NAME = 'PRIMARY' OR REFERENCED_TABLE_NAME IS NOT NULL) "
                 "ORDER BY TABLE_NAME, CONSTRAINT_NAME, ORDINAL_POSITION",
                 {database})) {
        const bool primary = Text(r, 1) == "PRIMARY" && r[3].isNull();
        // a table of another database is no table of the import
        const QString refTable =
            primary || Text(r, 5) == database ? Text(r, 3) : Text(r, 5) + "." + Text(r, 3);
        tables.AddKeyColumn(Text(r, 0), Text(r, 1), primary, Text(r, 2), refTable, Text(r, 4));
    }
    MarkGeneratedMySql(db, database, tables);
    return tables.Result();
}

const char* const kPgTables =
    "SELECT c.relname, obj_description(c.oid, 'pg_class'), c.relkind IN ('v', 'm') "
    "FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
    "WHERE n.nspname = current_schema() AND c.relkind IN ('r', 'p', 'v', 'm') "
    "ORDER BY c.relname";
// A column of a domain is read as of the domain's base type, and NOT NULL when the domain is;
// the domain is named when it has checks of its own.
const char* const kPgColumns =
    "SELECT c.relname, a.attname, "
    "CASE WHEN t.typtype = 'd' THEN format_type(t.typbasetype, t.typtypmod) "
    "ELSE format_type(a.atttypid, a.atttypmod) END, "
    "a.attnotnull OR (t.typtype = 'd' AND t.typnotnull), col_description(c.oid, a.attnum), "
    "CASE WHEN t.typtype = 'd' AND EXISTS (SELECT 1 FROM pg_constraint k "
    "WHERE k.contypid = t.oid AND k.contype = 'c') THEN t.typname ELSE '' END "
    "FROM pg_attribute a JOIN pg_class c ON c.oid = a.attrelid "
    "JOIN pg_namespace n ON n.oid = c.relnamespace JOIN pg_type t ON t.oid = a.atttypid "
    "WHERE n.nspname = current_schema() AND c.relkind IN ('r', 'p') AND a.attnum > 0 "
    "AND NOT a.attisdropped ORDER BY c.relname, a.attnum";
const char* const kPgKeys =
    "SELECT t.relname, con.conname, con.contype, a.attname, rt.relname, ra.attname, "
    "rn.nspname = current_schema() "
    "FROM pg_constraint con JOIN pg_class t ON t.oid = con.conrelid "
    "JOIN pg_namespace n ON n.oid = t.relnamespace "
    "CROSS JOIN LATERAL unnest(con.conkey) WITH ORDINALITY AS k(attnum, ord) "
    "JOIN pg_attribute a ON a.attrelid = con.conrelid AND a.attnum = k.attnum "
    "LEFT JOIN pg_class rt ON rt.oid = con.confrelid "
    "LEFT JOIN pg_namespace rn ON rn.oid = rt.relnamespace "
    "LEFT JOIN pg_attribute ra ON ra.attrelid = con.confrelid AND ra.attnum = con.confkey[k.ord] "
    "WHERE n.nspname = current_schema() AND con.contype IN ('p', 'f') "
    "ORDER BY t.relname, con.conname, k.ord";

QList<TSchemaTable> ReadPostgreSql(const TConnection& db) {
    TTables tables;
    for (const TRow& r : db.Rows(kPgTables))
        tables.Add(Text(r, 0), Text(r, 1), r[2].toBool());
    for (const TRow& r : db.Rows(kPgColumns))
        tables.AddColumn(Text(r, 0), Text(r, 1), Text(r, 2), r[3].toBool(), Text(r, 4), Text(r, 5));
    for (const TRow& r : db.Rows(kPgKeys)) {
        const bool primary = Text(r, 2) == "p";
        const QString refTable = primary || r[6].toBool() ? Text(r, 4) : "?." + Text(r, 4);
        tables.AddKeyColumn(Text(r, 0), Text(r, 1), primary, Text(r, 3), refTable, Text(r, 5));
    }
    MarkGeneratedPostgreSql(db, tables);
    return tables.Result();
}

// Every column and every foreign key is read with one query each (the pragma functions joined
// to sqlite_master), not two queries a table.
const char* const kSqliteTables =
    "SELECT name, type = 'view' FROM sqlite_master WHERE type IN ('table', 'view') "
    "AND name NOT LIKE 'sqlite!_%' ESCAPE '!' ORDER BY rowid";
const char* const kSqliteColumns =
    "SELECT m.name, p.name, p.type, p.\"notnull\", p.pk "
    "FROM sqlite_master m JOIN pragma_table_info(m.name) p "
    "WHERE m.type = 'table' AND m.name NOT LIKE 'sqlite!_%' ESCAPE '!' ORDER BY m.rowid, p.cid";
const char* const kSqliteForeignKeys =
    "SELECT m.name, f.id, f.\"table\", f.\"from\", f.\"to\" "
    "FROM sqlite_master m JOIN pragma_foreign_key_list(m.name) f "
    "WHERE m.type = 'table' AND m.name NOT LIKE 'sqlite!_%' ESCAPE '!' "
    "ORDER BY m.rowid, f.id, f.seq";

QList<TSchemaTable> ReadSqlite(const TConnection& db) {
    TTables tables;
    const QList<TRow> names = db.Rows(kSqliteTables);
    for (const TRow& r : names)
        tables.Add(Text(r, 0), QString(), r[1].toBool());
    QHash<QString, QList<std::pair<qint64, QString>>> keys; // by table: (place in key, column)
    for (const TRow& r : db.Rows(kSqliteColumns)) {
        tables.AddColumn(Text(r, 0), Text(r, 1), Text(r, 2), r[3].toInt() == 1, QString());
        if (r[4].toLongLong() > 0)
            keys[Text(r, 0)].append({r[4].toLongLong(), Text(r, 1)});
    }
    for (const TRow& n : names) {
        QList<std::pair<qint64, QString>> key = keys.value(Text(n, 0));
        std::sort(key.begin(), key.end());
        for (const auto& [order, column] : key)
            tables.AddKeyColumn(Text(n, 0), QString(), true, column, QString(), QString());
    }
    for (const TRow& r : db.Rows(kSqliteForeignKeys))
        tables.AddKeyColumn(Text(r, 0), Text(r, 1), false, Text(r, 3), Text(r, 2), Text(r, 4));
    MarkGeneratedSqlite(db, tables.Result(), tables);
    return tables.Result();
}

} // namespace

namespace SchemaReader {

int DefaultPort(TDbKind kind) {
    switch (kind) {
    case TDbKind::MySql:
        return 3306;
    case TDbKind::PostgreSql:
        return 5432;
    default:
        return 0;
    }
}

static bool Refuse(QString& error, const QString& text) {
    error = text;
    return false;
}

bool ParseUrl(const QString& url, TDbSource& source, QString& error) {
    const QString sqlitePrefix = QStringLiteral("sqlite://");
    if (url.startsWith(sqlitePrefix)) {
        const QString file = QUrl::fromPercentEncoding(url.mid(sqlitePrefix.size()).toUtf8());
        source = {TDbKind::Sqlite, {}, 0, file, {}, {}};
        return !file.isEmpty() || Refuse(error, QStringLiteral("URL中缺少SQLite数据库文件"));
    }
    const QUrl parsed(url, QUrl::StrictMode);
    const QString scheme = parsed.scheme();
    if (scheme == "mysql" || scheme == "mariadb")
        source.kind = TDbKind::MySql;
    else if (scheme == "postgresql" || scheme == "postgres")
        source.kind = TDbKind::PostgreSql;
    else
        return Refuse(error, "不支持的数据库URL: " + Printable(url) +
                                 " (应为mysql://用户@主机:端口/数据库、"
                                 "postgresql://用户@主机:端口/数据库或sqlite:///文件)");
    if (!parsed.isValid() || parsed.host().isEmpty())
        return Refuse(error, "数据库URL中缺少主机: " + Printable(url));
    if (!parsed.password().isEmpty())
        return Refuse(error, QStringLiteral("数据库URL中不能写密码: 请用环境变量") +
                                 kPasswordVariable + "或在提示时输入");
    source.host = parsed.host();
    source.port = parsed.port(0);
    source.user = parsed.userName();
    source.database = parsed.path().mid(1);
    if (source.database.isEmpty() || source.database.contains(QLatin1Char('/')))
        return Refuse(error, "数据库URL中缺少数据库名称: " + Printable(url));
    return true;
}

QString DefaultProjectName(const TDbSource& source) {
    if (source.kind == TDbKind::Sqlite)
        return QFileInfo(source.database).completeBaseName();
    return source.database;
}

QList<TSchemaTable> ReadSchema(const TDbSource& source) {
    if (source.kind == TDbKind::Sqlite && !QFileInfo(source.database).isFile())
        throw TExchangeError("没有找到SQLite数据库文件: " + source.database);
    TConnection db(source.kind);
    db.Open(source);
    if (source.kind == TDbKind::MySql)
        return ReadMySql(db, source.database);
    if (source.kind == TDbKind::PostgreSql)
        return ReadPostgreSql(db);
    return ReadSqlite(db);
}

} // namespace SchemaReader
