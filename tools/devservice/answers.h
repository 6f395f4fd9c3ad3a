// The answers of the service's three JSON endpoints, built from the
// scenario's behaviour for the endpoint. Stateless apart from the digest
// cache they are given; any thread may call them.
#pragma once

#include <optional>
#include <string>

#include "tools/devservice/digest.h"
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

// Whether `name` is one of kExtraFileNames.
bool IsExtraFile(const std::string& name);
// The small fixed text served under one of kExtraFileNames ("" for another
// name).
std::string ExtraFileText(const std::string& name);

// What the edition answer says about the files it points at besides their
// URLs. Each member goes out as it is; nullopt leaves it out.
struct EditionFacts {
    std::optional<nlohmann::json> installSha256;  // in "data"
    std::optional<nlohmann::json> installSize;    // in "data"
    std::optional<nlohmann::json> configSha256;   // at the top, next to a config URL
};

// The served files as the edition answer describes them.
struct ServedFiles {
    FileBehaviour installer;
    FileSource installerSource;  // what /files/<installer name> serves now
    FileBehaviour config;
    FileSource configSource;  // what /files/config.ini serves now
};

// The facts that the edition answer under `edition` carries: for its "ok"
// answer, each file's SHA-256 (and the installer's size) as the file's
// behaviour announces it; for the other answers, none. A digest is taken
// from `digests` only when it is announced as computed, and a body that
// cannot be opened leaves its computed members out.
EditionFacts EditionFactsFor(const ApiBehaviour& edition, const ServedFiles& files,
                             DigestCache& digests);

// The answer of `endpoint` under `behaviour`. `base` is the service's own
// address as the client reached it ("http://127.0.0.1:45678"); the edition
// answer's installer URL ends in `installerName`, and its "ok" answer adds
// `facts`.
ApiAnswer BuildApiAnswer(ApiEndpoint endpoint, const ApiBehaviour& behaviour,
                         const std::string& base, const std::string& installerName,
                         const EditionFacts& facts);

}  // namespace DevService
