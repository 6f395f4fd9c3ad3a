#include "tests/support/test_service.h"

#include <cstdlib>

#include <httplib.h>
#include <nlohmann/json.hpp>

namespace TestSupport {

namespace {

constexpr const char* kUrlVariable = "TAVO_DEVSERVICE_URL";

// The control API of a service in another process.
class RemoteService : public TestService::Backend {
  public:
    RemoteService(std::string baseUrl, std::string host, int port)
        : baseUrl_(std::move(baseUrl)), client_(host, port) {
        client_.set_connection_timeout(5, 0);
        client_.set_read_timeout(10, 0);
        client_.set_write_timeout(10, 0);
    }

    std::string BaseUrl() const override { return baseUrl_; }

    bool SetScenario(const std::string& json, std::string& error) override {
        return Post("/__control/scenario", json, error);
    }

    bool Reset(std::string& error) override { return Post("/__control/reset", "", error); }

    bool Requests(std::vector<DevService::RecordedRequest>& out, std::string& error) override {
        const httplib::Result result = client_.Get("/__control/record");
        if (!Check(result, error)) {
            return false;
        }
        if (!DevService::ParseRecordLines(result->body, out)) {
            error = "the record is not JSON lines: " + result->body.substr(0, 200);
            return false;
        }
        return true;
    }

  private:
    bool Post(const char* path, const std::string& body, std::string& error) {
        return Check(client_.Post(path, body, "application/json"), error);
    }

    bool Check(const httplib::Result& result, std::string& error) const {
        if (!result) {
            error = baseUrl_ + ": " + httplib::to_string(result.error());
            return false;
        }
        if (result->status != 200) {
            // The control API gives its reason as {"ok":false,"error":"..."}.
            const nlohmann::json answer = nlohmann::json::parse(result->body, nullptr, false);
            if (answer.is_object() && answer.contains("error") && answer["error"].is_string()) {
                error = answer["error"].get<std::string>();
            } else {
                error =
                    baseUrl_ + " answered " + std::to_string(result->status) + ": " + result->body;
            }
            return false;
        }
        return true;
    }

    std::string baseUrl_;
    httplib::Client client_;
};

}  // namespace

namespace detail {

std::unique_ptr<TestService::Backend> ConnectRemoteService(const std::string& baseUrl,
                                                           std::string& error) {
    const std::string prefix = "http://";
    const size_t colon = baseUrl.rfind(':');
    if (baseUrl.rfind(prefix, 0) != 0 || colon < prefix.size() ||
        baseUrl.find_first_not_of("0123456789", colon + 1) != std::string::npos ||
        colon + 1 == baseUrl.size()) {
        error = std::string(kUrlVariable) + " is not http://<host>:<port>: " + baseUrl;
        return nullptr;
    }
    const std::string host = baseUrl.substr(prefix.size(), colon - prefix.size());
    const int port = std::atoi(baseUrl.c_str() + colon + 1);
    return std::make_unique<RemoteService>(baseUrl, host, port);
}

}  // namespace detail

TestService::TestService() {
    const char* url = std::getenv(kUrlVariable);
    std::unique_ptr<Backend> backend = url != nullptr && *url != '\0'
                                           ? detail::ConnectRemoteService(url, error_)
                                           : detail::StartLocalService(error_);
    // A service shared with earlier tests starts this one afresh.
    if (backend && backend->SetScenario("{}", error_) && backend->Reset(error_)) {
        baseUrl_ = backend->BaseUrl();
        backend_ = std::move(backend);
    }
}

TestService::~TestService() = default;

bool TestService::SetScenario(const std::string& scenarioJson) {
    return backend_ && backend_->SetScenario(scenarioJson, error_);
}

std::vector<DevService::RecordedRequest> TestService::Requests() {
    std::vector<DevService::RecordedRequest> requests;
    if (backend_ && !backend_->Requests(requests, error_)) {
        requests.clear();
    }
    return requests;
}

std::vector<DevService::RecordedRequest> TestService::RequestsTo(const std::string& path) {
    std::vector<DevService::RecordedRequest> matching;
    for (auto& request : Requests()) {
        if (request.path == path) {
            matching.push_back(std::move(request));
        }
    }
    return matching;
}

bool TestService::ResetRequests() {
    return backend_ && backend_->Reset(error_);
}

}  // namespace TestSupport
