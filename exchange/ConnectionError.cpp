#include "ConnectionError.h"

#include "Printable.h"

namespace {

struct TCause {
    const char* marker; // in the driver's text, or its error code
    const char* text;
};

// MariaDB/MySQL client and server error codes.
const TCause kMySqlCauses[] = {
    {"2002", "连接被拒绝, 该主机的这个端口上没有数据库服务器在运行"},
    {"2003", "连接不上, 该主机的这个端口上没有数据库服务器在运行或连接超时"},
    {"2005", "找不到该主机"},
    {"2006", "服务器断开了连接"},
    {"2013", "连接中断或超时"},
    {"1045", "用户名或密码错误"},
    {"1044", "该用户没有访问这个数据库的权限"},
    {"1049", "数据库不存在"},
    {"1130", "服务器不允许从本机连接"},
};

// Phrases of the PostgreSQL client library, which gives no code for a failed connection.
const TCause kPostgreSqlCauses[] = {
    {"Connection refused", "连接被拒绝, 该主机的这个端口上没有数据库服务器在运行"},
    {"timeout expired", "连接超时"},
    {"could not translate host name", "找不到该主机"},
    {"password authentication failed", "用户名或密码错误"},
    {"no password supplied", "需要密码"},
    {"no pg_hba.conf entry", "服务器不允许该用户从本机连接"},
    {"database \"", "数据库不存在"},
    {"role \"", "用户不存在"},
};

QString Cause(const TDbSource& source, const QSqlError& error) {
    if (source.kind == TDbKind::MySql) {
        for (const TCause& cause : kMySqlCauses)
            if (error.nativeErrorCode() == QLatin1String(cause.marker))
                return QString::fromUtf8(cause.text);
    } else {
        const QString text = error.text();
        for (const TCause& cause : kPostgreSqlCauses)
            if (text.contains(QLatin1String(cause.marker), Qt::CaseInsensitive))
                return QString::fromUtf8(cause.text);
    }
    return QStringLiteral("连接失败");
}

} // namespace

QString ConnectionErrorText(const TDbSource& source, const QSqlError& error) {
    if (source.kind == TDbKind::Sqlite)
        return "无法连接数据库" + Printable(source.database) + ": " + error.text();
    const int port = source.port != 0 ? source.port : SchemaReader::DefaultPort(source.kind);
    return "无法连接数据库服务器 " + Printable(source.host) + ":" + QString::number(port) +
           " (数据库" + Printable(source.database) + "): " + Cause(source, error) +
           "\n驱动程序的信息: " + error.text().trimmed();
}
