#pragma once

#include <QString>
#include <utility>

namespace zovi {

// The exclusive hold of one process on a database folder while it is open: an operating-system
// lock on the file zovi.lock in the folder. The system drops the lock when the process ends in
// any way, so an instance that crashed or was killed never leaves a stale lock behind.
class FolderLock {
public:
    enum class Result {
        Locked,     // this process holds the folder now
        Busy,       // another process (or another hold of this one) has the folder open
        Unlockable, // no lock file can be made or read (a read-only folder): nobody writes there
    };

    FolderLock() = default;
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    // The hold passes on; the object moved from holds nothing.
    FolderLock(FolderLock&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    FolderLock& operator=(FolderLock&& other) noexcept {
        if (this != &other) {
            release();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }

    // Drops any hold this object has, then tries to take folder without waiting.
    Result acquire(const QString& folder);
    void release();
    bool held() const { return m_fd >= 0; }

    static QString fileName();

private:
    int m_fd = -1;
};

} // namespace zovi
