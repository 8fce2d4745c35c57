#pragma once

#include <QString>

#include "Refusal.h"

// Receives everything a generation run reports, on the run's own thread.
class TGenerationListener {
public:
    virtual ~TGenerationListener() = default;

    // The number of files the run is about to write, once the model has passed the gate:
    // the files of its plan (RunPipeline::PlannedFiles). Each written file then has one
    // progress line ending in a done suffix of GeneratedFile.h, followed by OnFileWritten.
    virtual void OnPlanned(int files) = 0;
    // One finished step, in order.
    virtual void OnProgress(const QString& line) = 0;
    // A file of the plan has been written; path is relative to the program's folder
    // ("projects/<project>/src/struts.xml"), as its progress line names it.
    virtual void OnFileWritten(const QString& path) { (void)path; }
    // The gate refused the model (a key, display or model rule; never TRefusalKind::Path,
    // which ends the run through OnError): the run ends without writing anything.
    virtual void OnRefused(const TRefusal& refusal) = 0;
    // Returns only once the user has seen it.
    virtual void OnFinished() = 0;
    // The run stopped on an error; its progress line has already been sent.
    virtual void OnError(const QString& message) = 0;
};
