#pragma once

#include <QString>
#include <QStringList>

// The command that reads a database's schema into a new project:
// import-db URL [--as NAME] [--tables PATTERN] [--strict].
namespace ImportDbCommand {

bool IsImportDbCommand(const QString& command);
// Whether the arguments after the command name are complete and known.
bool ArgumentsValid(const QStringList& args);
// Runs the command on valid arguments; returns the exit code. The password comes from the
// environment variable SchemaReader::kPasswordVariable or, on a terminal, from a prompt.
int Run(const QStringList& args);

} // namespace ImportDbCommand
