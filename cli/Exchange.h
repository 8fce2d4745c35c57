#pragma once

#include <QString>
#include <QStringList>

// The commands that move models in and out of the database: export, import and import-mdb.
namespace ExchangeCommand {

bool IsExchangeCommand(const QString& command);
// Whether the arguments after the command name are complete and known.
bool ArgumentsValid(const QString& command, const QStringList& args);
// import and import-mdb create a missing database; export does not.
bool CreatesDatabase(const QString& command);
// Runs the command on valid arguments; returns the exit code, with the message on stderr.
int Run(const QString& command, const QStringList& args);

} // namespace ExchangeCommand
