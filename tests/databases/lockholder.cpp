// Stands for another instance of the program in the lock tests: takes the lock of the folder
// given as its argument, says "locked" or "busy" on a line, and holds the lock until it is killed.
#include "store/folderlock.h"

#include <QString>
#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    zovi::FolderLock lock;
    const auto result = lock.acquire(QString::fromLocal8Bit(argv[1]));
    std::puts(result == zovi::FolderLock::Result::Locked ? "locked" : "busy");
    std::fflush(stdout);
    if (result != zovi::FolderLock::Result::Locked)
        return 1;
    for (;;)
        pause();
}
