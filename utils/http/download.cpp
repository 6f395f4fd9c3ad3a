// The download: a GET whose body streams into a file in the caller's folder.
#include <algorithm>
#include <cstring>
#include <exception>
#include <vector>

#include "utils/http/http_steps.h"
#include "utils/http/socket_io.h"
#include "utils/log/log.h"

namespace Utils {

namespace {

// Read and write time-outs of a download; the connection time-out stays the
// library's.
constexpr time_t kDownloadTimeoutSeconds = 20;

// What one recv may bring: as much as loopback or a fast link delivers at once.
constexpr size_t kReadPieceBytes = size_t{64} << 10;

int TimeoutMs(time_t sec, time_t usec) {
    return static_cast<int>(sec * 1000 + usec / 1000);
}

// The connection stream of a plain http download. The library's receive loop
// asks for 4 KiB per call, and the library's own stream makes one poll and
// one recv of each: on Linux, where the library is the distribution's shared
// library, that cannot be changed, and on a fast link it costs about as much
// time as the data itself. This stream refills a buffer with one recv of up
// to kReadPieceBytes and hands it out in the pieces asked for. Time-outs are
// the library's.
class BufferedStream : public httplib::Stream {
  public:
    BufferedStream(socket_t sock, int readTimeoutMs, int writeTimeoutMs)
        : sock_(static_cast<std::uintptr_t>(sock)),
          readTimeoutMs_(readTimeoutMs),
          writeTimeoutMs_(writeTimeoutMs),
          buffer_(kReadPieceBytes) {}

    bool is_readable() const override {
        return next_ < end_ || WaitSocket(sock_, false, readTimeoutMs_);
    }

    bool is_writable() const override { return WaitSocket(sock_, true, writeTimeoutMs_); }

    ssize_t read(char* ptr, size_t size) override {
        if (next_ == end_) {
            if (!WaitSocket(sock_, false, readTimeoutMs_)) {
                return -1;
            }
            const long long n = ReceiveSome(sock_, buffer_.data(), buffer_.size());
            if (n <= 0) {
                return static_cast<ssize_t>(n);
            }
            next_ = 0;
            end_ = static_cast<size_t>(n);
        }
        const size_t n = std::min(size, end_ - next_);
        std::memcpy(ptr, buffer_.data() + next_, n);
        next_ += n;
        return static_cast<ssize_t>(n);
    }

    ssize_t write(const char* ptr, size_t size) override {
        return is_writable() ? static_cast<ssize_t>(SendSome(sock_, ptr, size)) : -1;
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override {
        SocketAddress(sock_, true, ip, port);
    }

    void get_local_ip_and_port(std::string& ip, int& port) const override {
        SocketAddress(sock_, false, ip, port);
    }

    socket_t socket() const override { return static_cast<socket_t>(sock_); }

  private:
    std::uintptr_t sock_;
    int readTimeoutMs_;
    int writeTimeoutMs_;
    std::vector<char> buffer_;
    size_t next_ = 0;  // first unread byte in buffer_
    size_t end_ = 0;   // end of the bytes in buffer_
};

// The library's plain http client with BufferedStream in place of its own
// stream; connecting, time-outs and everything above the stream stay the
// library's. It sends one request per connection, as the library's client
// does by default, so bytes read ahead never belong to another answer.
class BufferedClient : public httplib::ClientImpl {
  public:
    using httplib::ClientImpl::ClientImpl;

  protected:
    bool process_socket(const Socket& socket,
                        std::function<bool(httplib::Stream&)> callback) override {
        BufferedStream stream(socket.sock, TimeoutMs(read_timeout_sec_, read_timeout_usec_),
                              TimeoutMs(write_timeout_sec_, write_timeout_usec_));
        return callback(stream);
    }
};

// The GET on `client`: an httplib::Client, or a BufferedClient.
template <typename C>
httplib::Result Send(C& client, const HttpRequestParts& request,
                     const httplib::ResponseHandler& onAnswer,
                     const httplib::ContentReceiver& onBody, httplib::Progress progress) {
    client.set_read_timeout(kDownloadTimeoutSeconds, 0);
    client.set_write_timeout(kDownloadTimeoutSeconds, 0);
    return client.Get(request.path, request.headers, onAnswer, onBody, std::move(progress));
}

}  // namespace

int HttpDownload(const std::string& url, const std::string& headers,
                 std::function<bool(uint64_t, uint64_t)> progress, const std::wstring& directory,
                 std::wstring& fileName, std::string& error) {
    LOG_ENTRY();
    LOG_INFO("-1");
    LOG_INFO(url);
    LOG_INFO(headers);
    error.clear();

    HttpRequestParts request;
    const int prepared = HttpPrepareRequest(url, headers, request, error);
    if (prepared != 0) {
        return prepared;
    }
    // The file is chosen and opened once the headers say 200; the body of any
    // other answer is read and dropped.
    HttpDownloadFile file(directory, fileName);
    bool receiving = false;
    auto onAnswer = [&](const httplib::Response& answer) {
        receiving = answer.status == 200;
        return !receiving || file.Open(url, answer.get_header_value("Content-Disposition"));
    };
    auto onBody = [&](const char* data, size_t size) {
        return !receiving || file.Write(data, size);
    };
    httplib::Result result{nullptr, httplib::Error::Unknown};
    try {
        // Plain http goes through BufferedClient; https reads whole TLS
        // records already. An address the library would read differently
        // stays with the library's client.
        std::string host;
        int port = 0;
        if (!request.https && HttpPlainHostPort(request.baseUrl, host, port)) {
            BufferedClient client(host, port);
            result = Send(client, request, onAnswer, onBody, std::move(progress));
        } else {
            result = Send(*request.client, request, onAnswer, onBody, std::move(progress));
        }
    } catch (const std::exception& e) {
        LOG_ERROR("download failed: ", e.what());
    }
    return HttpHandleDownloadResult(url, result, directory, fileName, error, file);
}

int HttpHandleDownloadResult(const std::string& url, httplib::Result& result,
                             const std::wstring& directory, std::wstring& fileName,
                             std::string& error, HttpDownloadFile& file) {
    LOG_ENTRY();
    using State = HttpDownloadFile::State;
    if (file.state() == State::kOpenFailed || file.state() == State::kFailed) {
        error = HttpErrorToStringA(HTTP_ERROR_FILE_WRITE);
        return HTTP_ERROR_FILE_WRITE;
    }
    if (!result) {
        file.Discard();
        LOG_ERROR("download of ", url,
                  " ended without an answer: ", httplib::to_string(result.error()));
        return static_cast<int>(result.error());
    }
    if (result->status != 200) {
        return result->status;
    }
    if (!file.Finish()) {
        error = HttpErrorToStringA(HTTP_ERROR_FILE_WRITE);
        return HTTP_ERROR_FILE_WRITE;
    }
    LOGW_INFO(L"downloaded ", directory, fileName);
    return 0;
}

}  // namespace Utils
