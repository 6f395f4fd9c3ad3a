#include "utils/json/jsonutils.h"

#include <fstream>

#include "utils/log/fileutil.h"
#include "utils/log/log.h"

namespace Utils {

int JsonReadFile(const std::wstring& path, nlohmann::json& out) {
    std::ifstream in(NativePath(path));
    out = nlohmann::json::parse(in, nullptr, /*allow_exceptions=*/false,
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
