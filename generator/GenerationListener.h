#pragma once

#include <QString>

// What the user is told when a class fails a model check.
inline QString PrimaryKeyErrorText(const QString& className) {
    return className + QStringLiteral("表主键设置错误，每个类只能设置一个主键!");
}
inline QString DisplayMemberErrorText(const QString& className) {
    return className + QStringLiteral("表显示成员设置错误，每个类有且只能设置一个显示成员!");
}

// Receives everything a generation run reports, on the run's own thread.
class TGenerationListener {
public:
    virtual ~TGenerationListener() = default;

    // The number of files the run is about to write, once the model has passed the checks:
    // the files of its plan (RunPipeline::PlannedFiles). Each written file then has one
    // progress line ending in a done suffix of GeneratedFile.h, followed by OnFileWritten.
    virtual void OnPlanned(int files) = 0;
    // One finished step, in order.
    virtual void OnProgress(const QString& line) = 0;
    // A file of the plan has been written; path is relative to the program's folder
    // ("projects/<project>/src/struts.xml"), as its progress line names it.
    virtual void OnFileWritten(const QString& path) { (void)path; }
    // Each of the next four returns only once the user has seen it. The class is named as the
    // run's snapshot of the model holds it, with its id.
    virtual void OnPrimaryKeyError(qint64 classId, const QString& className) = 0;
    virtual void OnDisplayMemberError(qint64 classId, const QString& className) = 0;
    // The model breaks a rule of the generated code; the message names the class and member.
    virtual void OnModelError(const QString& message) = 0;
    virtual void OnFinished() = 0;
    // The run stopped on an error; its progress line has already been sent.
    virtual void OnError(const QString& message) = 0;
};
