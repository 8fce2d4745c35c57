#include "SampleModel.h"

#include <QFile>

#include "ModelExchange.h"

static void InitSampleResources() {
    Q_INIT_RESOURCE(sample);
}

namespace {

// The sample's model file, resources/sample/library.json, built into the program.
const QString kSampleFile = QStringLiteral(":/sample/library.json");

} // namespace

QString SampleProjectName() {
    return QStringLiteral("图书管理系统");
}

QByteArray SampleModelFile() {
    InitSampleResources();
    QFile file(kSampleFile);
    if (!file.open(QIODevice::ReadOnly))
        throw TExchangeError("无法读取文件: " + kSampleFile);
    return file.readAll();
}

bool AddSampleProject() {
    // The import stores the project in one transaction, after checking inside it that no
    // project has its name.
    try {
        ModelExchange::ImportProjects(SampleModelFile());
        return true;
    } catch (const TNameTakenError&) {
        return false;
    }
}
