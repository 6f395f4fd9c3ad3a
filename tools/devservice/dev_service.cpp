#include "tools/devservice/dev_service.h"

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <thread>

#include "tools/devservice/answers.h"
#include "tools/devservice/connection.h"
#include "tools/devservice/recorder.h"

namespace DevService {

namespace {

using Json = nlohmann::json;

constexpr const char* kControlPrefix = "/__control/";

std::string StatusText(int status) {
    return std::to_string(status) + " from the development service\n";
}

// "500 fail 1/2" or "close fail 1/2": request `number` of the failing ones.
std::string FailSummary(const FailFirst& fail, int number) {
    return (fail.close ? std::string("close") : std::to_string(fail.status)) + " fail " +
           std::to_string(number) + "/" + std::to_string(fail.count);
}

void Answer(httplib::Response& res, int status, const std::string& body, const char* type) {
    res.status = status;
    res.set_content(body, type);
}

}  // namespace

struct Service::State {
    explicit State(Options o) : options(std::move(o)) {}

    Options options;
    TappedServer server;
    Recorder recorder;
    DigestCache digests;
    std::thread listener;
    std::atomic<bool> listenerDone{false};
    std::atomic<int> port{0};

    mutable std::mutex mutex;
    Scenario scenario;                 // guarded by mutex
    Json scenarioJson;                 // guarded by mutex
    std::map<std::string, int> turns;  // guarded by mutex: requests per endpoint

    std::mutex stopMutex;
    std::condition_variable stopWake;
    bool stopping = false;  // guarded by stopMutex
    std::atomic<bool> stopped{false};
    SleepFunction sleep;  // set before Start

    // The next turn of `endpoint` (1 for its first request since the
    // scenario was set). Caller holds `mutex`.
    int NextTurn(const std::string& endpoint) { return ++turns[endpoint]; }

    std::string InstallerName() const {
        return scenario.installer.name.empty() ? options.installerName : scenario.installer.name;
    }

    // The two files as they are served now. Caller holds `mutex`.
    ServedFiles Served() const {
        return ServedFiles{scenario.installer,
                           scenario.installer.source.value_or(options.installer), scenario.config,
                           scenario.config.source.value_or(options.config)};
    }

    // The address the client used to reach the service.
    std::string BaseFor(const httplib::Request& req) const {
        const std::string host = req.get_header_value("Host");
        return host.empty() ? "http://127.0.0.1:" + std::to_string(port.load()) : "http://" + host;
    }

    void Sleep(std::chrono::microseconds duration) {
        std::unique_lock<std::mutex> lock(stopMutex);
        stopWake.wait_for(lock, duration, [this] { return stopping; });
    }

    RecordedRequest Describe(const httplib::Request& req, const std::string& endpoint) const {
        RecordedRequest r;
        r.method = req.method;
        r.path = req.path;
        const size_t question = req.target.find('?');
        if (question != std::string::npos) {
            r.query = req.target.substr(question + 1);
        }
        // Every handler runs inside TappedServer, which knows the wire order;
        // the library's own list is sorted and holds made-up entries.
        if (const Connection* connection = CurrentConnection()) {
            r.headers = connection->WireHeaders();
        }
        r.body = req.body;
        r.endpoint = endpoint;
        return r;
    }

    void Record(RecordedRequest request, const std::string& answer) {
        request.answer = answer;
        if (options.verbose) {
            std::fprintf(stderr, "devservice: %s %s -> %s\n", request.method.c_str(),
                         request.path.c_str(), answer.c_str());
        }
        recorder.Add(std::move(request));
    }

    void FailRequest(const FailFirst& fail, httplib::Response& res) {
        if (fail.close) {
            if (Connection* connection = CurrentConnection()) {
                connection->Drop();
            }
            res.status = 500;
            return;
        }
        Answer(res, fail.status, StatusText(fail.status), "text/plain");
    }

