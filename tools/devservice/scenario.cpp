#include "tools/devservice/scenario.h"

#include <initializer_list>
#include <set>

namespace DevService {

namespace {

using Json = nlohmann::json;

// Reads the members of one endpoint's object and remembers a first error.
class MemberReader {
  public:
    MemberReader(const Json& object, std::string where)
        : object_(object), where_(std::move(where)) {}

    // Refuses members outside `allowed`.
    void OnlyMembers(std::initializer_list<const char*> allowed) {
        const std::set<std::string> names(allowed.begin(), allowed.end());
        for (auto it = object_.begin(); it != object_.end(); ++it) {
            if (names.count(it.key()) == 0) {
                Fail("unknown member \"" + it.key() + "\"");
            }
        }
    }

    const Json* Find(const char* key) const {
        const auto it = object_.find(key);
        return it == object_.end() ? nullptr : &*it;
    }

    void String(const char* key, std::string& out) {
        if (const Json* v = Find(key)) {
            if (v->is_string()) {
                out = v->get<std::string>();
            } else {
                Fail(std::string("\"") + key + "\" must be a string");
            }
        }
    }

    void Bool(const char* key, bool& out) {
        if (const Json* v = Find(key)) {
            if (v->is_boolean()) {
                out = v->get<bool>();
            } else {
                Fail(std::string("\"") + key + "\" must be true or false");
            }
        }
    }

    // A non-negative integer.
    bool Count(const char* key, uint64_t& out) {
        const Json* v = Find(key);
        if (v == nullptr) {
            return false;
        }
        if (v->is_number_unsigned()) {
            out = v->get<uint64_t>();
            return true;
        }
        Fail(std::string("\"") + key + "\" must be a whole number of at least 0");
        return false;
    }

    void Status(const char* key, int& out) {
        if (const Json* v = Find(key)) {
            if (v->is_number_integer() && v->get<int64_t>() >= 100 && v->get<int64_t>() <= 599) {
                out = v->get<int>();
            } else {
                Fail(std::string("\"") + key + "\" must be an HTTP status from 100 to 599");
            }
        }
    }

    // true: the computed value, false: nothing, anything else: sent as given.
    void Announce(const char* key, Announcement& out) {
        if (const Json* v = Find(key)) {
            out.send = !(v->is_boolean() && !v->get<bool>());
            if (!v->is_boolean()) {
                out.given = *v;
            }
        }
    }

    void FailFirstMembers(FailFirst& out) {
        uint64_t count = 0;
        if (Count("failFirst", count)) {
            out.count = static_cast<int>(count);
        }
        if (const Json* v = Find("failWith")) {
            if (v->is_string() && v->get<std::string>() == "close") {
                out.close = true;
            } else if (v->is_number_integer()) {
                Status("failWith", out.status);
            } else {
                Fail("\"failWith\" must be an HTTP status or \"close\"");
            }
        }
    }

    void Fail(const std::string& reason) {
        if (error_.empty()) {
            error_ = where_ + ": " + reason;
        }
    }

    const std::string& error() const { return error_; }

