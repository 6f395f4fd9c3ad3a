// The command line of tavo-devservice. Stateless; any thread may call these.
#pragma once

#include <string>
#include <vector>

#include "tools/devservice/dev_service.h"

namespace DevService {

struct CommandLine {
    Options options;
    std::string portFile;  // "": no port file
    bool help = false;
};

// Reads the arguments that follow the program name (see UsageText). Returns
// false with a one-line reason in `error` on an unknown option, a missing or
// malformed value, a scenario file that cannot be read or is not JSON, or a
// scenario that ParseScenario refuses.
bool ParseOptions(const std::vector<std::string>& args, CommandLine& out, std::string& error);

// Reads "<digits>[K|M|G]" (K = 1024 bytes) into `bytes`.
bool ParseByteCount(const std::string& text, uint64_t& bytes);

std::string UsageText();

}  // namespace DevService
