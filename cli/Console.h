#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdio>

// What every command of the headless command shares: its exit codes, its printing and the
// values of its options.

// The exit codes of the headless command.
enum TExitCode { kOk = 0, kFailed = 1, kBadArguments = 2, kCheckFailed = 3 };

// Writes every byte (a NUL character included) and flushes; 0 when all reached the stream,
// else the error number.
int WriteAll(FILE* stream, const QByteArray& bytes);
// One line in UTF-8.
void Print(FILE* stream, const QString& line);

// Whether an option's value may be empty: the generation options take "" (as the empty root
// or package, refused later), the model file and database options do not.
enum class TEmptyValue { Taken, Refused };

// Takes the value after the option at i; false when there is none (or it is empty and empty
// is refused).
bool TakeValue(const QStringList& args, qsizetype& i, QString& value, TEmptyValue empty);
