#pragma once

#include <QString>

// Receives everything a generation run reports, on the run's own thread.
class TGenerationListener {
public:
    virtual ~TGenerationListener() = default;

    // One finished step, in order.
    virtual void OnProgress(const QString& line) = 0;
    // Each of the next three returns only once the user has seen it.
    virtual void OnPrimaryKeyError(int classId) = 0;
    virtual void OnDisplayMemberError(int classId) = 0;
    virtual void OnFinished() = 0;
    // The run stopped on an error; its progress line has already been sent.
    virtual void OnError(const QString& message) = 0;
};
