#pragma once

#include <QString>

// Why the gate of a run (ModelCheck::FirstRefusal) refuses it.
enum class TRefusalKind {
    PrimaryKey,    // a class without exactly one key member
    DisplayMember, // a class without exactly one display member
    Path,          // a folder or a name that cannot lead to the output: the run ends as an error
    ModelRule,     // a rule of the generated code (names, types, lengths, ...)
};

// The first refusal of a run, with the text the user is shown.
struct TRefusal {
    TRefusalKind kind = TRefusalKind::ModelRule;
    QString message;
    qint64 classId = 0; // the class the key and display checks name, as the run read it
    QString className;  // its name as stored (message holds it printable)
};
