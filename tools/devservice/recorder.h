// The service's record of requests: kept in memory and, when a file is
// given, written to it as JSON lines (RecordLine), one line per request,
// flushed at once so that another process can follow it. Any thread may
// call every member; a lock keeps the lines whole and in order.
#pragma once

#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "tools/devservice/record.h"

namespace DevService {

class Recorder {
  public:
    // Opens (truncates) `path`; "" keeps the record in memory only. False
    // with a reason in `error` when the file cannot be written.
    bool Open(const std::string& path, std::string& error);

    // Numbers the request (seq), stamps its time, keeps it and writes its line.
    void Add(RecordedRequest request);

    std::vector<RecordedRequest> Snapshot() const;

    // The record as JSON lines, each ended by "\n".
    std::string Lines() const;

    // Forgets every request and truncates the file; seq starts again at 1.
    void Reset();

  private:
    mutable std::mutex mutex_;
    std::string path_;                       // guarded by mutex_
    std::ofstream file_;                     // guarded by mutex_
    std::vector<RecordedRequest> requests_;  // guarded by mutex_
};

// The current UTC time as "2024-05-01T12:00:00.123Z".
std::string UtcTimeText();

}  // namespace DevService
