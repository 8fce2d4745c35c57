#pragma once

#include <QByteArray>
#include <QString>

// The name of the sample project: a small library system.
QString SampleProjectName();

// The sample's model file (resources/sample/library.json, built into the program).
QByteArray SampleModelFile();

// Imports the sample project from its model file in one transaction, unless a project of that
// name exists. Returns whether it was added.
bool AddSampleProject();
