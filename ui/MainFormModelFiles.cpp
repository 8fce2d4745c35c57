// The window's model file commands. Their reading, checking, storing and writing run on the
// busy runner (TBusyRunner): the window stays usable, the busy bar says what runs, and the
// model file commands are disabled until the command has ended; no event loop of their own.
#include <memory>

#include "BusyRunner.h"
#include "FormImportDb.h"
#include "MainForm.h"
#include "ModelFiles.h"
#include "SampleModel.h"

void TFormMain::ModelFileCommand(
    const std::function<void(const ModelFiles::TEnded& ended)>& command) {
    if (modelFileBusy_) // its actions are disabled meanwhile
        return;
    SetModelFileBusy(true);
    const ModelFiles::TEnded ended = [this](const QStringList& names) {
        SetModelFileBusy(false);
        Guard([this, &names] { SelectImported(names); });
    };
    if (!Guard([&] { command(ended); }))
        SetModelFileBusy(false);
}

void TFormMain::SetModelFileBusy(bool busy) {
    modelFileBusy_ = busy;
    for (QAction* action : {E1, I1, I2, I3, S3})
        action->setEnabled(!busy);
    Btn_Sample->setEnabled(!busy);
}

void TFormMain::ShowBusy(bool busy, const QString& doing) {
    if (busy)
        Label_Busy->setText(doing);
    Panel_Busy->setVisible(busy);
}

void TFormMain::ExportModel() {
    ModelFileCommand([this](const ModelFiles::TEnded& ended) {
        if (CB_Project->currentIndex() < 0) {
            Message(QStringLiteral("当前未有任何项目被选中!"));
            return ended({});
        }
        ModelFiles::ExportProject(*seam_, busy_->OffThread(), SelectedProjectId(),
                                  CB_Project->currentText(), ended);
    });
}

void TFormMain::ImportModelFile() {
    ModelFileCommand([this](const ModelFiles::TEnded& ended) {
        ModelFiles::ImportModel(*seam_, busy_->OffThread(), ended);
    });
}

void TFormMain::ImportOldDatabase() {
    ModelFileCommand([this](const ModelFiles::TEnded& ended) {
        ModelFiles::ImportMdb(*seam_, busy_->OffThread(), ended);
    });
}

void TFormMain::AddSample() {
    ModelFileCommand([this](const ModelFiles::TEnded& ended) {
        auto added = std::make_shared<bool>(false);
        busy_->Run(
            QStringLiteral("正在添加示例项目..."), [added] { *added = AddSampleProject(); },
            [this, added, ended](std::exception_ptr error) {
                if (error) {
                    Guard([&error] { std::rethrow_exception(error); });
                    return ended({});
                }
                Message((*added ? QStringLiteral("已添加示例工程: ")
                                : QStringLiteral("示例工程已存在: ")) +
                        SampleProjectName());
                ended({SampleProjectName()});
            });
    });
}

// The dialog is the command: its reading and storing run on the busy runner while it is open.
// It opens with the values it was left with; the window has the keyboard again afterwards.
void TFormMain::ImportFromDatabase() {
    ModelFileCommand([this](const ModelFiles::TEnded& ended) {
        TImportDbForm form(*seam_, this, busy_->OffThread(), importDbValues_);
        connect(&form, &TImportDbForm::ProjectImported, this,
                [this](const QString& name) { SelectImported({name}); });
        connect(&form, &TImportDbForm::Abandoned, busy_, &TBusyRunner::Abandon);
        ShowModal(form);
        importDbValues_ = form.Values();
        TakeFocus();
        ended({});
    });
}

void TFormMain::TakeFocus() {
    activateWindow();
    CB_Project->setFocus();
}

int TFormMain::BusyThreads() const {
    return busy_->Threads();
}
