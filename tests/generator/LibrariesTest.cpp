// The compile test's libraries (tests/java/pom.xml) are those the generated pom names.
#include <QFile>
#include <QMap>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

#include "DatabaseFiles.h"
#include "FileOperate.h"

namespace {

struct TPom {
    QMap<QString, QString> properties;
    QStringList dependencies; // group:artifact:version:scope, then "-group:artifact" exclusions
};

QString Interpolate(QString text, const QMap<QString, QString>& properties) {
    for (auto it = properties.begin(); it != properties.end(); ++it)
        text.replace("${" + it.key() + "}", it.value());
    return text;
}

// One <dependency> element, the reader standing on its start.
QString ReadDependency(QXmlStreamReader& xml, const QMap<QString, QString>& properties) {
    QMap<QString, QString> fields;
    QStringList exclusions;
    QString group;
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement())
            --depth;
        if (!xml.isStartElement())
            continue;
        ++depth;
        const QString name = xml.name().toString();
        if (name == "exclusion" || name == "exclusions")
            continue;
        const QString text = Interpolate(xml.readElementText(), properties);
        --depth;
        if (depth > 2 && name == "groupId")
            group = text;
        else if (depth > 2 && name == "artifactId")
            exclusions << "-" + group + ":" + text;
        else
            fields[name] = text;
    }
    exclusions.sort();
    return QStringList{fields["groupId"], fields["artifactId"], fields["version"],
                       fields.value("scope", "compile")}
               .join(':') +
           (exclusions.isEmpty() ? "" : " " + exclusions.join(' '));
}

// The project's own properties and dependencies; plugins and their dependencies are left out.
TPom ParsePom(const QString& text) {
    TPom pom;
    QXmlStreamReader xml(text);
    QStringList path;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement())
            path.removeLast();
        if (!xml.isStartElement())
            continue;
        const QString name = xml.name().toString();
        if (path == QStringList{"project", "properties"}) {
            pom.properties[name] = xml.readElementText();
            continue;
        }
        if (path == QStringList{"project", "dependencies"} && name == "dependency") {
            pom.dependencies << ReadDependency(xml, pom.properties);
            continue;
        }
        path << name;
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    pom.dependencies.sort();
    return pom;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

} // namespace

// The compile test has the libraries of every database kind's pom: the driver follows the kind.
TEST(LibrariesTest, CompileTestLibrariesAreThoseOfTheGeneratedPom) {
    const QString resources = BRENNOQUILL_RESOURCES;
    const QString templateText = TFileOperate::DecodeGbk(ReadAll(resources + "/template/pom.xml"));
    QStringList generated;
    for (TDatabaseKind kind : {TDatabaseKind::MariaDb, TDatabaseKind::PostgreSql}) {
        const QStringList own =
            ParsePom(DatabaseFiles::AdaptTemplate("template/pom.xml", templateText, {kind, {}})
                         .replace("$packageName", "p"))
                .dependencies;
        ASSERT_GE(own.size(), 8);
        generated << own;
    }
    generated.removeDuplicates();
    generated.sort();
    const TPom compiled =
        ParsePom(QString::fromUtf8(ReadAll(resources + "/../tests/java/pom.xml")));
    EXPECT_EQ(generated.join('\n').toStdString(), compiled.dependencies.join('\n').toStdString());
}
