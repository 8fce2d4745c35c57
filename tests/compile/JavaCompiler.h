#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// What one javac call reported.
struct TJavacResult {
    bool started = false;
    int exitCode = -1;
    QString output;
    // Errors per output project: the folder name after "projects/" in the file's path.
    QMap<QString, int> errorsByProject;
};

// Compiles every .java file under each of sourceRoots in one javac call, against the jars in
// libraryFolder, as the generated projects are meant to be built (GBK sources), for the given
// Java release. With keepGoing, javac checks every file even after errors, so that each
// project's errors count.
TJavacResult CompileJava(const QStringList& sourceRoots, const QString& libraryFolder,
                         const QString& workFolder, int release, bool keepGoing);

// Whether an XML file is well-formed in the encoding it declares (UTF-8, with or without BOM,
// or GBK). Empty when it is; else what is wrong.
QString XmlProblem(const QByteArray& bytes);
