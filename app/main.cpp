#include <QApplication>

#include "DbHelper.h"
#include "MainForm.h"
#include "QtUserSeam.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TDbHelper::SetDatabaseFile(QApplication::applicationDirPath() + "/projects.db");
    TQtUserSeam seam;
    TFormMain form(&seam);
    form.show();
    return app.exec();
}
