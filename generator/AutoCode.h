#pragma once

#include <QString>
#include <QThread>

#include "ClassDAO.h"
#include "GenerationListener.h"

struct TGenerationSettings {
    QString rootDir; // the executable's folder: template/, bak/ and projects/ are there
    int projectId = 0;
    QString projectName; // fixed for the run when it starts
    QString packageName;
};

// One generation run: checks the project's model, then writes its web project into
// rootDir/projects/<projectName>, reporting every finished file to the listener.
class TAutoCode : public QThread {
    Q_OBJECT
public:
    TAutoCode(const TGenerationSettings& settings, TGenerationListener* listener,
              QObject* parent = nullptr);
    void Execute(); // the whole run on the calling thread; never throws

protected:
    void run() override; // calls Execute()

private:
    void Generate();
    bool CheckModel(const TClassList& classes);
    void CheckNames(const TClassList& classes) const;

    void GenerateStrutsXml(const TClassList& classes);
    void GenerateBeansXml(const TClassList& classes);
    void GenerateHibernateConfig(const QString& packageName, const TClassList& classes);
    // filePath is relative to the root folder, like every path below.
    void GenerateMappingFile(int classId, const QString& className, const QString& filePath);
    void CopyFixedTemplates();
    void GenerateDomainClasses(const QString& packageName, const TClassList& classes);
    void GenerateActionClasses(const QString& packageName, const TClassList& classes);
    void GenerateDaoClasses(const QString& packageName, const TClassList& classes);
    void CopyResourceFolders();

    QString MappingSection(int classId, const QString& className);
    QString ReferenceColumn(const QString& className, const QString& memberName,
                            const QString& memberType);

    // "projects/<projectName>/" + tail, relative to the root folder.
    QString Output(const QString& tail) const;
    // "src/com/<packageName>/" + tail.
    QString PackagePath(const QString& tail) const;
    QString Absolute(const QString& relative) const;
    QString ReadTemplate(const QString& relative) const;
    // Write file into folder (both relative), then report file + suffix.
    void SaveUtf8(const QString& folder, const QString& file, const QString& text,
                  const QString& suffix);
    void SaveAnsi(const QString& folder, const QString& file, const QString& text,
                  const QString& suffix);

    void Progress(const QString& line);
    void Fail(const QString& reason);

    TGenerationSettings settings_;
    TGenerationListener* listener_;
};
