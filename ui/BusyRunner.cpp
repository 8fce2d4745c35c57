#include "BusyRunner.h"

#include <memory>

TOffThread RightHere() {
    return [](const QString&, std::function<void()> work,
              std::function<void(std::exception_ptr)> then) {
        std::exception_ptr error;
        try {
            work();
        } catch (...) {
            error = std::current_exception();
        }
        then(error);
    };
}

TBusyRunner::TBusyRunner(QObject* parent) : QObject(parent) {}

TBusyRunner::~TBusyRunner() {
    for (QThread* thread : threads_) {
        disconnect(thread, nullptr, this, nullptr);
        thread->wait();
        delete thread;
    }
}

void TBusyRunner::Run(const QString& doing, std::function<void()> work,
                      std::function<void(std::exception_ptr)> then) {
    auto error = std::make_shared<std::exception_ptr>();
    QThread* thread = QThread::create([work = std::move(work), error] {
        try {
            work();
        } catch (...) {
            *error = std::current_exception();
        }
    });
    threads_.append(thread);
    // Queued: the thread's end reaches this object on its own thread.
    connect(thread, &QThread::finished, this, [this, thread, error, then = std::move(then)] {
        const bool abandoned = abandoned_.remove(thread);
        Ended(thread);
        if (abandoned)
            return;
        if (!Busy())
            emit BusyChanged(false, QString());
        then(*error);
    });
    emit BusyChanged(true, doing);
    thread->start();
}

void TBusyRunner::Ended(QThread* thread) {
    thread->wait();
    threads_.removeOne(thread);
    delete thread;
}

void TBusyRunner::Abandon() {
    if (!Busy())
        return;
    for (QThread* thread : threads_)
        abandoned_.insert(thread);
    emit BusyChanged(false, QString());
}

TOffThread TBusyRunner::OffThread() {
    return [this](const QString& doing, std::function<void()> work,
                  std::function<void(std::exception_ptr)> then) {
        Run(doing, std::move(work), std::move(then));
    };
}