    void HandleApi(ApiEndpoint endpoint, const char* name, const httplib::Request& req,
                   httplib::Response& res) {
        ApiBehaviour behaviour;
        std::string installerName;
        ServedFiles files;
        int turn;
        {
            std::lock_guard<std::mutex> lock(mutex);
            behaviour = endpoint == ApiEndpoint::Report    ? scenario.report
                        : endpoint == ApiEndpoint::Edition ? scenario.edition
                                                           : scenario.fault;
            installerName = InstallerName();
            if (endpoint == ApiEndpoint::Edition) {
                files = Served();
            }
            turn = NextTurn(name);
        }
        RecordedRequest request = Describe(req, name);
        if (turn <= behaviour.fail.count) {
            Record(std::move(request), FailSummary(behaviour.fail, turn));
            FailRequest(behaviour.fail, res);
            return;
        }
        // Digests are taken outside `mutex`: a large body takes a while the
        // first time.
        const EditionFacts facts = endpoint == ApiEndpoint::Edition
                                       ? EditionFactsFor(behaviour, files, digests)
                                       : EditionFacts{};
        const ApiAnswer answer =
            BuildApiAnswer(endpoint, behaviour, BaseFor(req), installerName, facts);
        Record(std::move(request), answer.summary);
        Answer(res, answer.status, answer.body, answer.contentType.c_str());
    }

    void HandleFile(const httplib::Request& req, httplib::Response& res) {
        const std::string name = req.matches[1];
        std::string endpoint = "file";
        FileBehaviour behaviour;
        FileSource source;
        int turn = 0;
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (name == InstallerName()) {
                endpoint = "installer";
                behaviour = scenario.installer;
                source = behaviour.source.value_or(options.installer);
            } else if (name == kConfigFileName) {
                endpoint = "config";
                behaviour = scenario.config;
                source = behaviour.source.value_or(options.config);
            }
            if (endpoint != "file") {
                turn = NextTurn(endpoint);
            }
        }
        RecordedRequest request = Describe(req, endpoint);
        if (endpoint == "file") {
            if (IsExtraFile(name)) {
                Record(std::move(request), "200 extra file");
                Answer(res, 200, ExtraFileText(name), "application/octet-stream");
            } else {
                Record(std::move(request), "404 no such file");
                Answer(res, 404, StatusText(404), "text/plain");
            }
            return;
        }
        if (turn <= behaviour.fail.count) {
            Record(std::move(request), FailSummary(behaviour.fail, turn));
            FailRequest(behaviour.fail, res);
            return;
        }
        if (behaviour.status != 200) {
            Record(std::move(request), std::to_string(behaviour.status) + " by scenario");
            Answer(res, behaviour.status, StatusText(behaviour.status), "text/plain");
            return;
        }
        std::string error;
        std::shared_ptr<Body> body = OpenBody(source, error);
        if (!body) {
            Record(std::move(request), "500 " + error);
            Answer(res, 500, error + "\n", "text/plain");
            return;
        }
        std::string summary = "200 " + std::to_string(body->Size()) + " bytes";
        if (behaviour.framing == Framing::Close) {
            summary += ", no length";
        } else if (behaviour.framing == Framing::Chunked) {
            summary += ", chunked";
        }
        if (behaviour.rate != 0) {
            summary += ", " + std::to_string(behaviour.rate) + " B/s";
        }
        if (behaviour.dropAfter) {
            summary += ", drop after " + std::to_string(*behaviour.dropAfter);
        }
        SelfFramedAnswer answer;
        answer.contentType = "application/octet-stream";
        if (!behaviour.dispositionName.empty()) {
            summary += ", as \"" + behaviour.dispositionName + "\"";
            answer.headers.emplace_back(
                "Content-Disposition",
                "attachment; filename=\"" + behaviour.dispositionName + "\"");
        }
        Record(std::move(request), summary);
        const StreamPlan plan{behaviour.rate, behaviour.dropAfter};
        const auto isStopped = [this] { return stopped.load(); };
        Connection* connection = CurrentConnection();
        if (behaviour.framing == Framing::Length || connection == nullptr) {
            for (const auto& header : answer.headers) {
                res.set_header(header.first, header.second);
            }
            // The status stays unset: the library answers 200, or 206 for a range.
            StreamBody(res, std::move(body), answer.contentType, plan, sleep, isStopped);
            return;
        }
        // Framings the library does not make: the answer is written here, and
        // the library's own, after the connection is dropped, goes nowhere.
        answer.chunked = behaviour.framing == Framing::Chunked;
        answer.headOnly = req.method == "HEAD";
        SendSelfFramed(*connection, answer, *body, plan, sleep, isStopped);
        connection->Drop();
    }

    void HandleUnknown(const httplib::Request& req, httplib::Response& res) {
        if (req.path.rfind(kControlPrefix, 0) != 0) {
            Record(Describe(req, "unknown"), "404 unknown path");
        }
        Answer(res, 404, StatusText(404), "text/plain");
    }

