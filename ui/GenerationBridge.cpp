#include "GenerationBridge.h"

#include <QMutexLocker>
#include <utility>

TGenerationBridge::TBatch TGenerationBridge::Take() {
    const QMutexLocker lock(&mutex_);
    return std::exchange(batch_, TBatch());
}

void TGenerationBridge::OnPlanned(int files) {
    const QMutexLocker lock(&mutex_);
    batch_.planned = files;
}

void TGenerationBridge::OnProgress(const QString& line) {
    const QMutexLocker lock(&mutex_);
    batch_.lines << line;
}

void TGenerationBridge::OnFileWritten(const QString&) {
    const QMutexLocker lock(&mutex_);
    ++batch_.written;
}