  private:
    const Json& object_;
    std::string where_;
    std::string error_;
};

bool AnswerFromName(const std::string& name, AnswerKind& out) {
    static const struct {
        const char* name;
        AnswerKind kind;
    } kNames[] = {
        {"ok", AnswerKind::Ok},
        {"empty", AnswerKind::Empty},
        {"html", AnswerKind::Html},
        {"array", AnswerKind::Array},
        {"refuse", AnswerKind::Refuse},
        {"no-data", AnswerKind::NoData},
        {"data-no-path", AnswerKind::DataNoPath},
        {"raw", AnswerKind::Raw},
    };
    for (const auto& entry : kNames) {
        if (name == entry.name) {
            out = entry.kind;
            return true;
        }
    }
    return false;
}

bool FramingFromName(const std::string& name, Framing& out) {
    if (name == "length") {
        out = Framing::Length;
    } else if (name == "close") {
        out = Framing::Close;
    } else if (name == "chunked") {
        out = Framing::Chunked;
    } else {
        return false;
    }
    return true;
}

std::string ReadApi(const Json& object, const std::string& where, bool edition, ApiBehaviour& out) {
    MemberReader r(object, where);
    if (edition) {
        r.OnlyMembers({"answer", "code", "msg", "body", "contentType", "status", "failFirst",
                       "failWith", "config", "extraFiles"});
    } else {
        r.OnlyMembers(
            {"answer", "code", "msg", "body", "contentType", "status", "failFirst", "failWith"});
    }
    std::string answer;
    r.String("answer", answer);
    if (!answer.empty() && !AnswerFromName(answer, out.answer)) {
        r.Fail("unknown answer \"" + answer + "\"");
    }
    if (!edition && (out.answer == AnswerKind::NoData || out.answer == AnswerKind::DataNoPath)) {
        r.Fail("\"" + answer + "\" is an edition answer");
    }
    if (const Json* code = r.Find("code")) {
        out.code = *code;
    }
    if (const Json* msg = r.Find("msg")) {
        if (msg->is_null()) {
            out.msg.reset();
        } else if (msg->is_string()) {
            out.msg = msg->get<std::string>();
        } else {
            r.Fail("\"msg\" must be a string or null");
        }
    }
    r.String("body", out.body);
    r.String("contentType", out.contentType);
    r.Status("status", out.status);
    r.FailFirstMembers(out.fail);
    std::string at;
    r.String("config", at);
    if (at == "top") {
        out.configAt = ConfigUrlAt::Top;
    } else if (at == "data") {
        out.configAt = ConfigUrlAt::Data;
    } else if (at == "none") {
        out.configAt = ConfigUrlAt::None;
    } else if (!at.empty()) {
        r.Fail("\"config\" must be \"top\", \"data\" or \"none\"");
    }
    r.Bool("extraFiles", out.extraFiles);
    return r.error();
}

std::string ReadFile(const Json& object, const std::string& where, bool installer,
                     FileBehaviour& out) {
    MemberReader r(object, where);
    if (installer) {
        r.OnlyMembers({"status", "dropAfter", "rate", "fileName", "failFirst", "failWith", "size",
                       "path", "content", "name", "framing", "announceSha256", "announceSize"});
    } else {
        r.OnlyMembers({"status", "dropAfter", "rate", "fileName", "failFirst", "failWith", "size",
                       "path", "content", "framing", "announceSha256"});
    }
    r.Status("status", out.status);
    if (const Json* framing = r.Find("framing"); framing != nullptr) {
        if (!framing->is_string() || !FramingFromName(framing->get<std::string>(), out.framing)) {
            r.Fail("\"framing\" must be \"length\", \"close\" or \"chunked\"");
        }
    }
    r.Announce("announceSha256", out.announceSha256);
    r.Announce("announceSize", out.announceSize);
    uint64_t dropAfter = 0;
    if (r.Count("dropAfter", dropAfter)) {
        out.dropAfter = dropAfter;
    }
    r.Count("rate", out.rate);
    r.String("fileName", out.dispositionName);
    r.FailFirstMembers(out.fail);
    int sources = 0;
    uint64_t size = 0;
    if (r.Count("size", size)) {
        out.source = FileSource::Generated(size);
        ++sources;
    }
    if (r.Find("path") != nullptr) {
        std::string path;
        r.String("path", path);
        out.source = FileSource::Disk(path);
        ++sources;
    }
    if (r.Find("content") != nullptr) {
        std::string content;
        r.String("content", content);
        out.source = FileSource::FromText(content);
        ++sources;
    }
    if (sources > 1) {
        r.Fail("give only one of \"size\", \"path\" and \"content\"");
    }
    r.String("name", out.name);
    if (out.name.find_first_of("/\\?#") != std::string::npos) {
        r.Fail("\"name\" must be a plain file name");
    }
    return r.error();
}

}  // namespace

bool ParseScenario(const Json& value, Scenario& out, std::string& error) {
    if (!value.is_object()) {
        error = "a scenario is a JSON object";
        return false;
    }
    Scenario scenario;
    for (auto it = value.begin(); it != value.end(); ++it) {
        const std::string& key = it.key();
        if (!it->is_object()) {
            error = key + ": must be an object";
            return false;
        }
        std::string reason;
        if (key == "report") {
            reason = ReadApi(*it, key, false, scenario.report);
        } else if (key == "edition") {
            reason = ReadApi(*it, key, true, scenario.edition);
        } else if (key == "fault") {
            reason = ReadApi(*it, key, false, scenario.fault);
        } else if (key == "installer") {
            reason = ReadFile(*it, key, true, scenario.installer);
        } else if (key == "config") {
            reason = ReadFile(*it, key, false, scenario.config);
        } else {
            reason = "unknown endpoint \"" + key + "\" (report, edition, fault, installer, config)";
        }
        if (!reason.empty()) {
            error = reason;
            return false;
        }
    }
    out = std::move(scenario);
    return true;
}

bool ParseScenarioText(const std::string& text, Scenario& out, std::string& error) {
    const Json value = Json::parse(text, nullptr, false);
    if (value.is_discarded()) {
        error = "the scenario is not JSON";
        return false;
    }
    return ParseScenario(value, out, error);
}

bool ApplySetting(const std::string& setting, Json& value, std::string& error) {
    const size_t dot = setting.find('.');
    const size_t equals = setting.find('=');
    if (dot == std::string::npos || equals == std::string::npos || dot > equals || dot == 0 ||
        equals == dot + 1) {
        error = "\"" + setting + "\" is not <endpoint>.<member>=<value>";
        return false;
    }
    const std::string endpoint = setting.substr(0, dot);
    const std::string member = setting.substr(dot + 1, equals - dot - 1);
    const std::string text = setting.substr(equals + 1);
    Json parsed = Json::parse(text, nullptr, false);
    if (parsed.is_discarded()) {
        parsed = text;
    }
    if (!value.is_object()) {
        value = Json::object();
    }
    if (!value[endpoint].is_object()) {
        value[endpoint] = Json::object();
    }
    value[endpoint][member] = std::move(parsed);
    return true;
}

}  // namespace DevService
