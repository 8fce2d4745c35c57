#pragma once

#include <QObject>

#include "GenerationListener.h"

// Turns a run's reports, made on its own thread, into signals that the main
// window receives on its thread.
class TGenerationBridge : public QObject, public TGenerationListener {
    Q_OBJECT

public:
    void OnProgress(const QString& line) override { emit Progress(line); }
    void OnPrimaryKeyError(int classId) override { emit PrimaryKeyError(classId); }
    void OnDisplayMemberError(int classId) override { emit DisplayMemberError(classId); }
    void OnModelError(const QString& message) override { emit ModelError(message); }
    void OnFinished() override { emit Finished(); }
    void OnError(const QString& message) override { emit Failed(message); }

signals:
    void Progress(const QString& line);
    void PrimaryKeyError(int classId);
    void DisplayMemberError(int classId);
    void ModelError(const QString& message);
    void Finished();
    void Failed(const QString& message);
};
