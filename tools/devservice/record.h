// The request record of the development service: one entry per request that
// reached it (control requests excepted), in arrival order, and the JSON line
// that stands for an entry in the record file and in the control API's
// answer. The line format is stable; docs/devservice.md describes it.
//
// Builds for every target (the Windows tests read the record over the control
// API); stateless, any thread may call these functions.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace DevService {

using HeaderList = std::vector<std::pair<std::string, std::string>>;

struct RecordedRequest {
    uint64_t seq = 0;      // 1 for the first request after a start or a reset
    std::string time;      // UTC arrival time, "2024-05-01T12:00:00.123Z"
    std::string method;    // "POST", "GET", ...
    std::string path;      // without the query
    std::string query;     // the text after "?", or ""
    HeaderList headers;    // as they came on the wire: names as sent, in order
    std::string body;      // the request body as text (see RecordLine)
    std::string endpoint;  // "report", "edition", "fault", "installer", "config", "file", "unknown"
    std::string answer;    // what the service did, e.g. "200 ok", "close", "500 fail 1/2"

    // The value of the first header named `name` (any letter case), or "".
    std::string Header(const std::string& name) const;
};

// One compact JSON object, without a line end. The body goes in as a JSON
// string; byte sequences that are not UTF-8 become U+FFFD.
std::string RecordLine(const RecordedRequest& request);

// Reads one line made by RecordLine. Returns false (and leaves `out` in an
// unspecified state) when the line is not such an object.
bool ParseRecordLine(const std::string& line, RecordedRequest& out);

// Reads JSON lines (blank lines skipped). Returns false when any line is not
// a record line; `out` then holds the lines read before it.
bool ParseRecordLines(const std::string& text, std::vector<RecordedRequest>& out);

}  // namespace DevService
