#include "DatabaseFiles.h"

#include <QStringList>

namespace {

const QString kPom = QStringLiteral("template/pom.xml");
const QString kReadme = QStringLiteral("template/README.txt");
const QString kHibernateConfig = QStringLiteral("template/src/hibernate.cfg.xml");
const QString kHibernateUtil =
    QStringLiteral("template/src/com/packageName/utils/HibernateUtil.java");
const QString kAdminDao = QStringLiteral("template/src/com/packageName/dao/AdminDAO.java");
const QString kAdminMapping = QStringLiteral("template/src/com/packageName/domain/Admin.hbm.xml");

// One replacement; "\n" in both texts stands for the template's CR LF.
struct TEdit {
    QString from;
    QString to;
};

QString Lines(QString text) {
    return text.replace(QLatin1String("\n"), QLatin1String("\r\n"));
}

QString Apply(QString text, const QList<TEdit>& edits) {
    for (const TEdit& edit : edits)
        text.replace(Lines(edit.from), Lines(edit.to));
    return text;
}

const QString kMysqlUrl = QStringLiteral("jdbc:mysql://localhost:3306/$packageName");
const QString kPostgresUrl =
    QStringLiteral("jdbc:postgresql://localhost:5432/$packageName?stringtype=unspecified");

QList<TEdit> PostgresPom() {
    return {{"    <dependency>\n"
             "      <groupId>com.mysql</groupId>\n"
             "      <artifactId>mysql-connector-j</artifactId>\n"
             "      <version>26.10.0</version>\n"
             "      <exclusions>\n"
             "        <exclusion>\n"
             "          <groupId>com.google.protobuf</groupId>\n"
             "          <artifactId>protobuf-java</artifactId>\n"
             "        </exclusion>\n"
             "      </exclusions>\n"
             "    </dependency>\n",
             "    <dependency>\n"
             "      <groupId>org.postgresql</groupId>\n"
             "      <artifactId>postgresql</artifactId>\n"
             "      <version>" +
                 DatabaseFiles::kPostgresDriverVersion +
                 "</version>\n"
                 "    </dependency>\n"}};
}

// The driver, dialect and example URLs of every file that names them.
QList<TEdit> PostgresConnection() {
    return {
        {"com.mysql.cj.jdbc.Driver", "org.postgresql.Driver"},
        {"org.hibernate.dialect.MySQL57Dialect", "org.hibernate.dialect.PostgreSQL10Dialect"},
        {"jdbc:mysql://dbhost:3306/test", "jdbc:postgresql://dbhost:5432/test"},
        {kMysqlUrl + "?useUnicode=true&amp;characterEncoding=UTF-8&amp;"
                     "createDatabaseIfNotExist=true&amp;useSSL=false",
         QString(kPostgresUrl).replace(QLatin1String("&"), QLatin1String("&amp;"))},
        {"-Dhibernate.connection.url=" + kMysqlUrl + "\n",
         "-Dhibernate.connection.url=" + kPostgresUrl + "\n"},
        {"(Hibernate 5.6, MySQL)", "(Hibernate 5.6, PostgreSQL)"},
        {"<!-- 数据库连接 (MySQL Connector/J) -->", "<!-- 数据库连接 (PostgreSQL JDBC) -->"},
        {"-Dhibernate.connection.username=root\n", "-Dhibernate.connection.username=postgres\n"},
        {"<property name=\"hibernate.connection.username\">root</property>",
         "<property name=\"hibernate.connection.username\">postgres</property>"},
        {"<property name=\"hibernate.connection.password\">root</property>",
         "<property name=\"hibernate.connection.password\">postgres</property>"}};
}

QList<TEdit> PostgresReadme() {
    const QString driver = DatabaseFiles::kPostgresDriverVersion;
    return {
        {"Java Web 工程 (MySQL/MariaDB)", "Java Web 工程 (PostgreSQL)"},
        {"MySQL Connector/J 26.10.0 (com.mysql:mysql-connector-j)",
         "PostgreSQL JDBC " + driver + " (org.postgresql:postgresql)"},
        {"-Dhibernate.connection.url=\"" + kMysqlUrl +
             "?useUnicode=true&characterEncoding=UTF-8&useSSL=false\" "
             "-Dhibernate.connection.username=root -Dhibernate.connection.password=root",
         "-Dhibernate.connection.url=\"" + kPostgresUrl +
             "\" -Dhibernate.connection.username=postgres "
             "-Dhibernate.connection.password=postgres"},
        {"    MySQL 5.7 以上或 MariaDB 10.x 以上 (驱动 MySQL Connector/J, 方言 MySQL57Dialect, "
         "InnoDB 表), 数据库字符集 utf8mb4。先建立数据库:\n"
         "        CREATE DATABASE $packageName CHARACTER SET utf8mb4 COLLATE utf8mb4_unicode_ci;\n"
         "    或者让连接参数 createDatabaseIfNotExist=true 自动建立 (服务器的默认字符集须为 "
         "utf8mb4)。\n",
         "    PostgreSQL 10 以上 (驱动 PostgreSQL JDBC, 方言 PostgreSQL10Dialect), 数据库编码 "
         "UTF8。先建立数据库:\n"
         "        CREATE DATABASE $packageName ENCODING 'UTF8';\n"
         "    连接参数 stringtype=unspecified 让数据库按列的类型读文本参数 (例如日期列)。\n"},
        {"(MariaDB/MySQL 默认 151)", "(PostgreSQL 默认 100)"},
        {"(密码列不足 200 个字符时自动加长, MySQL/MariaDB)", "(密码列须有 200 个字符)"},
        {"    账号指数据库中的管理员: 数据库比较用户名时不分大小写和重音 (utf8mb4 "
         "的默认排序规则),\n"
         "    admin、ADMIN、ádmin 登录的是同一个账号, 失败也算在同一个账号上。",
         "    账号指数据库中的管理员: PostgreSQL 比较用户名时区分大小写,\n"
         "    admin 和 ADMIN 是两个账号。"},
        {"主键和外键列都有索引 (InnoDB 为外键自动建立索引)。文本查询是 like '%文本%', "
         "用不上普通索引;",
         "主键列有索引, 外键列可以自己建立索引。文本查询不分大小写 (lower(...) like '%文本%'), "
         "用不上普通索引;"},
        {"    数据量大时, 可以为常用的查询字段建立全文索引, 例如:\n"
         "        ALTER TABLE `Book` ADD FULLTEXT INDEX ft_bookName (bookName);\n"
         "    然后把 DAO 中该字段的条件改为 MATCH(...) AGAINST(...)。\n",
         "    数据量大时, 可以为常用的查询字段建立三元组索引 (pg_trgm 扩展), 例如:\n"
         "        CREATE EXTENSION pg_trgm;\n"
         "        CREATE INDEX trgm_bookName ON \"Book\" USING gin (lower(\"bookName\") "
         "gin_trgm_ops);\n"}};
}

// The admin table's name in a Java string literal.
QString JavaText(const QString& name) {
    return QString(name).replace(QLatin1String("\\"), QLatin1String("\\\\"));
}

QString XmlText(const QString& name) {
    QString text = name;
    text.replace(QLatin1Char('&'), QLatin1String("&amp;"));
    text.replace(QLatin1Char('<'), QLatin1String("&lt;"));
    return text.replace(QLatin1Char('>'), QLatin1String("&gt;"));
}

QList<TEdit> AdminTableEdits(const QString& path, const TProjectDatabase& database) {
    const QString table = database.AdminTable();
    if (path == kAdminMapping)
        return {{"table=\"`Admin`\"", "table=\"`" + XmlText(table) + "`\""}};
    if (path == kHibernateUtil)
        return {{"tableExists(connection, \"Admin\")",
                 "tableExists(connection, \"" + JavaText(table) + "\")"},
                {"open + \"Admin\" + close", "open + \"" + JavaText(table) + "\" + close"}};
    if (path != kAdminDao)
        return {};
    if (database.kind == TDatabaseKind::PostgreSql)
        return {{"\"alter table `Admin` modify `password` varchar(\"",
                 "\"alter table \\\"" + JavaText(table) +
                     "\\\" alter column \\\"password\\\" type varchar(\""}};
    return {{"\"alter table `Admin` modify", "\"alter table `" + JavaText(table) + "` modify"}};
}

QList<TEdit> PostgresLibraryNotes() {
    return {{"MySQL\n  com.mysql:mysql-connector-j:26.10.0\n",
             "PostgreSQL\n  org.postgresql:postgresql:" + DatabaseFiles::kPostgresDriverVersion +
                 "\n  org.checkerframework:checker-qual:3.55.1\n"}};
}

QList<TEdit> KindEdits(const QString& path, TDatabaseKind kind) {
    if (kind != TDatabaseKind::PostgreSql)
        return {};
    if (path == DatabaseFiles::kLibraryNotes)
        return PostgresLibraryNotes();
    if (path == kPom)
        return PostgresPom();
    if (path == kReadme)
        return PostgresReadme();
    if (path == kHibernateConfig || path == kHibernateUtil)
        return PostgresConnection();
    return {};
}

} // namespace

namespace DatabaseFiles {

QString AdaptTemplate(const QString& path, const QString& text, const TProjectDatabase& database) {
    if (database.IsDefault())
        return text;
    return Apply(text, KindEdits(path, database.kind) + AdminTableEdits(path, database));
}

QHash<QString, QString> AdaptTemplates(const QHash<QString, QString>& templates,
                                       const TProjectDatabase& database) {
    if (database.IsDefault())
        return templates;
    QHash<QString, QString> adapted = templates;
    for (auto it = adapted.begin(); it != adapted.end(); ++it)
        it.value() = AdaptTemplate(it.key(), it.value(), database);
    return adapted;
}

} // namespace DatabaseFiles
