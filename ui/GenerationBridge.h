#pragma once

#include <QMutex>
#include <QObject>
#include <QStringList>

#include "GenerationListener.h"

// Turns a run's reports, made on its own thread, into what the runner receives on its thread.
// Progress is only collected here, and taken in batches by the runner: a run posts no event
// per line. The other reports are signals.
class TGenerationBridge : public QObject, public TGenerationListener {
    Q_OBJECT

public:
    // What the run reported since the last Take.
    struct TBatch {
        int planned = -1; // files to write, once reported; -1 otherwise
        QStringList lines;
        int written = 0; // files written
    };

    // projectName: the run's project, as the run was started with it.
    explicit TGenerationBridge(const QString& projectName, QObject* parent = nullptr)
        : QObject(parent), projectName_(projectName) {}

    TBatch Take();

    void OnPlanned(int files) override;
    void OnProgress(const QString& line) override;
    void OnFileWritten(const QString& path) override;
    void OnRefused(const TRefusal& refusal) override { emit Refused(refusal); }
    void OnFinished() override { emit Finished(projectName_); }
    void OnError(const QString& message) override { emit Failed(message); }

signals:
    void Refused(const TRefusal& refusal);
    void Finished(const QString& projectName);
    void Failed(const QString& message);

private:
    QString projectName_;
    QMutex mutex_; // guards batch_
    TBatch batch_;
};
