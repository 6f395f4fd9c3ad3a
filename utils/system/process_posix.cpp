#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>
#include <vector>

#include "utils/log/log.h"
#include "utils/log/textconv.h"
#include "utils/system/faults.h"
#include "utils/system/process.h"
#include "utils/system/process_log.h"

extern char** environ;

namespace Utils {

namespace {

// Starts `program` with `args` (argv[0] first); the child inherits no
// descriptor beyond the standard three, like a Windows child that inherits
// no handles. Returns 0 with `pid` set, or the spawn error.
int Spawn(const std::string& program, const std::vector<std::string>& args, pid_t& pid) {
    std::vector<char*> argv;
    for (const std::string& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc;
}

}  // namespace

int ExecutExeAtNewProcess(const std::wstring& program, const std::wstring& arguments) {
    HeldFile none;
    return ExecutExeAtNewProcess(program, arguments, none);
}

int ExecutExeAtNewProcess(const std::wstring& program, const std::wstring& arguments,
                          HeldFile& held) {
    LOG_ENTRY();
    if (arguments.size() >= kCommandLineCapacity) {
        // Cutting the text would hand the child a different command line.
        SetLastSystemError(E2BIG);
        TAVO_LOG_PROCESS_START_FAILURE(program, arguments);
        return -1;
    }
    const std::string path = WideToUtf8(program);
    std::vector<std::string> args;
    if (arguments.empty()) {
        args.push_back(path);  // a null command line: the program's name alone
    } else {
        for (const std::wstring& a : SplitCommandLine(arguments)) {
            args.push_back(WideToUtf8(a));
        }
    }
    pid_t pid = 0;
    const int rc = Spawn(path, args, pid);
    held.Release();
    if (rc != 0) {
        SetLastSystemError(static_cast<uint32_t>(rc));
        TAVO_LOG_PROCESS_START_FAILURE(program, arguments);
        return -1;
    }
    int status = 0;
    pid_t waited;
    do {
        waited = waitpid(pid, &status, 0);
    } while (waited == -1 && errno == EINTR);
    if (waited != pid) {
        return -2;
    }
    if (WIFSIGNALED(status)) {
        return 128 + WTERMSIG(status);
    }
    if (!WIFEXITED(status)) {
        return -2;
    }
    // Exit statuses are 8 bits here: 255 is what a child exiting with -1 leaves.
    const int code = WEXITSTATUS(status);
    if (code != 255) {
        return code;
    }
    ReportFault("system-1", 900, "dwExitCode==-1", false);
    return -1;
}

bool StartPrcess(std::wstring program) {
    LOG_ENTRY();
    const std::string path = WideToUtf8(program);
    pid_t pid = 0;
    if (Spawn(path, {path}, pid) != 0) {
        return false;
    }
    // Nobody waits for this child; reap it when it ends so that it leaves no
    // zombie behind while this program still runs.
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) == -1 && errno == EINTR) {
        }
    }).detach();
    return true;
}

bool MakeOwnerExecutable(const std::wstring& path) {
    const std::string file = WideToUtf8(path);
    struct stat st {};
    if (stat(file.c_str(), &st) != 0) {
        return false;
    }
    if ((st.st_mode & S_IXUSR) != 0) {
        return true;
    }
    return chmod(file.c_str(), (st.st_mode & 07777) | S_IXUSR) == 0;
}

}  // namespace Utils
