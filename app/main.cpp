#include <QCoreApplication>
#include <QTextStream>

#include "DbHelper.h"
#include "ProjectDAO.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    TDbHelper::SetDatabaseFile(QCoreApplication::applicationDirPath() + "/projects.db");
    QTextStream out(stdout);
    try {
        for (const TProjectEntry& p : TProjectDAO().ListProjects())
            out << p.projectId << '\t' << p.projectName << '\n';
    } catch (const TDbError& e) {
        QTextStream(stderr) << e.Message() << '\n';
        return 1;
    }
    return 0;
}
