#include "tools/devservice/answers.h"

namespace DevService {

namespace {

using Json = nlohmann::json;

const char* AnswerName(AnswerKind kind) {
    switch (kind) {
        case AnswerKind::Ok:
            return "ok";
        case AnswerKind::Empty:
            return "empty";
        case AnswerKind::Html:
            return "html";
        case AnswerKind::Array:
            return "array";
        case AnswerKind::Refuse:
            return "refuse";
        case AnswerKind::NoData:
            return "no-data";
        case AnswerKind::DataNoPath:
            return "data-no-path";
        case AnswerKind::Raw:
            return "raw";
    }
    return "?";
}

// The accepted envelope: {"code":0} for a fault, {"code":0,"msg":"ok"} for
// the others; the edition answer adds the URLs it hands out.
Json Envelope(ApiEndpoint endpoint, const ApiBehaviour& behaviour, const std::string& base,
              const std::string& installerName) {
    Json answer = {{"code", 0}};
    if (endpoint == ApiEndpoint::Fault) {
        return answer;
    }
    answer["msg"] = "ok";
    if (endpoint != ApiEndpoint::Edition) {
        return answer;
    }
    const std::string files = base + "/files/";
    answer["data"] = {{"installDownpath", files + installerName}};
    if (behaviour.configAt == ConfigUrlAt::Top) {
        answer["config"] = files + kConfigFileName;
    } else if (behaviour.configAt == ConfigUrlAt::Data) {
        answer["data"]["config"] = files + kConfigFileName;
    }
    if (behaviour.extraFiles) {
        for (const char* name : kExtraFileNames) {
            answer[name] = files + name;
        }
    }
    return answer;
}

// `announcement`'s value: nothing, the value given, or `computed` (which
// may have nothing to give).
template <typename Computed>
std::optional<Json> Announced(const Announcement& announcement, Computed computed) {
    if (!announcement.send) {
        return std::nullopt;
    }
    if (announcement.given) {
        return announcement.given;
    }
    return computed();
}

void AddFacts(Json& answer, const EditionFacts& facts) {
    if (facts.installSha256) {
        answer["data"]["installSha256"] = *facts.installSha256;
    }
    if (facts.installSize) {
        answer["data"]["installSize"] = *facts.installSize;
    }
    if (facts.configSha256 && (answer.contains("config") || answer["data"].contains("config"))) {
        answer["configSha256"] = *facts.configSha256;
    }
}

// Compact text; a Host header with bytes that are not UTF-8 must not throw.
std::string Dump(const Json& value) {
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace

std::string ExtraFileText(const std::string& name) {
    if (name == "Bookmarks") {
        return "{\"roots\":{}}";
    }
    if (name == "Favicons") {
        return "favicons";
    }
    if (name == "ImportRule.ini") {
        return "[ImportRule]\n";
    }
    if (name == "TopSites.ini") {
        return "[TopSites]\n";
    }
    return "";
}

bool IsExtraFile(const std::string& name) {
    for (const char* extra : kExtraFileNames) {
        if (name == extra) {
            return true;
        }
    }
    return false;
}

EditionFacts EditionFactsFor(const ApiBehaviour& edition, const ServedFiles& files,
                             DigestCache& digests) {
    EditionFacts facts;
    if (edition.answer != AnswerKind::Ok) {
        return facts;
    }
    // Looked up at most once, and only when a computed member needs it.
    std::optional<std::optional<BodyDigest>> installer;
    const auto installerDigest = [&]() -> const std::optional<BodyDigest>& {
        if (!installer) {
            installer = digests.Get(files.installerSource);
        }
        return *installer;
    };
    facts.installSha256 = Announced(files.installer.announceSha256, [&]() -> std::optional<Json> {
        if (const auto& digest = installerDigest()) {
            return Json(digest->sha256);
        }
        return std::nullopt;
    });
    facts.installSize = Announced(files.installer.announceSize, [&]() -> std::optional<Json> {
        if (const auto& digest = installerDigest()) {
            return Json(digest->size);
        }
        return std::nullopt;
    });
    if (edition.configAt != ConfigUrlAt::None) {
        facts.configSha256 = Announced(files.config.announceSha256, [&]() -> std::optional<Json> {
            if (const auto digest = digests.Get(files.configSource)) {
                return Json(digest->sha256);
            }
            return std::nullopt;
        });
    }
    return facts;
}

ApiAnswer BuildApiAnswer(ApiEndpoint endpoint, const ApiBehaviour& behaviour,
                         const std::string& base, const std::string& installerName,
                         const EditionFacts& facts) {
    ApiAnswer out;
    out.status = behaviour.status;
    out.contentType = "application/json";
    out.summary = std::to_string(behaviour.status) + " " + AnswerName(behaviour.answer);
    switch (behaviour.answer) {
        case AnswerKind::Ok: {
            Json answer = Envelope(endpoint, behaviour, base, installerName);
            if (endpoint == ApiEndpoint::Edition) {
                AddFacts(answer, facts);
            }
            out.body = Dump(answer);
            break;
        }
        case AnswerKind::Empty:
            break;
        case AnswerKind::Html:
            out.contentType = "text/html";
            out.body =
                "<!DOCTYPE html>\n<html><head><title>502 Bad Gateway</title></head>\n"
                "<body><h1>502 Bad Gateway</h1><p>The development service was told to answer "
                "with this page.</p></body></html>\n";
            break;
        case AnswerKind::Array:
            out.body = "[1,2]";
            break;
        case AnswerKind::Refuse: {
            Json answer = {{"code", behaviour.code}};
            if (behaviour.msg) {
                answer["msg"] = *behaviour.msg;
            }
            out.body = Dump(answer);
            break;
        }
        case AnswerKind::NoData: {
            Json answer = Envelope(endpoint, behaviour, base, installerName);
            answer.erase("data");
            out.body = Dump(answer);
            break;
        }
        case AnswerKind::DataNoPath: {
            Json answer = Envelope(endpoint, behaviour, base, installerName);
            answer["data"] = Json::object();
            out.body = Dump(answer);
            break;
        }
        case AnswerKind::Raw:
            out.contentType = behaviour.contentType;
            out.body = behaviour.body;
            break;
    }
    return out;
}

}  // namespace DevService
