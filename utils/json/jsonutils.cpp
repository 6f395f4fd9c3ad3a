#include "utils/json/jsonutils.h"

#include "utils/log/fileutil.h"
#include "utils/log/log.h"

namespace Utils {

int JsonReadFile(const std::wstring& path, nlohmann::json& out) {
    // The bytes are read first and parsed as a text: a stream would throw
    // from inside the parser for a folder or a failed read, and a parser
    // without exceptions does not catch those.
    std::string text;
    if (!ReadFileBytes(path, text)) {
        out = nlohmann::json(nlohmann::json::value_t::discarded);
        return -1;
    }
    out = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false,
                                /*ignore_comments=*/false);
    return out.is_discarded() ? -1 : 0;
}

int JsonStringify(const nlohmann::json& value, std::string& out) {
    out = value.dump(-1, ' ', /*ensure_ascii=*/false, nlohmann::json::error_handler_t::replace);
    return 0;
}

std::string JsonErrorToStringA(int code) {
    LOG_ENTRY();
    switch (code) {
        case JSON_OK:
            return "JSON_OK";
        case JSON_ERROR_UNKNOWN:
            return "JSON_ERROR_UNKNOWN";
        case JSON_ERROR_PARSE:
            return "JSON_ERROR_PARSE";
        case JSON_ERROR_FILE_OPEN:
            return "JSON_ERROR_FILE_OPEN";
        case JSON_ERROR_FILE_READ:
            return "JSON_ERROR_FILE_READ";
        case JSON_ERROR_FILE_WRITE:
            return "JSON_ERROR_FILE_WRITE";
        default:
            return "RSA_ERROR_UNDEFINE";
    }
}

}  // namespace Utils
