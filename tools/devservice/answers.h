// The answers of the service's three JSON endpoints, built from the
// scenario's behaviour for the endpoint. Stateless; any thread may call it.
#pragma once

#include <string>

#include "tools/devservice/scenario.h"

namespace DevService {

enum class ApiEndpoint { Report, Edition, Fault };

struct ApiAnswer {
    int status = 200;
    std::string contentType;
    std::string body;
    std::string summary;  // for the record: "<status> <answer name>"
};

// The names of the files the service hands out, as the edition answer points
// at them: "<base>/files/<name>".
constexpr const char* kConfigFileName = "config.ini";
constexpr const char* kExtraFileNames[] = {"Bookmarks", "Favicons", "ImportRule.ini",
                                           "TopSites.ini"};

// The answer of `endpoint` under `behaviour`. `base` is the service's own
// address as the client reached it ("http://127.0.0.1:45678"); the edition
// answer's installer URL ends in `installerName`.
ApiAnswer BuildApiAnswer(ApiEndpoint endpoint, const ApiBehaviour& behaviour,
                         const std::string& base, const std::string& installerName);

}  // namespace DevService
