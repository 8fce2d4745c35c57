#include "Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

const char* const kTranslatorName = "qtbase_zh_CN";

} // namespace

bool InstallQtTranslations() {
    QCoreApplication* app = QCoreApplication::instance();
    if (app->findChild<QTranslator*>(kTranslatorName) != nullptr)
        return true;
    auto* translator = new QTranslator(app);
    translator->setObjectName(kTranslatorName);
    if (translator->load(QString::fromLatin1(kTranslatorName),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(translator))
        return true;
    delete translator;
    return false;
}
