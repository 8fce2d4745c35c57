#pragma once

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QList>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

#include "FormImportDb.h"
#include "ModelFiles.h"
#include "UserSeam.h"

class TProgressLog;

// The first line of the progress log of a run, shown at once: reading the model and the
// templates and building the files come before the first file's line.
inline const QString kRunStartLine = QStringLiteral("正在读取模型和模板, 生成代码。。。");

class TBusyRunner;
class TGenerationRunner;
struct TGenerationSettings;
struct TMember;
struct TRefusal;
class TProjectDAO;

// The program's main window: projects, their classes and members, and the
// progress log of the last generation.
class TFormMain : public QMainWindow {
    Q_OBJECT

public:
    // How a dialog is shown; by default modally, returning once it is closed.
    using TModalHook = std::function<void(QDialog& dialog)>;

    // rootDir is the folder of the output (projects/) and, unless SetResourceDir names
    // another, of template/, bak/ and help/; empty means the executable's folder.
    explicit TFormMain(TUserSeam* seam, const QString& rootDir = QString(),
                       QWidget* parent = nullptr);
    ~TFormMain() override;

    void SetModalHook(TModalHook hook);
    TUserSeam& Seam() const { return *seam_; }
    QString RootDir() const { return rootDir_; }
    // Where template/, bak/ and help/ are read from, when not in the root folder.
    void SetResourceDir(const QString& resourceDir) { resourceDir_ = resourceDir; }
    QUrl HomePage() const;
    // Generation runs started here that have not ended yet.
    int RunningGenerations() const;
    // True while a model file command runs (its actions are disabled meanwhile).
    bool ModelFileBusy() const { return modelFileBusy_; }
    // Threads of the model file commands still running, abandoned work included.
    int BusyThreads() const;

    // The current selection; -1 (or empty text) when nothing is selected.
    qint64 SelectedProjectId() const;
    qint64 SelectedClassId() const;
    QString SelectedClassText() const;
    int SelectedMemberRow() const;
    qint64 SelectedMemberId() const;

    // Reloads a list from the store; store errors propagate.
    void LoadProjects();
    void LoadClasses(qint64 projectId);
    void LoadMembers(qint64 classId);

    QLabel* Image1;
    QGroupBox* GroupBox1;
    QLabel* Label1;
    QComboBox* CB_Project;
    QLabel* Label2;
    QListWidget* LB_Object;
    // Shown instead of nothing while there is no project.
    QPushButton* Btn_Sample;
    QTableWidget* LV_Member;
    QGroupBox* GroupBox2;
    QPlainTextEdit* Memo_State;
    // Files written of files to write, while a run goes on; full once it has finished.
    QProgressBar* ProgressBar1;
    // Shown beside the menus while a model file is read or written.
    QWidget* Panel_Busy;
    QLabel* Label_Busy;
    QTimer* Timer1;
    QMenuBar* MainMenu1;
    QMenu* MenuProject;
    QMenu* MenuCode;
    QMenu* MenuHelp;
    QAction* F2;
    QAction* N1;
    QAction* D1;
    QAction* A2;
    QAction* N2;
    QAction* S1;
    QAction* M1;
    QAction* N3;
    QAction* C1;
    QAction* E1;
    QAction* I1;
    QAction* I2;
    QAction* I3;
    QAction* S2;
    QAction* D2;
    QAction* T1;
    QAction* A1;
    QAction* V1;
    QAction* H1;
    QAction* S3;

    // Position in CB_Project to select after the next LoadProjects; -1: the first.
    int keptProjectIndex = -1;
    // Package of the next generation; held in memory only.
    QString packageName;
    // Class named by the last model check notification.
    qint64 errorClassId = 0;

public slots:
    void F2Click();
    void N1Click();
    void D1Click();
    void A2Click();
    void N2Click();
    void S1Click();
    void M1Click();
    void N3Click();
    void C1Click();
    void E1Click();
    void I1Click();
    void I2Click();
    void I3Click();
    void S2Click();
    void D2Click();
    void T1Click();
    void A1Click();
    void V1Click();
    void H1Click();
    void S3Click();

