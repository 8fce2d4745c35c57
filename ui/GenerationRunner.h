#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

#include "AutoCode.h"

class TGenerationBridge;

// Starts generation runs, each on a thread of its own, and hands their reports to the thread
// that made the runner. A run waits until its key, display, model and finished reports have
// been handled there.
class TGenerationRunner : public QObject {
    Q_OBJECT

public:
    explicit TGenerationRunner(QObject* parent = nullptr);
    ~TGenerationRunner() override;

    void Start(const TGenerationSettings& settings);
    // Runs started here that have not ended yet.
    int Running() const;
    // Lets every run finish without this runner: their reports are cut off, including any
    // already waiting for this thread.
    void WaitForAll();

signals:
    void Progress(const QString& line);
    void PrimaryKeyError(qint64 classId, const QString& className);
    void DisplayMemberError(qint64 classId, const QString& className);
    void ModelError(const QString& message);
    // projectName: the run's project, as the run was started with it.
    void Finished(const QString& projectName);
    void Failed(const QString& message);
    // The latest run's files to write, each file it has written, and the end of its thread;
    // finished: it had reported Finished.
    void Planned(int files);
    void FileWritten();
    void Ended(bool finished);

private:
    void Connect(const TGenerationBridge* bridge, const TAutoCode* run, int serial);

    QList<QPointer<TAutoCode>> runs_;
    int latest_ = 0; // serial number of the latest run
    bool latestFinished_ = false;
};
