// One request over a fresh connection of the layer's own (connection.h):
// the HTTP library writes the request and reads the answer; the connection
// bounds and watches every byte of it. Any thread; nothing is shared.
#pragma once

#include <cstdint>

#include <httplib.h>

#include "utils/http/connection.h"

namespace Utils {

struct HttpExchangeResult {
    httplib::Result result{nullptr, httplib::Error::Unknown};  // the answer, or the error
    bool tls = false;                                          // the connection was to be https
    long verifyResult = -1;           // the server's verification result (-1: none)
    HttpStop stop = HttpStop::kNone;  // why the connection gave up, if it did
};

// Connects to `target` within `limits`, sends `request` (a Host header is
// added unless it has one) and reads the answer: into the result's body, or
// through the request's own receiver. The request's response handler, if
// any, runs once the answer's head is in, before its body. A chunked body
// must end with its last chunk. The connection's reasons to give up become
// the library's errors: stopped Canceled; a deadline, a time-out or a
// stalled body Connection (the library's time-out failure, "请求超时"); a
// head too large, a cut TLS session or a broken chunked body Read.
HttpExchangeResult HttpSend(const HttpTarget& target, const HttpLimits& limits,
                            httplib::Request& request);

}  // namespace Utils
