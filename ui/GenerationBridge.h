#pragma once

#include <QObject>

#include "GenerationListener.h"

// Turns a run's reports, made on its own thread, into signals that the runner
// receives on its thread.
class TGenerationBridge : public QObject, public TGenerationListener {
    Q_OBJECT

public:
    // projectName: the run's project, as the run was started with it.
    explicit TGenerationBridge(const QString& projectName) : projectName_(projectName) {}

    void OnPlanned(int files) override { emit Planned(files); }
    void OnProgress(const QString& line) override { emit Progress(line); }
    void OnFileWritten(const QString& path) override { emit FileWritten(path); }
    void OnPrimaryKeyError(qint64 classId, const QString& className) override {
        emit PrimaryKeyError(classId, className);
    }
    void OnDisplayMemberError(qint64 classId, const QString& className) override {
        emit DisplayMemberError(classId, className);
    }
    void OnModelError(const QString& message) override { emit ModelError(message); }
    void OnFinished() override { emit Finished(projectName_); }
    void OnError(const QString& message) override { emit Failed(message); }

signals:
    void Planned(int files);
    void Progress(const QString& line);
    void FileWritten(const QString& path);
    void PrimaryKeyError(qint64 classId, const QString& className);
    void DisplayMemberError(qint64 classId, const QString& className);
    void ModelError(const QString& message);
    void Finished(const QString& projectName);
    void Failed(const QString& message);

private:
    QString projectName_;
};
