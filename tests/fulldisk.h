#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QTest>
#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>

namespace zovi::test {

// A small file system mounted on a folder (64 KiB, as the superuser may mount one), filled by
// fill() until every further write fails with "No space left on device". Detached lazily when
// it goes, so that nothing stays mounted even while a file in it is open.
class FullDisk {
public:
    explicit FullDisk(const QString& folder) : m_folder(folder) {
        QDir().mkpath(folder);
        m_mounted =
            mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=64k") == 0;
    }
    ~FullDisk() {
        if (m_mounted)
            umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    bool mounted() const { return m_mounted; }
    void fill() {
        QFile filler(m_folder + QStringLiteral("/filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size()) {
        }
    }

private:
    QString m_folder;
    bool m_mounted = false;
};

// A write failure that needs no mount: while it lives, no file this process writes may grow
// beyond bytes, so a longer write fails ("File too large") as on a full disk (SIGXFSZ is
// ignored, so it does not end the process).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        m_set = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_saved); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool set() const { return m_set; }

private:
    rlimit m_saved{};
    bool m_set = false;
};

} // namespace zovi::test
