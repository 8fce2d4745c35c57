#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include "AutoCode.h"

class TGenerationBridge;

// Starts generation runs, each on a thread of its own, and hands their reports to the thread
// that made the runner. Progress lines and written files are handed on in batches, every
// kFlushMilliseconds while a run goes on, so that a large run leaves that thread's events
// free. A refused run does not wait for its refusal to be shown: it ends, and the refusal
// follows on that thread; a run waits until its finished report has been handled there. The
// lines before a report are handed on before it.
class TGenerationRunner : public QObject {
    Q_OBJECT

public:
    static const int kFlushMilliseconds = 50;

    explicit TGenerationRunner(QObject* parent = nullptr);
    ~TGenerationRunner() override;

    void Start(const TGenerationSettings& settings);
    // Runs started here that have not ended yet.
    int Running() const;
    // Asks every run to stop before its next file.
    void StopAll();
    // Lets every run finish without this runner: their reports are cut off, including any
    // already waiting for this thread.
    void WaitForAll();

signals:
    // Lines of any run, in order.
    void Progress(const QStringList& lines);
    // The run's gate refused its model (ModelCheck::FirstRefusal).
    void Refused(const TRefusal& refusal);
    // projectName: the run's project, as the run was started with it.
    void Finished(const QString& projectName);
    void Failed(const QString& message);
    // The latest run's files to write, the files it has written since the last report, and
    // the end of its thread; finished: it had reported Finished.
    void Planned(int files);
    void FilesWritten(int count);
    void Ended(bool finished);

private:
    struct TRun {
        QPointer<TAutoCode> thread;
        TGenerationBridge* bridge; // a child of this runner, deleted once the run has ended
        int serial;
    };

    void Connect(const TRun& run);
    // Hands on what the runs have reported since the last flush.
    void Flush();
    void Flush(const TRun& run);
    void OnThreadEnded(int serial);

    QList<TRun> runs_;
    QTimer flushTimer_;
    int latest_ = 0; // serial number of the latest run
    bool latestFinished_ = false;
};
