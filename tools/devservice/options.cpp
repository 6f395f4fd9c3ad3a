#include "tools/devservice/options.h"

#include <fstream>
#include <iterator>

namespace DevService {

namespace {

bool ReadText(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool ParsePort(const std::string& text, int& port) {
    if (text.empty() || text.size() > 5 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    port = std::stoi(text);
    return port <= 65535;
}

}  // namespace

bool ParseByteCount(const std::string& text, uint64_t& bytes) {
    size_t digits = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
        ++digits;
    }
    if (digits == 0 || digits > 15 || text.size() > digits + 1) {
        return false;
    }
    uint64_t value = std::stoull(text.substr(0, digits));
    if (text.size() == digits + 1) {
        switch (text[digits]) {
            case 'K':
            case 'k':
                value <<= 10;
                break;
            case 'M':
                value <<= 20;
                break;
            case 'G':
                value <<= 30;
                break;
            default:
                return false;
        }
    }
    bytes = value;
    return true;
}

bool ParseOptions(const std::vector<std::string>& args, CommandLine& out, std::string& error) {
    CommandLine result;
    std::string scenarioFile;
    std::vector<std::string> settings;
    bool nameGiven = false;  // --installer-name was given
    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool hasValue = false;
        const size_t equals = name.find('=');
        if (name.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
            hasValue = true;
        }
        if (name == "--help" || name == "-h") {
            result.help = true;
            continue;
        }
        if (name == "--verbose") {
            result.options.verbose = true;
            continue;
        }
        static const char* const kWithValue[] = {
            "--port",      "--port-file",      "--record",         "--scenario", "--set",
            "--installer", "--installer-size", "--installer-name", "--config",   "--config-text"};
        bool known = false;
        for (const char* option : kWithValue) {
            known = known || name == option;
        }
        if (!known) {
            error = "unknown option \"" + args[i] + "\"";
            return false;
        }
        if (!hasValue) {
            if (i + 1 >= args.size()) {
                error = name + " needs a value";
                return false;
            }
            value = args[++i];
        }
        uint64_t number = 0;
        if (name == "--port") {
            if (!ParsePort(value, result.options.port)) {
                error = "--port must be a number from 0 to 65535";
                return false;
            }
        } else if (name == "--port-file") {
            result.portFile = value;
        } else if (name == "--record") {
            result.options.recordPath = value;
        } else if (name == "--scenario") {
            scenarioFile = value;
        } else if (name == "--set") {
            settings.push_back(value);
        } else if (name == "--installer") {
            result.options.installer = FileSource::Disk(value);
        } else if (name == "--installer-size") {
            if (!ParseByteCount(value, number)) {
                error = "--installer-size must be a byte count like 6291456, 512K or 6M";
                return false;
            }
            result.options.installer = FileSource::Generated(number);
        } else if (name == "--installer-name") {
            result.options.installerName = value;
            nameGiven = true;
        } else if (name == "--config") {
            std::string text;
            if (!ReadText(value, text)) {
                error = "--config: cannot read " + value;
                return false;
            }
            result.options.config = FileSource::FromText(text);
        } else if (name == "--config-text") {
            result.options.config = FileSource::FromText(value);
        }
    }
    // A file from disk is named after itself, unless a name was given (even
    // the default one).
    if (result.options.installer.kind == FileSource::Kind::Disk && !nameGiven) {
        const std::string& path = result.options.installer.path;
        result.options.installerName = path.substr(path.find_last_of('/') + 1);
    }
    if (result.options.installerName.empty() ||
        result.options.installerName.find_first_of("/\\?#") != std::string::npos) {
        error = "the installer's name must be a plain file name";
        return false;
    }
    if (!scenarioFile.empty()) {
        std::string text;
        if (!ReadText(scenarioFile, text)) {
            error = "--scenario: cannot read " + scenarioFile;
            return false;
        }
        result.options.scenario = nlohmann::json::parse(text, nullptr, false);
        if (result.options.scenario.is_discarded()) {
            error = "--scenario: " + scenarioFile + " is not JSON";
            return false;
        }
    }
    for (const std::string& setting : settings) {
        if (!ApplySetting(setting, result.options.scenario, error)) {
            return false;
        }
    }
    Scenario check;
    if (!ParseScenario(result.options.scenario, check, error)) {
        return false;
    }
    out = std::move(result);
    return true;
}

std::string UsageText() {
    return "usage: tavo-devservice [options]\n"
           "Serves the installer's service endpoints and files on 127.0.0.1 and prints\n"
           "\"port <n>\" as its first line. Stops on SIGINT or SIGTERM.\n"
           "\n"
           "  --port N                port to listen on (default 0: any free port)\n"
           "  --port-file PATH        also write the port to PATH (removed on exit)\n"
           "  --record PATH           write every request as a JSON line to PATH\n"
           "  --scenario PATH         misbehaviour per endpoint, a JSON file\n"
           "  --set E.M=V             one scenario member, e.g. installer.rate=1000000,\n"
           "                          report.answer=html, edition.failFirst=2 (repeatable)\n"
           "  --installer PATH        the full installer to hand out (streamed from disk)\n"
           "  --installer-size N      hand out a generated installer of N bytes (512K, 6M)\n"
           "  --installer-name NAME   its name in the URL (default: the file's name, or\n"
           "                          TavoSetup.exe)\n"
           "  --config PATH           config.ini's content, from a file\n"
           "  --config-text TEXT      config.ini's content\n"
           "  --verbose               one line per request on stderr\n"
           "\n"
           "docs/devservice.md describes the scenario, the record and the control API.\n";
}

}  // namespace DevService
