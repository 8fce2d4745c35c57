#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include "ModelFiles.h"

class TUserSeam;
struct TDbImportRequest;

// Reads the tables of a database (MariaDB/MySQL, PostgreSQL or a SQLite file) into a new
// project. A name already taken is asked for again; the report of what the model could not
// take as it was is shown with the success message.
class TImportDbForm : public QDialog {
    Q_OBJECT

public:
    using TOffThread = ModelFiles::TOffThread;

    // offThread: where the database is read and the project stored; by default right here.
    TImportDbForm(TUserSeam& seam, QWidget* parent = nullptr, TOffThread offThread = {});

    QComboBox* CB_Kind; // MariaDB/MySQL, PostgreSQL, SQLite
    QLineEdit* Edt_Host;
    QLineEdit* Edt_Port;
    QLineEdit* Edt_Database; // the file of a SQLite database
    QPushButton* Btn_Browse;
    QLineEdit* Edt_User;
    QLineEdit* Edt_Password;
    QLineEdit* Edt_Tables;
    QCheckBox* CB_Strict;
    QPushButton* Button1;

signals:
    // The project is stored; sent before the user is told so.
    void ProjectImported(const QString& projectName);

public slots:
    void Button1Click();
    void Btn_BrowseClick();
    void CB_KindChange(int index);

private:
    void Import();
    // Fills the request from the boxes; false after telling the user what is missing.
    bool ReadBoxes(TDbImportRequest& request);

    TUserSeam& seam_;
    TOffThread offThread_;
    int defaultPort_ = 0;
};
