// The run's view of the window: starting a generation, the preview, and what the runs report
// (the progress log, the bar, refusals, the end of a run).
#include <QTimer>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "AutoCode.h"
#include "FormPreview.h"
#include "GenerationRunner.h"
#include "MainForm.h"
#include "Preview.h"
#include "ProgressLog.h"

void TFormMain::Generate() {
    if (CB_Project->currentIndex() < 0)
        return Message(QStringLiteral("没有一个工程被选中！"));
    Message(QStringLiteral("如果以前生成了该项目，最好先删除原来的目录!"));
    // Reading the model and building the files come before the first written file: the bar
    // moves to and fro meanwhile, and the log says what the run does.
    progressLog_->Clear();
    progressLog_->Append({kRunStartLine});
    ProgressBar1->setRange(0, 0);
    ProgressBar1->show();
    runner_->Start(Settings());
}

void TFormMain::PreviewClass() {
    if (CB_Project->currentIndex() < 0)
        return Message(QStringLiteral("没有一个工程被选中！"));
    if (LB_Object->currentItem() == nullptr)
        return Message(QStringLiteral("没有类被选中!"));
    ShowPreview(Settings(), SelectedClassId());
}

TGenerationSettings TFormMain::Folders() const {
    TGenerationSettings settings;
    settings.rootDir = rootDir_;
    settings.resourceDir = resourceDir_;
    return settings;
}

// The selected project as a run would be started on it now.
TGenerationSettings TFormMain::Settings() const {
    TGenerationSettings settings = Folders();
    settings.projectId = SelectedProjectId();
    settings.projectName = CB_Project->currentText();
    settings.packageName = packageName;
    return settings;
}

// What the next run would write for the class, or what it would refuse the model for.
void TFormMain::ShowPreview(const TGenerationSettings& settings, qint64 classId) {
    const Preview::TPreview preview = Preview::BuildPreview(settings, classId);
    if (preview.refusal) {
        const TRefusalKind kind = preview.refusal->kind;
        if (kind == TRefusalKind::PrimaryKey || kind == TRefusalKind::DisplayMember)
            return Message(preview.refusal->message);
        return seam_->Error(preview.refusal->message);
    }
    if (!preview.classFound)
        return Message(QStringLiteral("没有类被选中!"));
    TPreviewForm form(preview.className, preview.files, this);
    ShowModal(form);
}

void TFormMain::OnGenerationPlanned(int files) {
    ProgressBar1->setRange(0, files);
    ProgressBar1->setValue(0);
    ProgressBar1->show();
}

// The log always shows its last line.
void TFormMain::OnGenerationProgress(const QStringList& lines) {
    progressLog_->Append(lines);
}

void TFormMain::OnFilesWritten(int count) {
    ProgressBar1->setValue(qMin(ProgressBar1->value() + count, ProgressBar1->maximum()));
}

void TFormMain::OnRefused(const TRefusal& refusal) {
    // A refused run wrote nothing: its log holds nothing either.
    progressLog_->Clear();
    if (refusal.kind != TRefusalKind::PrimaryKey && refusal.kind != TRefusalKind::DisplayMember)
        return seam_->Error(refusal.message);
    errorClassId = refusal.classId;
    Guard([&] { Message(refusal.message); });
}

// The question whether to stop the runs and close no longer applies once the last one ends.
void TFormMain::CloseStaleQuestion() {
    if (runner_->Running() <= 1)
        seam_->CloseQuestion();
}

void TFormMain::OnGenerationFinished(const QString& projectName) {
    // The run has let go of what it built; it waits for the box below to end.
    ReleaseFreedMemory();
    CloseStaleQuestion();
    seam_->Information(QStringLiteral("任务提示"), QStringLiteral("所有代码生成完毕!"));
    seam_->OpenFolder(rootDir_ + QStringLiteral("/projects/") + projectName);
}

void TFormMain::OnGenerationError(const QString& message) {
    CloseStaleQuestion();
    seam_->Error(message);
}

// The bar is full after a finished run; any other run leaves no bar behind.
void TFormMain::OnGenerationEnded(bool finished) {
    if (finished)
        ProgressBar1->setValue(ProgressBar1->maximum());
    else
        ProgressBar1->hide();
    // After the run's thread object, deleted later, has let go of the model it read.
    QTimer::singleShot(kReleaseDelayMs, this, &TFormMain::ReleaseFreedMemory);
}

// A run's texts were built and freed on other threads; their memory goes back to the system.
void TFormMain::ReleaseFreedMemory() {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

int TFormMain::RunningGenerations() const {
    return runner_->Running();
}
