#pragma once
// Keeps a second program off a store that one already uses: an exclusive flock(2) on a lock file
// inside the store folder, held for as long as the object lives. Without a session bus the
// single-instance hand-over cannot see the first program, and two programs on one link base
// would overwrite each other's changes.
//
// flock belongs to the open file description, so the lock is also refused to a second open of
// the same file in this process, and the kernel drops it when the process dies however it ends:
// a crash never leaves a store locked.

#include <QString>

namespace tallomer {

class StoreLock {
public:
    enum class State {
        Unlocked, // not asked yet, or released
        Locked,   // this object holds the lock
        Busy,     // another open of the lock file holds it
        Failed,   // the lock file could not be opened or locked; see error()
    };

    // The lock file of a store folder.
    static QString lockFilePath(const QString& storeFolder);

    StoreLock() = default;
    ~StoreLock();
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

    // Creates the lock file when missing and tries to lock it without waiting. A lock already
    // held by this object stays held.
    State lock(const QString& lockFile);
    void release();

    State state() const { return state_; }
    bool isLocked() const { return state_ == State::Locked; }
    // The system's description of a failure; empty otherwise.
    const QString& error() const { return error_; }

private:
    int fd_ = -1;
    State state_ = State::Unlocked;
    QString error_;
};

} // namespace tallomer
