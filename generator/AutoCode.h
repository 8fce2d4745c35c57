#pragma once

#include <QString>
#include <QThread>
#include <optional>

#include "GeneratedFile.h"
#include "GenerationListener.h"
#include "GenerationSettings.h"
#include "OutputWriter.h"
#include "ProjectModel.h"
#include "RunPipeline.h"

// The last progress line of a stopped run.
inline const QString kStoppedLine = QStringLiteral("生成已停止");

// One generation run: reads the model and the templates (RunPipeline::ReadRunInput), passes them
// through the gate (ModelCheck::FirstRefusal), builds every file in memory
// (RunPipeline::BuildProject), then writes its web project into rootDir/projects/<projectName>,
// reporting every finished file to the listener. A refused model is reported by OnRefused and
// nothing is written; a refusal of the folders or of a name that would lead out of the output
// folder ends the run as an error. Only one run of a project writes at a time:
// it holds rootDir/projects/.<projectName>.lock meanwhile.
// requestInterruption() stops a run on its thread before its next file: the files written
// stay whole, the log ends with kStoppedLine, and neither OnFinished nor OnError follows.
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
    bool BuildAndWrite();
    // The writer: carries out the steps of RunPipeline::BuildProject in their order, under the
    // project's lock.
    void WriteProject(const RunPipeline::TRunSteps& steps);
    void WriteStep(const RunPipeline::TRunStep& step);

    // "projects/<projectName>/" + tail, relative to the root folder.
    QString Output(const QString& tail) const;
    QString Absolute(const QString& relative) const;
    QStringList GeneratedFolders() const;
    static QByteArray Encoded(const TGeneratedFile& file, int& replaced);
    // Saves a generated file under the output root (unless it holds the same bytes already)
    // and reports it: its warnings, its progress line, then any character GBK could not hold.
    void Write(const TGeneratedFile& file);
    // Reports a written file: its progress line, then the file by its path.
    void Written(const QString& relative, const QString& suffix);

    // Ends the run here when a stop was asked for.
    void StopIfAsked() const;
    void Progress(const QString& line);
    void Fail(const QString& reason);

    TGenerationSettings settings_;
    TGenerationListener* listener_;
    std::optional<TOutputWriter> writer_; // while the steps are written
};
