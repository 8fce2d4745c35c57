#pragma once

#include <QDir>
#include <QString>

// What a generation run is started with.
struct TGenerationSettings {
    QString rootDir; // the output folder projects/ is there
    qint64 projectId = 0;
    QString projectName; // fixed for the run when it starts
    QString packageName;
    // Tests only: generate even a model the model rules refuse (the key and display checks
    // still apply), to show that such a model would not compile.
    bool skipModelRules = false;
    QString resourceDir = QString(); // template/, bak/ and help/ are there; empty means rootDir

    // The one answer to "where are template/, bak/ and help/": the resource folder, else the
    // root folder.
    QString ResourceFolder() const { return resourceDir.isEmpty() ? rootDir : resourceDir; }
    // A file of the resource folder ("template/src/struts.xml").
    QString Resource(const QString& relative) const {
        return QDir(ResourceFolder()).filePath(relative);
    }
};
