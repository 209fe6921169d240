#include "store/folderlock.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace zovi {

FolderLock::~FolderLock() {
    release();
}

QString FolderLock::fileName() {
    return QStringLiteral("zovi.lock");
}

FolderLock::Result FolderLock::acquire(const QString& folder) {
    release();
    const QByteArray path = QFile::encodeName(QDir(folder).filePath(fileName()));
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    // In a folder the user may only read, an existing lock file still carries the lock.
    if (fd < 0)
        fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Result::Unlockable;
    int rc;
    do
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const bool busy = errno == EWOULDBLOCK;
        ::close(fd);
        return busy ? Result::Busy : Result::Unlockable;
    }
    m_fd = fd;
    return Result::Locked;
}

void FolderLock::release() {
    if (m_fd < 0)
        return;
    ::close(m_fd); // closing the only descriptor drops the lock
    m_fd = -1;
}

} // namespace zovi
