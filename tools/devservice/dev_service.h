// The development service: a local stand-in for the product's HTTP JSON
// service and its file server, for the installer's tests and demo runs.
//
// It answers the report, edition and fault endpoints, hands out a full
// installer and a config.ini under "/files/", records every request, and
// misbehaves on request (a Scenario). A control API under "/__control/"
// sets the scenario and reads or resets the record from another process.
// docs/devservice.md describes the endpoints, the scenario and the record.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tools/devservice/download.h"
#include "tools/devservice/file_body.h"
#include "tools/devservice/record.h"
#include "tools/devservice/scenario.h"

namespace DevService {

// config.ini's content unless the command line or a scenario gives another.
constexpr const char* kDefaultConfigText = "{\"channel\":\"beta\",\"source\":\"tavo-devservice\"}";
constexpr const char* kDefaultInstallerName = "TavoSetup.exe";
constexpr uint64_t kDefaultInstallerSize = 1024 * 1024;

struct Options {
    int port = 0;            // 0: any free port
    std::string recordPath;  // "": the record is kept in memory only
    FileSource installer = FileSource::Generated(kDefaultInstallerSize);
    std::string installerName = kDefaultInstallerName;
    FileSource config = FileSource::FromText(kDefaultConfigText);
    nlohmann::json scenario = nlohmann::json::object();  // must pass ParseScenario
    bool verbose = false;                                // one line per request on stderr
};

class Service {
  public:
    explicit Service(Options options);
    // Stops the service.
    ~Service();
    Service(const Service&) = delete;
    Service& operator=(const Service&) = delete;

    // Binds 127.0.0.1 on the port of the options (truncating the record file)
    // and serves on threads of its own. Returns the port, or -1 with a reason
    // in `error`. Call once.
    int Start(std::string& error);

    // Stops serving: throttled downloads end early, and the server's threads
    // are joined. Idempotent; any thread but a serving one.
    void Stop();

    // The port given by Start (0 before).
    int Port() const;
    // "http://127.0.0.1:<port>".
    std::string BaseUrl() const;

    // Replaces the scenario and restarts the counts of failFirst. False with
    // a reason in `error` when `scenario` does not pass ParseScenario. Any
    // thread.
    bool SetScenario(const nlohmann::json& scenario, std::string& error);

    // The requests recorded since the start or the last reset, in arrival
    // order. Any thread.
    std::vector<RecordedRequest> Records() const;
    // Empties the record, and the record file with it. Any thread.
    void ResetRecords();

    // Test seam: throttled downloads call `sleep` instead of waiting. Call
    // before Start; `sleep` is called on serving threads.
    void SetSleepForTesting(SleepFunction sleep);

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace DevService
