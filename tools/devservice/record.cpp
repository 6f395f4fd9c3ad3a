#include "tools/devservice/record.h"

#include <cctype>

#include <nlohmann/json.hpp>

namespace DevService {

namespace {

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

bool ReadString(const nlohmann::json& object, const char* key, std::string& out) {
    const auto it = object.find(key);
    if (it == object.end() || !it->is_string()) {
        return false;
    }
    out = it->get<std::string>();
    return true;
}

}  // namespace

std::string RecordedRequest::Header(const std::string& name) const {
    for (const auto& header : headers) {
        if (SameIgnoringCase(header.first, name)) {
            return header.second;
        }
    }
    return "";
}

std::string RecordLine(const RecordedRequest& request) {
    nlohmann::json headers = nlohmann::json::array();
    for (const auto& header : request.headers) {
        headers.push_back(nlohmann::json::array({header.first, header.second}));
    }
    const nlohmann::json line = {
        {"seq", request.seq},   {"time", request.time},         {"method", request.method},
        {"path", request.path}, {"query", request.query},       {"headers", std::move(headers)},
        {"body", request.body}, {"endpoint", request.endpoint}, {"answer", request.answer},
    };
    return line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

bool ParseRecordLine(const std::string& line, RecordedRequest& out) {
    const nlohmann::json object = nlohmann::json::parse(line, nullptr, false);
    if (!object.is_object()) {
        return false;
    }
    const auto seq = object.find("seq");
    if (seq == object.end() || !seq->is_number_unsigned()) {
        return false;
    }
    out.seq = seq->get<uint64_t>();
    if (!ReadString(object, "time", out.time) || !ReadString(object, "method", out.method) ||
        !ReadString(object, "path", out.path) || !ReadString(object, "query", out.query) ||
        !ReadString(object, "body", out.body) || !ReadString(object, "endpoint", out.endpoint) ||
        !ReadString(object, "answer", out.answer)) {
        return false;
    }
    const auto headers = object.find("headers");
    if (headers == object.end() || !headers->is_array()) {
        return false;
    }
    out.headers.clear();
    for (const auto& pair : *headers) {
        if (!pair.is_array() || pair.size() != 2 || !pair[0].is_string() || !pair[1].is_string()) {
            return false;
        }
        out.headers.emplace_back(pair[0].get<std::string>(), pair[1].get<std::string>());
    }
    return true;
}

bool ParseRecordLines(const std::string& text, std::vector<RecordedRequest>& out) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        start = end + 1;
        if (line.find_first_not_of(" \t") == std::string::npos) {
            continue;
        }
        RecordedRequest request;
        if (!ParseRecordLine(line, request)) {
            return false;
        }
        out.push_back(std::move(request));
    }
    return true;
}

}  // namespace DevService