    void Routes(Service& service) {
        server.Post(
            "/__control/scenario", [&service](const httplib::Request& req, httplib::Response& res) {
                std::string error;
                const Json value = Json::parse(req.body, nullptr, false);
                if (value.is_discarded()) {
                    error = "the scenario is not JSON";
                } else if (service.SetScenario(value, error)) {
                    Answer(res, 200, "{\"ok\":true}", "application/json");
                    return;
                }
                Answer(res, 400, Json{{"ok", false}, {"error", error}}.dump(), "application/json");
            });
        server.Get("/__control/scenario", [this](const httplib::Request&, httplib::Response& res) {
            std::lock_guard<std::mutex> lock(mutex);
            Answer(res, 200, scenarioJson.dump(), "application/json");
        });
        server.Post("/__control/reset", [this](const httplib::Request&, httplib::Response& res) {
            recorder.Reset();
            Answer(res, 200, "{\"ok\":true}", "application/json");
        });
        server.Get("/__control/record", [this](const httplib::Request&, httplib::Response& res) {
            Answer(res, 200, recorder.Lines(), "application/x-ndjson");
        });
        server.Post("/browser/c/boostrap/report",
                    [this](const httplib::Request& req, httplib::Response& res) {
                        HandleApi(ApiEndpoint::Report, "report", req, res);
                    });
        server.Post("/browser/c/boostrap/getEdition",
                    [this](const httplib::Request& req, httplib::Response& res) {
                        HandleApi(ApiEndpoint::Edition, "edition", req, res);
                    });
        server.Post("/browser/c/fault",
                    [this](const httplib::Request& req, httplib::Response& res) {
                        HandleApi(ApiEndpoint::Fault, "fault", req, res);
                    });
        server.Get("/files/([^/]+)", [this](const httplib::Request& req, httplib::Response& res) {
            HandleFile(req, res);
        });
        const auto unknown = [this](const httplib::Request& req, httplib::Response& res) {
            HandleUnknown(req, res);
        };
        server.Get(".*", unknown);
        server.Post(".*", unknown);
        server.Put(".*", unknown);
        server.Patch(".*", unknown);
        server.Delete(".*", unknown);
        server.Options(".*", unknown);
    }
};

Service::Service(Options options) : state_(std::make_unique<State>(std::move(options))) {
    state_->sleep = [state = state_.get()](std::chrono::microseconds d) { state->Sleep(d); };
}

Service::~Service() {
    Stop();
}

int Service::Start(std::string& error) {
    State& s = *state_;
    if (!SetScenario(s.options.scenario, error) || !s.recorder.Open(s.options.recordPath, error)) {
        return -1;
    }
    s.Routes(*this);
    s.server.set_read_timeout(10, 0);
    s.server.set_write_timeout(10, 0);
    const int port =
        s.options.port == 0
            ? s.server.bind_to_any_port("127.0.0.1")
            : (s.server.bind_to_port("127.0.0.1", s.options.port) ? s.options.port : -1);
    if (port <= 0) {
        error = "cannot listen on 127.0.0.1:" + std::to_string(s.options.port);
        return -1;
    }
    s.port = port;
    s.listener = std::thread([&s] {
        s.server.listen_after_bind();
        s.listenerDone = true;
    });
    // Stop can only end a server that has begun its accept loop.
    while (!s.server.is_running() && !s.listenerDone) {
        std::this_thread::yield();
    }
    return port;
}

void Service::Stop() {
    State& s = *state_;
    {
        std::lock_guard<std::mutex> lock(s.stopMutex);
        s.stopping = true;
    }
    s.stopWake.notify_all();
    s.stopped = true;
    if (s.listener.joinable()) {
        s.server.stop();
        s.listener.join();
    }
}

int Service::Port() const {
    return state_->port;
}

std::string Service::BaseUrl() const {
    return "http://127.0.0.1:" + std::to_string(state_->port.load());
}

bool Service::SetScenario(const Json& scenario, std::string& error) {
    Scenario parsed;
    if (!ParseScenario(scenario, parsed, error)) {
        return false;
    }
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->scenario = std::move(parsed);
    state_->scenarioJson = scenario;
    state_->turns.clear();
    return true;
}

std::vector<RecordedRequest> Service::Records() const {
    return state_->recorder.Snapshot();
}

void Service::ResetRecords() {
    state_->recorder.Reset();
}

void Service::SetSleepForTesting(SleepFunction sleep) {
    state_->sleep = std::move(sleep);
}

}  // namespace DevService
