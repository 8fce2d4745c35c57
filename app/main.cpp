#include <QApplication>

#include "AppPaths.h"
#include "DbHelper.h"
#include "MainForm.h"
#include "QtUserSeam.h"
#include "Translations.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(AppPaths::kApplicationName);
    InstallQtTranslations();
    TQtUserSeam seam;
    const TAppPaths paths = AppPaths::ForExecutable(QApplication::applicationDirPath());
    if (!AppPaths::MakeDataDir(paths)) {
        seam.Error("无法创建数据目录: " + paths.dataDir);
        return 1;
    }
    TDbHelper::SetDatabaseFile(paths.DatabaseFile());
    TFormMain form(&seam, paths.dataDir);
    form.SetResourceDir(paths.resourceDir);
    form.show();
    return app.exec();
}
