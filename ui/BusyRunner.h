#pragma once

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QThread>
#include <exception>
#include <functional>

// Runs work away from the window's thread, then calls `then` on the window's thread with the
// work's error (null when it succeeded). Returns at once; nothing waits in between.
using TOffThread = std::function<void(const QString& doing, std::function<void()> work,
                                      std::function<void(std::exception_ptr error)> then)>;

// Runs work and then `then` right here, on the calling thread (a dialog without a window).
TOffThread RightHere();

// The window's busy runner: each piece of work on a thread of its own, asynchronously, with no
// event loop of its own; its end is a queued call back on the runner's thread. BusyChanged
// says when work starts and when the last one has ended, so the window can show what it does
// and disable the commands that must wait.
class TBusyRunner : public QObject {
    Q_OBJECT

public:
    explicit TBusyRunner(QObject* parent = nullptr);
    // Waits for the work still running; its `then` is not called any more.
    ~TBusyRunner() override;

    void Run(const QString& doing, std::function<void()> work,
             std::function<void(std::exception_ptr error)> then);
    TOffThread OffThread();
    // Threads still running, abandoned ones included.
    int Threads() const { return int(threads_.size()); }
    bool Busy() const { return threads_.size() > abandoned_.size(); }
    // Forgets the work running now: it goes on to its end on its thread, but its `then` is not
    // called and it no longer counts as busy.
    void Abandon();

signals:
    // doing: what the latest work does; empty once none is running.
    void BusyChanged(bool busy, const QString& doing);

private:
    void Ended(QThread* thread);

    QList<QThread*> threads_;
    QSet<QThread*> abandoned_;
};
