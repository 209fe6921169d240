#pragma once

// A step on a database folder run in a child process that kills itself with SIGKILL at the
// point-th checkpoint the folder's file steps pass (BackupCopy::setCheckpoint), as a crash or a
// power cut would stop it there.

#include "databases/databasefolder.h"

#include <csignal>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace zovi::test {

enum class ChildEnd {
    Killed,   // stopped at the checkpoint
    Finished, // ran to its end, and the step succeeded
    Failed,   // the step failed, or the child could not be run or waited for
};

// step returns whether it succeeded.
inline ChildEnd RunKilledAtCheckpoint(int point, const std::function<bool()>& step) {
    const pid_t child = fork();
    if (child == 0) {
        int passed = 0;
        BackupCopy::setCheckpoint([&] {
            if (++passed == point)
                raise(SIGKILL);
        });
        _exit(step() ? 0 : 1);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child)
        return ChildEnd::Failed;
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
        return ChildEnd::Killed;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? ChildEnd::Finished : ChildEnd::Failed;
}

} // namespace zovi::test
