#include "GenerationRunner.h"

#include <QCoreApplication>

#include "GenerationBridge.h"

TGenerationRunner::TGenerationRunner(QObject* parent) : QObject(parent) {}

TGenerationRunner::~TGenerationRunner() {
    WaitForAll();
}

void TGenerationRunner::Start(const TGenerationSettings& settings) {
    auto* bridge = new TGenerationBridge(settings.projectName);
    auto* run = new TAutoCode(settings, bridge);
    bridge->setParent(run);
    latestFinished_ = false;
    Connect(bridge, run, ++latest_);
    connect(run, &QThread::finished, run, &QObject::deleteLater);
    runs_.removeAll(nullptr);
    runs_.append(run);
    run->start();
}

void TGenerationRunner::Connect(const TGenerationBridge* bridge, const TAutoCode* run, int serial) {
    using Bridge = TGenerationBridge;
    const auto blocking = Qt::BlockingQueuedConnection;
    connect(bridge, &Bridge::PrimaryKeyError, this, &TGenerationRunner::PrimaryKeyError, blocking);
    connect(bridge, &Bridge::DisplayMemberError, this, &TGenerationRunner::DisplayMemberError,
            blocking);
    connect(bridge, &Bridge::ModelError, this, &TGenerationRunner::ModelError, blocking);
    connect(bridge, &Bridge::Finished, this, &TGenerationRunner::Finished, blocking);
    connect(
        bridge, &Bridge::Finished, this,
        [this, serial] { latestFinished_ = latestFinished_ || serial == latest_; },
        Qt::QueuedConnection);
    connect(bridge, &Bridge::Failed, this, &TGenerationRunner::Failed, Qt::QueuedConnection);
    connect(
        bridge, &Bridge::Planned, this,
        [this, serial](int files) {
            if (serial == latest_)
                emit Planned(files);
        },
        Qt::QueuedConnection);
    connect(
        bridge, &Bridge::Progress, this,
        [this](const QString& line) { emit Progress(line); }, Qt::QueuedConnection);
    connect(
        bridge, &Bridge::FileWritten, this,
        [this, serial] {
            if (serial == latest_)
                emit FileWritten();
        },
        Qt::QueuedConnection);
    connect(
        run, &QThread::finished, this,
        [this, serial] {
            if (serial == latest_)
                emit Ended(latestFinished_);
        },
        Qt::QueuedConnection);
}

int TGenerationRunner::Running() const {
    int count = 0;
    for (const QPointer<TAutoCode>& run : runs_)
        count += !run.isNull() && !run->isFinished() ? 1 : 0;
    return count;
}

void TGenerationRunner::WaitForAll() {
    for (const QPointer<TAutoCode>& run : runs_) {
        if (run.isNull())
            continue;
        disconnect(run, nullptr, this, nullptr);
        if (auto* bridge = run->findChild<TGenerationBridge*>())
            disconnect(bridge, nullptr, this, nullptr);
        while (!run->wait(50))
            QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
    }
    QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
}
