// The test child: a small program that the process tests start. What it does
// comes from its own command line (any word, the first included):
//   --out=<file>   write the record of how it was started to <file>
//   --exit=<n>     end with exit code n (default 0)
//   --signal=<n>   Linux: end by signal n after writing the record
// Without such words it falls back to the environment variables
// TAVO_CHILD_OUT and TAVO_CHILD_EXIT, so that a start without any command
// line can be observed too.
// The record: Windows: the raw command line (GetCommandLineW) as UTF-8;
// Linux: every argv entry followed by "\n".
#pragma once

#include <string>
#include <vector>

namespace TestChild {

struct Orders {
    std::string outFile;  // "" when nothing is to be written
    int exitCode = 0;
    int signal = 0;
};

// The orders found in `words` (UTF-8), else in the environment.
Orders ReadOrders(const std::vector<std::string>& words);

// Writes `bytes` to `path` (UTF-8) through a temporary file and a rename, so
// a reader never sees half a record. Platform part.
bool WriteRecord(const std::string& path, const std::string& bytes);

}  // namespace TestChild
