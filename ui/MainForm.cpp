#include "MainForm.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QTimer>

#include "BusyRunner.h"
#include "GenerationRunner.h"
#include "Guard.h"
#include "ProgressLog.h"

// The window by job: MainFormLayout.cpp builds the widgets and the menu, MainFormLists.cpp
// loads the lists, MainFormCommands.cpp holds the commands on the model,
// MainFormModelFiles.cpp the model file commands (on the busy runner, TBusyRunner) and
// MainFormRun.cpp the run's view (generation, preview, what runs report). This file holds the
// window's life and its fixed handler names, each a short forward.

static void InitUiResources() {
    Q_INIT_RESOURCE(ui);
}

namespace {

const QString kStopQuestion = QStringLiteral("正在生成代码, 要停止生成并关闭窗口吗?");

} // namespace

TFormMain::TFormMain(TUserSeam* seam, const QString& rootDir, QWidget* parent)
    : QMainWindow(parent), seam_(seam),
      rootDir_(rootDir.isEmpty() ? QCoreApplication::applicationDirPath() : rootDir),
      modalHook_([](QDialog& dialog) { dialog.exec(); }), runner_(new TGenerationRunner(this)),
      busy_(new TBusyRunner(this)) {
    InitUiResources();
    setWindowTitle(kApplicationTitle);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(FormFont());
    CreateWidgets();
    move(200, 126);
    Timer1 = new QTimer(this);
    Timer1->setSingleShot(true);
    Timer1->setInterval(5000);
    connect(Timer1, &QTimer::timeout, this, &TFormMain::Timer1Timer);
    Timer1->start();
    FormCreate();
}

TFormMain::~TFormMain() {
    runner_->WaitForAll();
}

void TFormMain::FormCreate() {
    keptProjectIndex = -1;
    packageName = QStringLiteral("brennoquill");
    Guard([this] { LoadProjects(); });
}

void TFormMain::SetModalHook(TModalHook hook) {
    modalHook_ = std::move(hook);
}

QUrl TFormMain::HomePage() const {
    return QUrl::fromLocalFile(Folders().Resource(QStringLiteral("help/index.html")));
}

void TFormMain::F2Click() {
    Guard([this] { NewProject(); });
}

void TFormMain::N1Click() {
    Guard([this] { RenameProject(); });
}

void TFormMain::D1Click() {
    Guard([this] { DeleteProject(); });
}

void TFormMain::A2Click() {
    Guard([this] { AddClassCommand(); });
}

void TFormMain::N2Click() {
    Guard([this] { RenameClass(); });
}

void TFormMain::S1Click() {
    Guard([this] { DeleteClass(); });
}

void TFormMain::M1Click() {
    Guard([this] { AddMemberCommand(); });
}

void TFormMain::N3Click() {
    Guard([this] { EditMember(); });
}

void TFormMain::C1Click() {
    Guard([this] { DeleteMember(); });
}

void TFormMain::E1Click() {
    ExportModel();
}

void TFormMain::I1Click() {
    ImportModelFile();
}

void TFormMain::I2Click() {
    ImportOldDatabase();
}

void TFormMain::I3Click() {
    ImportFromDatabase();
}

void TFormMain::S2Click() {
    SetPackageName();
}

void TFormMain::D2Click() {
    Guard([this] { SetDatabaseKind(); });
}

void TFormMain::T1Click() {
    Guard([this] { SetAdminTable(); });
}

void TFormMain::A1Click() {
    Guard([this] { Generate(); });
}

void TFormMain::V1Click() {
    Guard([this] { PreviewClass(); });
}

void TFormMain::H1Click() {
    seam_->OpenUrl(HomePage());
}

void TFormMain::S3Click() {
    AddSample();
}

void TFormMain::CB_ProjectChange() {
    Guard([this] {
        LV_Member->setRowCount(0);
        if (CB_Project->currentIndex() >= 0)
            LoadClasses(SelectedProjectId());
    });
}

void TFormMain::LB_ObjectClick() {
    KeepClassHighlight();
    Guard([this] {
        if (LB_Object->currentItem() != nullptr)
            LoadMembers(SelectedClassId());
    });
}

void TFormMain::LB_ObjectDblClick() {
    N2Click();
}

void TFormMain::LV_MemberDblClick() {
    if (LB_Object->currentItem() != nullptr && SelectedMemberRow() < 0)
        M1Click();
    else
        N3Click();
}

void TFormMain::Image1Click() {
    seam_->OpenUrl(HomePage());
}

void TFormMain::Timer1Timer() {
    Timer1->stop();
    seam_->OpenUrl(HomePage());
}

void TFormMain::closeEvent(QCloseEvent* event) {
    if (runner_->Running() > 0) {
        if (!seam_->Confirm(QStringLiteral("提示"), kStopQuestion))
            return event->ignore();
        runner_->StopAll();
        runner_->WaitForAll();
    }
    QMainWindow::closeEvent(event);
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == Image1 && type == QEvent::MouseButtonRelease) {
        Image1Click();
        return true;
    }
    if (watched == LV_Member->viewport() &&
        (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)) {
        // A click beside the rows leaves no row selected.
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (!LV_Member->indexAt(mouse->position().toPoint()).isValid())
            LV_Member->clearSelection();
        if (type == QEvent::MouseButtonDblClick) {
            LV_MemberDblClick();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFormMain::ShowModal(QDialog& dialog) {
    modalHook_(dialog);
}

bool TFormMain::Guard(const std::function<void()>& command) {
    return RunGuarded(*seam_, command);
}

void TFormMain::Message(const QString& text) {
    seam_->Message(text);
}
