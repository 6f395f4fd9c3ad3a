#include <unistd.h>

#include <cstdio>

#include "views/headless_console.h"

bool StderrIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

void WriteStderr(const std::string& utf8) {
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
    std::fflush(stderr);
}
