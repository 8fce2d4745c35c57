#include "AutoCode.h"

#include <QDir>
#include <QStringList>
#include <exception>
#include <stdexcept>

#include "CodeText.h"
#include "FileOperate.h"
#include "ModelCheck.h"
#include "OutputWriter.h"
#include "Printable.h"
#include "ViewFiles.h"

namespace {

using CodeText::Quoted;

const QString kBusy = QStringLiteral("该工程正在生成代码,请稍候");

// Thrown between two files of a run that was asked to stop.
struct TStopped {};

void RequireSafeName(const QString& kind, const QString& name) {
    if (const std::optional<QString> error = ModelCheck::UnsafeNameError(kind, name))
        throw std::runtime_error(error->toStdString());
}

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
// when the model was refused.
bool TAutoCode::BuildAndWrite() {
    const RunPipeline::TRunInput input = RunPipeline::ReadRunInput(settings_);
    if (!CheckModel(input.model))
        return false;
    CheckNames(input.model);
    if (!CheckModelRules(input.model))
        return false;
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
    TOutputWriter writer(Absolute(Output(QString())));
    writer_ = &writer;
    for (const RunPipeline::TRunStep& step : steps)
        WriteStep(step);
    writer_ = nullptr;
    // Files are not flushed one by one: once, before the run says it is done.
    TFileOperate::SyncFileSystem(Absolute(Output(QString())));
    Progress(writer.Summary(writer.Unproduced(GeneratedFolders())));
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
        writer_->CopyFile(Resource(step.source), step.target);
        if (!step.doneSuffix.isEmpty())
            Written(Output(step.target), step.doneSuffix);
        return;
    }
    case TKind::CopyFolder: {
        const QString source = Resource(step.source);
        if (!writer_->CopyFolder(source, step.target))
            throw TFileError("无法读取文件夹: " + source);
        Progress(step.linePrefix + Output(step.target) + step.doneSuffix);
        return;
    }
    case TKind::Note:
        Progress(step.doneSuffix);
        return;
    }
}

// Every class has exactly one key member, then every class exactly one display member; the
// first class that fails is reported.
bool TAutoCode::CheckModel(const TProjectModel& model) {
    if (const TClassModel* c = ModelCheck::FirstWithoutOne(model, &TClassModel::CountKeyMembers)) {
        if (listener_ != nullptr)
            listener_->OnPrimaryKeyError(c->classId, c->className);
        return false;
    }
    if (const TClassModel* c =
            ModelCheck::FirstWithoutOne(model, &TClassModel::CountDisplayMembers)) {
        if (listener_ != nullptr)
            listener_->OnDisplayMemberError(c->classId, c->className);
        return false;
    }
    return true;
}

// The rules that make the generated code compile, after the names are known to be safe paths.
bool TAutoCode::CheckModelRules(const TProjectModel& model) {
    if (settings_.skipModelRules)
        return true;
    if (const std::optional<QString> error =
            ModelCheck::FirstModelError(model, settings_.packageName)) {
        if (listener_ != nullptr)
            listener_->OnModelError(*error);
        return false;
    }
    return true;
}

// Every name below becomes part of a path: none may lead out of the output root.
void TAutoCode::CheckNames(const TProjectModel& model) const {
    if (!QDir::isAbsolutePath(settings_.rootDir))
        throw std::runtime_error(
            QString("程序目录必须是绝对路径: " + Quoted(settings_.rootDir)).toStdString());
    if (!settings_.resourceDir.isEmpty() && !QDir::isAbsolutePath(settings_.resourceDir))
        throw std::runtime_error(
            QString("资源目录必须是绝对路径: " + Quoted(settings_.resourceDir)).toStdString());
    RequireSafeName(QStringLiteral("工程名称"), settings_.projectName);
    if (const std::optional<QString> error = ModelCheck::ProjectNameError(settings_.projectName))
        throw std::runtime_error(error->toStdString());
    RequireSafeName(QStringLiteral("包名"), settings_.packageName);
    for (const TClassModel& c : model.Classes())
        RequireSafeName(QStringLiteral("类名"), c.className);
}

QString TAutoCode::Output(const QString& tail) const {
    return "projects/" + settings_.projectName + "/" + tail;
}

QString TAutoCode::Absolute(const QString& relative) const {
    return QDir(settings_.rootDir).filePath(relative);
}

QString TAutoCode::Resource(const QString& relative) const {
    const bool own = !settings_.resourceDir.isEmpty();
    return QDir(own ? settings_.resourceDir : settings_.rootDir).filePath(relative);
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
