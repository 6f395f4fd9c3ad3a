#include "tools/fake-full-installer/scenario.h"

#include "tools/fake-full-installer/fake_installer.h"

#include <limits>

#include <nlohmann/json.hpp>

#include "utils/log/fileutil.h"
#include "utils/log/textconv.h"

namespace FakeInstaller {

namespace {

constexpr const char* kScenarioVariable = "TAVO_FAKE_INSTALLER_SCENARIO";

bool ReadUnsigned(const nlohmann::json& value, const char* name, uint32_t& out,
                  std::string& error) {
    if (!value.is_number_unsigned() || value.get<uint64_t>() > UINT32_MAX) {
        error = std::string("\"") + name + "\" must be a number from 0 to 4294967295";
        return false;
    }
    out = value.get<uint32_t>();
    return true;
}

bool ReadBool(const nlohmann::json& value, const char* name, bool& out, std::string& error) {
    if (!value.is_boolean()) {
        error = std::string("\"") + name + "\" must be true or false";
        return false;
    }
    out = value.get<bool>();
    return true;
}

}  // namespace

bool ParseScenario(const std::string& text, Scenario& out, std::string& error) {
    const nlohmann::json doc = nlohmann::json::parse(text, nullptr, false);
    if (!doc.is_object()) {
        error = "the scenario is no JSON object: " + text;
        return false;
    }
    Scenario s;
    bool resultGiven = false;
    for (const auto& [name, value] : doc.items()) {
        bool ok = true;
        if (name == "exit") {
            ok = value.is_number_integer() &&
                 value.get<int64_t>() >= std::numeric_limits<int32_t>::min() &&
                 value.get<int64_t>() <= std::numeric_limits<int32_t>::max();
            if (ok) {
                s.exitCode = value.get<int>();
            } else {
                error = "\"exit\" must be a 32-bit integer";
            }
        } else if (name == "browser") {
            ok = ReadBool(value, "browser", s.browser, error);
        } else if (name == "result") {
            ok = ReadUnsigned(value, "result", s.result, error);
            resultGiven = true;
        } else if (name == "resultText") {
            ok = value.is_string();
            if (ok) {
                s.resultText = value.get<std::string>();
            } else {
                error = "\"resultText\" must be a string";
            }
        } else if (name == "hangSeconds") {
            ok = ReadUnsigned(value, "hangSeconds", s.hangSeconds, error);
        } else if (name == "stop") {
            ok = ReadBool(value, "stop", s.stop, error);
        } else if (name == "failFirst") {
            ok = ReadUnsigned(value, "failFirst", s.failFirst, error);
        } else {
            ok = false;
            error = "unknown member \"" + name + "\"";
        }
        if (!ok) {
            return false;
        }
    }
    if (!resultGiven && !s.resultText.empty()) {
        s.result = static_cast<uint32_t>(s.exitCode);
    }
    out = s;
    return true;
}

bool LoadScenario(Scenario& out, std::string& error) {
    std::string text = Environment(kScenarioVariable);
    if (text.empty()) {
        out = Scenario{};
        return true;
    }
    if (text.find_first_not_of(" \t\r\n") != std::string::npos &&
        text[text.find_first_not_of(" \t\r\n")] != '{') {
        const std::string path = text;
        if (!Utils::ReadFileBytes(Utils::Utf8ToWide(path), text)) {
            error = "cannot read the scenario file " + path;
            return false;
        }
    }
    return ParseScenario(text, out, error);
}

}  // namespace FakeInstaller
