#include "GenerationRunner.h"

#include <QCoreApplication>

#include "GenerationBridge.h"

TGenerationRunner::TGenerationRunner(QObject* parent) : QObject(parent) {
    flushTimer_.setInterval(kFlushMilliseconds);
    connect(&flushTimer_, &QTimer::timeout, this, qOverload<>(&TGenerationRunner::Flush));
}

TGenerationRunner::~TGenerationRunner() {
    WaitForAll();
}

void TGenerationRunner::Start(const TGenerationSettings& settings) {
    auto* bridge = new TGenerationBridge(settings.projectName, this);
    auto* thread = new TAutoCode(settings, bridge);
    latestFinished_ = false;
    const TRun run{thread, bridge, ++latest_};
    Connect(run);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    runs_.append(run);
    flushTimer_.start();
    thread->start();
}

void TGenerationRunner::Connect(const TRun& run) {
    using Bridge = TGenerationBridge;
    const auto blocking = Qt::BlockingQueuedConnection;
    const auto queued = Qt::QueuedConnection;
    const int serial = run.serial;
    connect(
        run.bridge, &Bridge::Refused, this,
        [this, run](const TRefusal& refusal) {
            Flush(run);
            emit Refused(refusal);
        },
        queued);
    connect(
        run.bridge, &Bridge::Finished, this,
        [this, run](const QString& projectName) {
            Flush(run);
            latestFinished_ = latestFinished_ || run.serial == latest_;
            emit Finished(projectName);
        },
        blocking);
    connect(
        run.bridge, &Bridge::Failed, this,
        [this, run](const QString& message) {
            Flush(run);
            emit Failed(message);
        },
        queued);
    connect(
        run.thread, &QThread::finished, this, [this, serial] { OnThreadEnded(serial); }, queued);
}

void TGenerationRunner::Flush() {
    for (const TRun& run : runs_)
        Flush(run);
}

void TGenerationRunner::Flush(const TRun& run) {
    const TGenerationBridge::TBatch batch = run.bridge->Take();
    const bool latest = run.serial == latest_;
    if (latest && batch.planned >= 0)
        emit Planned(batch.planned);
    if (!batch.lines.isEmpty())
        emit Progress(batch.lines);
    if (latest && batch.written > 0)
        emit FilesWritten(batch.written);
}

// The run's last lines are handed on before its end; then it is forgotten.
void TGenerationRunner::OnThreadEnded(int serial) {
    for (qsizetype i = 0; i < runs_.size(); ++i) {
        if (runs_[i].serial != serial)
            continue;
        const TRun run = runs_.takeAt(i);
        Flush(run);
        run.bridge->deleteLater();
        break;
    }
    if (runs_.isEmpty())
        flushTimer_.stop();
    if (serial == latest_)
        emit Ended(latestFinished_);
}

int TGenerationRunner::Running() const {
    int count = 0;
    for (const TRun& run : runs_)
        count += !run.thread.isNull() && !run.thread->isFinished() ? 1 : 0;
    return count;
}

void TGenerationRunner::StopAll() {
    for (const TRun& run : runs_)
        if (!run.thread.isNull())
            run.thread->requestInterruption();
}

void TGenerationRunner::WaitForAll() {
    flushTimer_.stop();
    for (const TRun& run : runs_) {
        disconnect(run.bridge, nullptr, this, nullptr);
        if (run.thread.isNull())
            continue;
        disconnect(run.thread, nullptr, this, nullptr);
        while (!run.thread->wait(50))
            QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
    }
    QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
    for (const TRun& run : runs_)
        delete run.bridge;
    runs_.clear();
}
