#pragma once

#include <QSqlError>
#include <QString>

#include "SchemaReader.h"

// The message of a failed connection to a database: for a server, its host and port as given
// and the cause in Chinese, followed by the driver's own text; for a SQLite file, the file.
QString ConnectionErrorText(const TDbSource& source, const QSqlError& error);
