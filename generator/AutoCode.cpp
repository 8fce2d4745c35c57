#include "AutoCode.h"

#include <QDir>
#include <QStringList>
#include <exception>
#include <stdexcept>

#include "FileOperate.h"
#include "ModelCheck.h"
#include "OutputWriter.h"
#include "ViewFiles.h"

namespace {

const QString kBusy = QStringLiteral("该工程正在生成代码,请稍候");

// Thrown between two files of a run that was asked to stop.
struct TStopped {};

} // namespace

TAutoCode::TAutoCode(const TGenerationSettings& settings, TGenerationListener* listener,
                     QObject* parent)
    : QThread(parent), settings_(settings), listener_(listener) {}

void TAutoCode::run() {
    Execute();
}

void TAutoCode::Execute() {
    try {
        Generate();
    } catch (const TStopped&) {
        Progress(kStoppedLine);
    } catch (const std::exception& error) {
        Fail(QString::fromUtf8(error.what()));
    } catch (...) {
        Fail(QStringLiteral("未知错误"));
    }
}

// The model, the templates and every built file are let go before the run says it has
// finished: a listener may hold the run there (the window's box waits for the user).
void TAutoCode::Generate() {
    if (BuildAndWrite() && listener_ != nullptr)
        listener_->OnFinished();
}

// The model and the templates are read once; every step after that works on that copy. False
// when the gate refused the model.
bool TAutoCode::BuildAndWrite() {
    const RunPipeline::TRunInput input = RunPipeline::ReadRunInput(settings_);
    if (const std::optional<TRefusal> refusal = ModelCheck::FirstRefusal(input.model, settings_)) {
        if (refusal->kind == TRefusalKind::Path)
            throw std::runtime_error(refusal->message.toStdString());
        if (listener_ != nullptr)
            listener_->OnRefused(*refusal);
        return false;
    }
    StopIfAsked();
    const RunPipeline::TRunSteps steps = RunPipeline::BuildProject(input);
    StopIfAsked();
    if (listener_ != nullptr)
        listener_->OnPlanned(RunPipeline::PlannedFiles(steps));
    WriteProject(steps);
    return true;
}

// Every file is written under the project's lock: a second run of the same project, in this
// process or another, is refused before it writes anything.
void TAutoCode::WriteProject(const RunPipeline::TRunSteps& steps) {
    const TFileLock lock(Absolute("projects/." + settings_.projectName + ".lock"));
    if (!lock.IsHeld())
        throw std::runtime_error(kBusy.toStdString());
    // The project's folder itself is made a real folder too: a link there is replaced.
    TFileOperate::MakeFolderBelow(Absolute(QStringLiteral("projects")),
                                  Absolute(Output(QString())));
    TFileOperate::RemovePartialFiles(Absolute(Output(QString())));
    writer_.emplace(Absolute(Output(QString())));
    for (const RunPipeline::TRunStep& step : steps)
        WriteStep(step);
    // Files are not flushed one by one: once, before the run says it is done.
    TFileOperate::SyncFileSystem(Absolute(Output(QString())));
    Progress(writer_->Summary(writer_->Unproduced(GeneratedFolders())));
    writer_.reset();
}

// The folders whose files all come from the model: a file there that the run did not produce
// is one of a class no longer in the model, or the user's own.
QStringList TAutoCode::GeneratedFolders() const {
    const QString package = "src/com/" + settings_.packageName + "/";
    return {package + "domain", package + "action", package + "dao", QStringLiteral("WebRoot")};
}

void TAutoCode::WriteStep(const RunPipeline::TRunStep& step) {
    using TKind = RunPipeline::TRunStep::TKind;
    StopIfAsked();
    switch (step.kind) {
    case TKind::Write:
        Write(step.file);
        return;
    case TKind::WriteUnlessModified: {
        const QString relative = Output(step.file.path);
        const std::optional<QByteArray> firstLine = TFileOperate::ReadFirstLine(Absolute(relative));
        if (firstLine && !QString::fromUtf8(*firstLine).contains(ViewFiles::kGeneratedMark)) {
            writer_->Kept(step.file.path);
            Progress("保留已修改的文件: " + relative + " (首行已没有生成标记)");
        } else {
            Write(step.file);
        }
        return;
    }
    case TKind::CopyFile: {
        writer_->CopyFile(settings_.Resource(step.source), step.target);
        if (!step.doneSuffix.isEmpty())
            Written(Output(step.target), step.doneSuffix);
        return;
    }
    case TKind::CopyFolder: {
        const QString source = settings_.Resource(step.source);
        if (!writer_->CopyFolder(source, step.target, step.skipped))
            throw TFileError("无法读取文件夹: " + source);
        Progress(step.linePrefix + Output(step.target) + step.doneSuffix);
        return;
    }
    case TKind::Note:
        Progress(step.doneSuffix);
        return;
    }
}

QString TAutoCode::Output(const QString& tail) const {
    return "projects/" + settings_.projectName + "/" + tail;
}

QString TAutoCode::Absolute(const QString& relative) const {
    return QDir(settings_.rootDir).filePath(relative);
}

// The file's bytes in its encoding; replaced counts the characters GBK could not hold.
QByteArray TAutoCode::Encoded(const TGeneratedFile& file, int& replaced) {
    switch (file.encoding) {
    case TFileEncoding::Ansi:
        return TFileOperate::EncodeGbk(file.text, &replaced);
    case TFileEncoding::Utf8:
        return file.text.toUtf8();
    case TFileEncoding::Utf8Bom:
        break;
    }
    return QByteArray("\xEF\xBB\xBF") + file.text.toUtf8();
}

void TAutoCode::Write(const TGeneratedFile& file) {
    for (const QString& warning : file.warnings)
        Progress(warning);
    int replaced = 0;
    writer_->WriteFile(file.path, Encoded(file, replaced));
    const QString relative = Output(file.path);
    Written(relative, file.doneSuffix);
    if (replaced > 0)
        Progress("警告: " + relative + "中有" + QString::number(replaced) +
                 "个字符无法以GBK保存,已写为?");
}

void TAutoCode::Written(const QString& relative, const QString& suffix) {
    Progress(relative + suffix);
    if (listener_ != nullptr)
        listener_->OnFileWritten(relative);
}

void TAutoCode::StopIfAsked() const {
    if (isInterruptionRequested())
        throw TStopped();
}

void TAutoCode::Progress(const QString& line) {
    if (listener_ != nullptr)
        listener_->OnProgress(line);
}

// The reason goes to the log first, then to the listener; nothing escapes the run.
void TAutoCode::Fail(const QString& reason) {
    try {
        Progress("生成失败: " + reason);
        if (listener_ != nullptr)
            listener_->OnError(reason);
    } catch (...) {
    }
}
