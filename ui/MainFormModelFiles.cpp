// The window's model file commands. Their reading, checking, storing and writing run on the
// busy runner (TBusyRunner): the window stays usable, the busy bar says what runs, and the
// model file commands are disabled until the command has ended; no event loop of their own.
#include "BusyRunner.h"
#include "FormImportDb.h"
#include "MainForm.h"
#include "ModelFiles.h"

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
    for (QAction* action : {E1, I1, I2, I3})
        action->setEnabled(!busy);
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

// The dialog is the command: its reading and storing run on the busy runner while it is open.
void TFormMain::ImportFromDatabase() {
    ModelFileCommand([this](const ModelFiles::TEnded& ended) {
        TImportDbForm form(*seam_, this, busy_->OffThread());
        connect(&form, &TImportDbForm::ProjectImported, this,
                [this](const QString& name) { SelectImported({name}); });
        ShowModal(form);
        ended({});
    });
}
