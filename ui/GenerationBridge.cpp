#include "GenerationBridge.h"

#include <QMutexLocker>
#include <utility>

#include "GeneratedFile.h"

namespace {

// A progress line that reports a written file.
bool IsWrittenLine(const QString& line) {
    return line.endsWith(kConfigDone) || line.endsWith(kJavaDone) || line.endsWith(kFixedDone);
}

} // namespace

TGenerationBridge::TBatch TGenerationBridge::Take() {
    const QMutexLocker lock(&mutex_);
    return std::exchange(batch_, TBatch());
}

void TGenerationBridge::OnPlanned(int files) {
    const QMutexLocker lock(&mutex_);
    batch_.planned = files;
}

void TGenerationBridge::OnProgress(const QString& line) {
    const bool written = IsWrittenLine(line);
    const QMutexLocker lock(&mutex_);
    batch_.lines << line;
    batch_.written += written ? 1 : 0;
}
