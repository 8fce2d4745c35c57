#pragma once

#include <QString>

// An exclusive advisory lock (flock) on a regular file, created if needed; a link, FIFO,
// device or folder at its place is an error, found without waiting. It belongs to the open
// file: a second lock of the same file fails even in the same process, and the system drops
// the lock when the process ends, however it ends.
class TFileLock {
public:
    explicit TFileLock(const QString& fileName); // throws when the file cannot be opened
    ~TFileLock();
    TFileLock(const TFileLock&) = delete;
    TFileLock& operator=(const TFileLock&) = delete;

    bool IsHeld() const { return held_; } // false: someone else holds it

private:
    int fd_ = -1;
    bool held_ = false;
};
