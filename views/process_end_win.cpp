#include "views/process_end.h"

#include <windows.h>

#include <cstdio>

void EndProcessNow(int code) {
    std::fflush(nullptr);
    ExitProcess(static_cast<UINT>(code));
}
