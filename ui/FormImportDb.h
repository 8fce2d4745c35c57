#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include <memory>

#include "BusyRunner.h"

class QLabel;
class TUserSeam;
struct TDbImportRequest;
struct TSchemaMapping;

// What the dialog shows when it opens; the last values of the session, without the password.
struct TImportDbValues {
    int kind = 0; // index of CB_Kind
    QString host = QStringLiteral("127.0.0.1");
    QString port; // empty: the kind's default
    QString database;
    QString user;
    QString tables;
    bool strict = false;
};

// Reads the tables of a database (MariaDB/MySQL, PostgreSQL or a SQLite file) into a new
// project. A name already taken is asked for again; the report of what the model could not
// take as it was is shown with the success message.
class TImportDbForm : public QDialog {
    Q_OBJECT

public:
    // offThread: where the database is read and the project stored; by default right here.
    // While that work runs the dialog takes no input and does not close.
    // Enter imports; 取消 and Escape close the dialog, also while the database is being read
    // (that work is abandoned: nothing is shown of it).
    TImportDbForm(TUserSeam& seam, QWidget* parent = nullptr, TOffThread offThread = {},
                  const TImportDbValues& values = {});

    TImportDbValues Values() const;
    // True while the database is read or the project stored.
    bool Working() const { return state_ != TState::Idle; }

    QComboBox* CB_Kind; // MariaDB/MySQL, PostgreSQL, SQLite
    QLineEdit* Edt_Host;
    QLineEdit* Edt_Port;
    QLabel* Label_Database;
    QLineEdit* Edt_Database; // the file of a SQLite database
    QPushButton* Btn_Browse;
    QLineEdit* Edt_User;
    QLineEdit* Edt_Password;
    QLineEdit* Edt_Tables;
    QCheckBox* CB_Strict;
    QPushButton* Button1;
    QPushButton* Btn_Cancel;

signals:
    // The project is stored; sent before the user is told so.
    void ProjectImported(const QString& projectName);
    // The user closed the dialog while the database was being read.
    void Abandoned();

public slots:
    void Button1Click();
    void Btn_BrowseClick();
    void CB_KindChange(int index);

    void reject() override;

private:
    void Import();
    // Stores the mapping; a taken name is asked for again.
    void Store(const std::shared_ptr<TDbImportRequest>& request,
               const std::shared_ptr<TSchemaMapping>& mapping);
    // Shows the work's error, if any, and takes input again then; true when there was none.
    bool Succeeded(const std::exception_ptr& error);
    enum class TState { Idle, Reading, Storing };
    void SetState(TState state);
    void LayOut();
    QWidget* Panel_Boxes;
    // Fills the request from the boxes; false after telling the user what is missing.
    bool ReadBoxes(TDbImportRequest& request);

    TUserSeam& seam_;
    TOffThread offThread_;
    int defaultPort_ = 0;
    TState state_ = TState::Idle;
    // Counts the reads started; the end of an abandoned one is ignored.
    int attempt_ = 0;
};
