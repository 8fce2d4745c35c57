#include "JavaCompiler.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include "FileOperate.h"

namespace {

QString ClassPath(const QString& libraryFolder) {
    QStringList jars;
    for (const QString& jar : QDir(libraryFolder).entryList({"*.jar"}, QDir::Files, QDir::Name))
        jars << libraryFolder + "/" + jar;
    return jars.join(':');
}

QStringList JavaFiles(const QStringList& roots) {
    QStringList files;
    for (const QString& root : roots) {
        QDirIterator it(root, {"*.java"}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << it.next();
    }
    return files;
}

// javac reads an argument file as UTF-8 under this locale; names may be Chinese.
QString WriteArgumentFile(const QString& workFolder, const QStringList& arguments) {
    const QString path = workFolder + "/javac-arguments.txt";
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    for (const QString& argument : arguments)
        file.write("\"" + QString(argument).replace("\\", "\\\\").toUtf8() + "\"\n");
    return path;
}

QMap<QString, int> ErrorsByProject(const QString& output) {
    static const QRegularExpression error(QStringLiteral("^(.*\\.java):\\d+: error:"),
                                          QRegularExpression::MultilineOption);
    static const QRegularExpression project(QStringLiteral("/projects/([^/]+)/"));
    QMap<QString, int> errors;
    QRegularExpressionMatchIterator it = error.globalMatch(output);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = project.match(it.next().captured(1));
        ++errors[match.hasMatch() ? match.captured(1) : QString()];
    }
    return errors;
}

} // namespace

TJavacResult CompileJava(const QStringList& sourceRoots, const QString& libraryFolder,
                         const QString& workFolder, int release, bool keepGoing) {
    QDir().mkpath(workFolder + "/classes");
    QStringList arguments{"-encoding", "GBK",
                          "--release", QString::number(release),
                          "-nowarn",   "-proc:none",
                          "-Xmaxerrs", "1000000",
                          "-cp",       ClassPath(libraryFolder),
                          "-d",        workFolder + "/classes"};
    if (keepGoing)
        arguments << "-XDshould-stop.ifError=FLOW";
    else
        arguments << "-XDshould-stop.ifNoError=FLOW"; // type checks only, no class files
    arguments << JavaFiles(sourceRoots);
    TJavacResult result;
    const QString argumentFile = WriteArgumentFile(workFolder, arguments);
    QProcess javac;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LC_ALL", "C.UTF-8");
    javac.setProcessEnvironment(environment);
    javac.setProcessChannelMode(QProcess::MergedChannels);
    // What javac writes beside itself (javac.<time>.args after an internal error) stays in the
    // work folder, not in the caller's.
    javac.setWorkingDirectory(workFolder);
    javac.start("javac", {"-J-XX:+UseSerialGC", "-J-Xshare:auto", "@" + argumentFile});
    result.started = javac.waitForStarted();
    if (!result.started)
        return result;
    javac.waitForFinished(-1);
    result.exitCode = javac.exitStatus() == QProcess::NormalExit ? javac.exitCode() : -1;
    result.output = QString::fromUtf8(javac.readAll());
    result.errorsByProject = ErrorsByProject(result.output);
    return result;
}

// The encoding named in the XML declaration, upper-cased; UTF-8 when none is named.
QString DeclaredEncoding(const QByteArray& bytes) {
    static const QRegularExpression declaration(
        QStringLiteral("^<\\?xml[^>]*encoding=[\"']([^\"']+)[\"']"));
    const QRegularExpressionMatch match = declaration.match(QString::fromLatin1(bytes.left(200)));
    return match.hasMatch() ? match.captured(1).toUpper() : QStringLiteral("UTF-8");
}

QString XmlProblem(const QByteArray& bytes) {
    static const QByteArray bom("\xEF\xBB\xBF");
    const bool hasBom = bytes.startsWith(bom);
    const QByteArray body = hasBom ? bytes.mid(3) : bytes;
    const QString declared = DeclaredEncoding(body);
    QString text;
    if (declared == QLatin1String("UTF-8")) {
        QStringDecoder decoder(QStringDecoder::Utf8);
        text = decoder(body);
        if (decoder.hasError())
            return QStringLiteral("not UTF-8 as declared");
    } else if (declared == QLatin1String("GBK") && !hasBom) {
        text = TFileOperate::DecodeGbk(body);
        if (text.contains(QChar::ReplacementCharacter))
            return QStringLiteral("not GBK as declared");
    } else {
        return "declared encoding " + declared + (hasBom ? " after a UTF-8 BOM" : "");
    }
    QXmlStreamReader reader(text);
    while (!reader.atEnd())
        reader.readNext();
    if (reader.hasError())
        return reader.errorString() + " at line " + QString::number(reader.lineNumber());
    return QString();
}
