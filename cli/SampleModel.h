#pragma once

#include <QString>

// The name of the sample project: a small library system.
QString SampleProjectName();

// Adds the sample project with its classes and members in one transaction, unless a project
// of that name exists. Returns whether it was added.
bool AddSampleProject();
