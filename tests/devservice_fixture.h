// The development service inside the test program, an httplib client
// pointed at it, and a raw socket exchange with it (with a reader for the
// answer), for the service's own tests.
#pragma once

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include <httplib.h>

#include "tools/devservice/dev_service.h"
#include "tools/devservice/file_body.h"

// An answer as it came off the wire (DevServiceTest::RawExchange), taken
// apart by ParseRawAnswer, which decodes the body's chunks when `chunked`.
struct RawAnswer {
    std::string head;  // the status line and headers, each line with its CR LF
    std::string body;  // the body's data, chunks decoded
    // Chunked: every byte after the last chunk's data (after the head when
    // there is no data), up to the first that is not a chunk: "\r\n0\r\n\r\n"
    // for a proper end. Otherwise "".
    std::string end;
};

inline RawAnswer ParseRawAnswer(const std::string& bytes, bool chunked) {
    RawAnswer answer;
    const size_t split = bytes.find("\r\n\r\n");
    if (split == std::string::npos) {
        answer.head = bytes;
        return answer;
    }
    answer.head = bytes.substr(0, split + 2);
    const std::string rest = bytes.substr(split + 4);
    if (!chunked) {
        answer.body = rest;
        return answer;
    }
    size_t dataEnd = 0;
    for (size_t at = 0;;) {
        if (at != 0 && rest.compare(at, 2, "\r\n") != 0) {
            break;  // a chunk's data without its CR LF
        }
        const size_t line = at == 0 ? 0 : at + 2;
        const size_t eol = rest.find("\r\n", line);
        const std::string sizeText = rest.substr(line, eol == std::string::npos ? 0 : eol - line);
        char* stop = nullptr;
        const unsigned long size = std::strtoul(sizeText.c_str(), &stop, 16);
        if (sizeText.empty() || *stop != '\0' || size == 0 || rest.size() < eol + 2 + size) {
            break;
        }
        answer.body += rest.substr(eol + 2, size);
        at = dataEnd = eol + 2 + size;
    }
    answer.end = rest.substr(dataEnd);
    return answer;
}

// Whether `head` has a header named `name` (any letter case).
inline bool HasHeader(std::string head, std::string name) {
    const auto lower = [](std::string& text) {
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    };
    lower(head);
    lower(name);
    return head.find("\r\n" + name + ":") != std::string::npos;
}

// Bytes received by a GET, and how it ended.
struct Download {
    httplib::Error error = httplib::Error::Unknown;
    int status = 0;
    std::string body;
};

inline Download Get(httplib::Client& client, const std::string& path,
                    httplib::Headers headers = {}) {
    Download d;
    const httplib::Result result =
        client.Get(path.c_str(), headers, [&d](const char* data, size_t length) {
            d.body.append(data, length);
            return true;
        });
    d.error = result.error();
    if (result) {
        d.status = result->status;
    }
    return d;
}

class DevServiceTest : public ::testing::Test {
  public:
    // Bytes [offset, offset + length) of every generated body.
    static std::string Generated(uint64_t offset, size_t length) {
        std::string bytes(length, '\0');
        for (size_t i = 0; i < length; ++i) {
            bytes[i] = DevService::GeneratedByte(offset + i);
        }
        return bytes;
    }

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

    // Sends `request` as it stands over a fresh connection and returns every
    // byte of the answer (the service closes every connection after one
    // request).
    std::string RawExchange(const std::string& request) const {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(service_->Port()));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        timeval timeout{10, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        std::string answer;
        if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
                static_cast<ssize_t>(request.size())) {
            char buffer[4096];
            ssize_t n;
            while ((n = recv(fd, buffer, sizeof buffer, 0)) > 0) {
                answer.append(buffer, static_cast<size_t>(n));
            }
        }
        close(fd);
        return answer;
    }

    httplib::Client& client() { return *client_; }
    DevService::Service& service() { return *service_; }

    DevService::SleepFunction sleep_;  // set before Start to replace the pacing waits

  private:
    std::unique_ptr<DevService::Service> service_;
    std::unique_ptr<httplib::Client> client_;
};