    void CB_ProjectChange();
    void LB_ObjectClick();
    void LB_ObjectDblClick();
    void LV_MemberDblClick();
    void Image1Click();
    void Timer1Timer();

    // The generation's side of the window, called on this window's thread.
    void OnGenerationPlanned(int files);
    void OnGenerationProgress(const QStringList& lines);
    void OnFilesWritten(int count);
    // The run's gate refused the model: a key or display refusal names its class in a message
    // (and keeps it in errorClassId), a model rule is shown as an error.
    void OnRefused(const TRefusal& refusal);
    // Opens the output folder of the run's project, named as when the run started.
    void OnGenerationFinished(const QString& projectName);
    void CloseStaleQuestion();
    void OnGenerationError(const QString& message);
    // The latest run's thread has ended; finished: the run had finished.
    void OnGenerationEnded(bool finished);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // During a run, asks whether to stop it; stopping ends it before its next file.
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    // MainFormLayout.cpp: the widgets, their layout and the menu.
    void CreateWidgets();
    void CreateBanner(QWidget* parent);
    void CreateProjectArea(QWidget* parent);
    void CreateMemberTable();
    void CreateProgressArea();
    void CreateBusyPanel();
    void LayOut(QWidget* client);
    void CreateMenu();
    void ConnectRunner();
    QAction* AddItem(QMenu* menu, const QString& text, void (TFormMain::*handler)());

    // MainFormLists.cpp: the lists and the selection.
    void FillProjectBox();
    // Reloads the projects with the given one selected, kept as a rename keeps its position.
    void LoadProjectsSelecting(qint64 projectId);
    void SelectImported(const QStringList& names);
    void ClearClassesAndMembers();
    void AddMemberRow(const TMember& member);
    // The highlighted class is the one the commands act on.
    void KeepClassHighlight();
    void RenameClassItem(qint64 classId, const QString& className);

    // MainFormCommands.cpp: the commands on the model; store errors propagate.
    void NewProject();
    void RenameProject();
    void DeleteProject();
    void AddClassCommand();
    void RenameClass();
    void DeleteClass();
    void AddMemberCommand();
    void EditMember();
    void DeleteMember();
    void SetPackageName();
    // The selected project's database kind and Admin table name.
    void SetDatabaseKind();
    void SetAdminTable();
    static std::optional<QString> ProjectNameRefusal(const QString& name, TProjectDAO& projects);

    // MainFormModelFiles.cpp: the model file commands, on the busy runner.
    void ExportModel();
    void ImportModelFile();
    void ImportOldDatabase();
    void ImportFromDatabase();
    // Adds the sample project unless it exists, and selects it.
    void AddSample();
    // Starts a model file command, unless one is running: the model file actions are disabled
    // until the command calls ended, which also selects the projects it added.
    void ModelFileCommand(const std::function<void(const ModelFiles::TEnded& ended)>& command);
    void SetModelFileBusy(bool busy);
    // Activates the window with the keyboard in the project box.
    void TakeFocus();
    // The busy bar beside the menus, while work runs on the busy runner.
    void ShowBusy(bool busy, const QString& doing);

    // MainFormRun.cpp: the run's view.
    void Generate();
    void PreviewClass();
    // The folders of a run, without its project.
    TGenerationSettings Folders() const;
    TGenerationSettings Settings() const;
    void ShowPreview(const TGenerationSettings& settings, qint64 classId);
    void ReleaseFreedMemory();
    static constexpr int kReleaseDelayMs = 100;

    void ShowModal(QDialog& dialog);
    bool Guard(const std::function<void()>& command);
    void Message(const QString& text);

    TUserSeam* seam_;
    QString rootDir_;
    QString resourceDir_; // empty: rootDir_
    TModalHook modalHook_;
    TGenerationRunner* runner_;
    TBusyRunner* busy_; // the model file commands' work
    std::unique_ptr<TProgressLog> progressLog_;
    bool modelFileBusy_ = false;
    TImportDbValues importDbValues_; // the database import dialog's last values
};
