// The development service inside the test program, and an httplib client
// pointed at it, for the service's own tests.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>

#include <memory>
#include <string>

#include <httplib.h>

#include "tools/devservice/dev_service.h"

class DevServiceTest : public ::testing::Test {
  protected:
    // Starts the service with `options` (port 0) and makes the client.
    void Start(DevService::Options options = {}) {
        signal(SIGPIPE, SIG_IGN);
        service_ = std::make_unique<DevService::Service>(std::move(options));
        if (sleep_) {
            service_->SetSleepForTesting(sleep_);
        }
        std::string error;
        ASSERT_GT(service_->Start(error), 0) << error;
        client_ = std::make_unique<httplib::Client>("127.0.0.1", service_->Port());
        client_->set_connection_timeout(5, 0);
        client_->set_read_timeout(10, 0);
    }

    void SetScenario(const std::string& json) {
        std::string error;
        ASSERT_TRUE(service_->SetScenario(nlohmann::json::parse(json), error)) << error;
    }

    // The base URL as the client reaches the service (its Host header).
    std::string Base() const { return "http://127.0.0.1:" + std::to_string(service_->Port()); }

    // `text` with every "{base}" replaced by Base().
    std::string WithBase(std::string text) const {
        const std::string marker = "{base}";
        for (size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at)) {
            text.replace(at, marker.size(), Base());
        }
        return text;
    }

    httplib::Client& client() { return *client_; }
    DevService::Service& service() { return *service_; }

    DevService::SleepFunction sleep_;  // set before Start to replace the pacing waits

  private:
    std::unique_ptr<DevService::Service> service_;
    std::unique_ptr<httplib::Client> client_;
};
