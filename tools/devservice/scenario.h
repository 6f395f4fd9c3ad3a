// What the development service does, per endpoint: the answer of the three
// JSON endpoints (report, edition, fault) and the behaviour of the two served
// files (installer, config). A scenario is read from a JSON object; every
// member is optional and a missing one keeps its default, which is the
// well-behaved service. docs/devservice.md lists the members.
//
// Plain values; the functions are stateless and any thread may call them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "tools/devservice/file_body.h"

namespace DevService {

// The first `count` requests of an endpoint since the scenario was set fail:
// with the HTTP status `status`, or, with `close`, by closing the connection
// without any answer.
struct FailFirst {
    int count = 0;
    int status = 500;
    bool close = false;
};

// Answers of a JSON endpoint.
enum class AnswerKind {
    Ok,          // the endpoint's normal envelope
    Empty,       // an empty body
    Html,        // an HTML error page
    Array,       // the JSON text [1,2]
    Refuse,      // {"code":<code>,"msg":<msg>}; without "msg" when msg is null
    NoData,      // the normal envelope without "data"
    DataNoPath,  // the normal envelope with "data":{}
    Raw,         // `body` verbatim, with `contentType`
};

// Where the edition answer puts the configuration file's URL.
enum class ConfigUrlAt { Top, Data, None };

struct ApiBehaviour {
    AnswerKind answer = AnswerKind::Ok;
    nlohmann::json code = 1;  // Refuse: sent as given (any JSON value)
    std::optional<std::string> msg = std::string("refused by the development service");
    std::string body;                              // Raw
    std::string contentType = "application/json";  // Raw
    int status = 200;                              // HTTP status of every answer
    FailFirst fail;
    ConfigUrlAt configAt = ConfigUrlAt::Top;  // edition only
    bool extraFiles = false;  // edition only: the four configuration file URLs at the top
};

// How a served file's body is delimited on the wire.
enum class Framing {
    Length,   // Content-Length; ranges are honoured
    Close,    // neither length nor chunks: the body ends when the connection closes
    Chunked,  // Transfer-Encoding: chunked
};

// What the edition answer says for one computed fact of a served file (its
// SHA-256 or its size): the computed value, nothing, or a value given as is.
struct Announcement {
    bool send = true;                     // false: the member is left out
    std::optional<nlohmann::json> given;  // sent instead of the computed value
};

struct FileBehaviour {
    int status = 200;                   // not 200: answered with this status and a short text
    std::optional<uint64_t> dropAfter;  // close the connection after this many body bytes
    uint64_t rate = 0;                  // bytes per second; 0 = unthrottled
    std::string dispositionName;  // not empty: Content-Disposition: attachment; filename="…"
    FailFirst fail;
    std::optional<FileSource> source;  // replaces what the command line serves
    std::string name;                  // installer only: replaces its name in the URL
    Framing framing = Framing::Length;
    Announcement announceSha256;  // the edition answer's installSha256 / configSha256
    Announcement announceSize;    // installer only: the edition answer's installSize
};

struct Scenario {
    ApiBehaviour report;
    ApiBehaviour edition;
    ApiBehaviour fault;
    FileBehaviour installer;
    FileBehaviour config;
};

// Reads `value` (a JSON object with the optional members "report", "edition",
// "fault", "installer", "config"). Returns false with a one-line reason in
// `error` on anything it does not know: an unknown member, a wrong type, an
// unknown answer name, a status outside 100-599.
bool ParseScenario(const nlohmann::json& value, Scenario& out, std::string& error);

// The same from JSON text.
bool ParseScenarioText(const std::string& text, Scenario& out, std::string& error);

// Applies "<endpoint>.<member>=<value>" to the scenario object `value` (made
// an object when it is not one). The value is read as JSON when it is JSON
// (2000, true, "x", {...}), else taken as a string (html, close). Returns
// false with `error` when the setting has no "." or "=".
bool ApplySetting(const std::string& setting, nlohmann::json& value, std::string& error);

}  // namespace DevService
