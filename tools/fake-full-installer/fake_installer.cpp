#include "tools/fake-full-installer/fake_installer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <thread>

#include <nlohmann/json.hpp>

#include "tools/fake-full-installer/scenario.h"
#include "utils/log/fileutil.h"
#include "utils/log/log.h"
#include "utils/log/textconv.h"
#include "utils/system/fileversion.h"
#include "utils/system/identity.h"
#include "utils/system/registry.h"

namespace FakeInstaller {

namespace {

const std::wstring kKey = L"Software\\Tavo";

// The value of the first argument that starts with `name` ("--uuid="), or "".
std::wstring ArgumentValue(const std::vector<std::wstring>& args, const std::wstring& name) {
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i].rfind(name, 0) == 0) {
            return args[i].substr(name.size());
        }
    }
    return {};
}

void Record(nlohmann::json line) {
    const std::string file = Environment("TAVO_FAKE_INSTALLER_RECORD");
    if (file.empty()) {
        return;
    }
    std::ofstream out(Utils::NativePath(Utils::Utf8ToWide(file)), std::ios::binary | std::ios::app);
    out << line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
}

// How many runs as the full installer the record holds so far (0 without a
// record).
uint32_t EarlierRuns() {
    const std::string file = Environment("TAVO_FAKE_INSTALLER_RECORD");
    std::string text;
    if (file.empty() || !Utils::ReadFileBytes(Utils::Utf8ToWide(file), text)) {
        return 0;
    }
    uint32_t runs = 0;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        const nlohmann::json line =
            nlohmann::json::parse(text.substr(start, end - start), nullptr, false);
        if (line.is_object() && line.value("role", "") == "installer") {
            ++runs;
        }
        start = end + 1;
    }
    return runs;
}

nlohmann::json Utf8List(const std::vector<std::wstring>& words) {
    nlohmann::json list = nlohmann::json::array();
    for (const std::wstring& w : words) {
        list.push_back(Utils::WideToUtf8(w));
    }
    return list;
}

std::filesystem::path AppDataFolder() {
    const std::string given = Environment("TAVO_FAKE_INSTALLER_APPDATA");
    if (!given.empty()) {
        return Utils::NativePath(Utils::Utf8ToWide(given));
    }
    std::wstring appData;
    return Utils::GetLocalAppDataPath(appData) ? Utils::NativePath(appData)
                                               : std::filesystem::path();
}

// A copy of this program at `to`, replacing what is there. (Removed first:
// MinGW's copy_file cannot tell two files apart to overwrite one.)
void CopySelf(const std::filesystem::path& to, std::error_code& ec) {
    std::filesystem::remove(to, ec);
    if (!ec) {
        std::filesystem::copy_file(Utils::NativePath(Utils::GetSelfPath()), to, ec);
    }
}

// Tavo/Application/<version>/Installer/setup.exe (the uninstaller's place,
// three levels below the browser's folder), Tavo/Application/Tavo.exe (a
// copy of this program, unless `browser` is false) and
// Tavo/Application/config.ini holding the uuid; then "UninstallString" and
// "pv". False when a file or the key cannot be written.
bool Install(const std::wstring& uuid, bool browser, std::string& error) {
    const std::filesystem::path appData = AppDataFolder();
    if (appData.empty()) {
        error = "no local application data folder";
        return false;
    }
    const std::filesystem::path browserDir = appData / "Tavo" / "Application";
    const std::filesystem::path setupDir = browserDir / TAVO_FAKE_VERSION / "Installer";
    std::error_code ec;
    std::filesystem::create_directories(setupDir, ec);
    CopySelf(setupDir / "setup.exe", ec);
    if (ec) {
        error = "cannot write " + (setupDir / "setup.exe").u8string() + ": " + ec.message();
        return false;
    }
    const std::filesystem::path exe = browserDir / "Tavo.exe";
    if (browser) {
        CopySelf(exe, ec);
    } else {
        std::filesystem::remove(exe, ec);
    }
    if (ec) {
        error = "cannot write or remove " + exe.u8string() + ": " + ec.message();
        return false;
    }
    std::ofstream config(browserDir / "config.ini", std::ios::binary | std::ios::trunc);
    config << nlohmann::json{{"guid", Utils::WideToUtf8(uuid)}}.dump();
    config.close();
    if (!config) {
        error = "cannot write " + (browserDir / "config.ini").u8string();
        return false;
    }
    Utils::RegistryKey key;
    if (key.CreateForSet(kKey) != Utils::kRegOk ||
        key.SetString(L"UninstallString", Utils::Utf8ToWide((setupDir / "setup.exe").u8string())) !=
            Utils::kRegOk ||
        key.SetString(L"pv", Utils::Utf8ToWide(TAVO_FAKE_VERSION)) != Utils::kRegOk) {
        error = "cannot write the registry values";
        return false;
    }
    return true;
}

bool WriteResult(const Scenario& scenario) {
    Utils::RegistryKey key;
    return key.CreateForSet(kKey) == Utils::kRegOk &&
           key.SetDword(L"InstallerResult", scenario.result) == Utils::kRegOk &&
           key.SetString(L"InstallerResultUIString", Utils::Utf8ToWide(scenario.resultText)) ==
               Utils::kRegOk;
}

}  // namespace

int Run(const std::vector<std::wstring>& args) {
    // Never the installer's log: its first line would move the installer's
    // log aside while the installer still writes it.
    Utils::g_wstrLogFile = Utils::g_wstrLogDir + L"tavo-fake-full-installer.log";
    Utils::g_wstrLogFileOld = Utils::g_wstrLogDir + L"tavo-fake-full-installer_old.log";
    const std::string registryRoot = Environment("TAVO_FAKE_INSTALLER_REGISTRY_ROOT");
    if (!registryRoot.empty()) {
        Utils::SetRegistryRootForTesting(Utils::Utf8ToWide(registryRoot));
    }

    // The launch starts the installed browser without arguments; the full
    // installer's command line always holds "--from-tavo-setup". (The file
    // name would not do: a browser whose file was replaced meanwhile reads
    // its own name differently on Linux.)
    if (std::find(args.begin(), args.end(), L"--from-tavo-setup") == args.end()) {
        Record({{"role", "browser"}, {"argv", Utf8List(args)}});
        return 0;
    }

    Scenario scenario;
    std::string error;
    nlohmann::json record = {{"role", "installer"}, {"argv", Utf8List(args)}};
    const std::wstring commandLine = RawCommandLine();
    if (!commandLine.empty()) {
        record["commandLine"] = Utils::WideToUtf8(commandLine);
    }
    if (!LoadScenario(scenario, error)) {
        record["error"] = error;
        Record(record);
        std::fprintf(stderr, "tavo-fake-full-installer: %s\n", error.c_str());
        return 3;
    }
    if (EarlierRuns() < scenario.failFirst) {
        // Not started, worth another run: nothing else happens.
        record["exit"] = -1;
        Record(record);
        return -1;
    }
    if (scenario.stop) {
        const std::wstring target = ArgumentValue(args, L"--yindaohwnd=");
        record["stopSent"] =
            !target.empty() && SendStopRequest(std::wcstoll(target.c_str(), nullptr, 10));
    }
    if (scenario.hangSeconds > 0) {
        std::this_thread::sleep_for(std::chrono::seconds(scenario.hangSeconds));
    }
    if (scenario.exitCode == 0 || scenario.exitCode == 4) {
        const bool browser = scenario.exitCode == 0 || scenario.browser;
        if (!Install(ArgumentValue(args, L"--uuid="), browser, error)) {
            record["error"] = error;
        }
    }
    if (!WriteResult(scenario)) {
        record["error"] = "cannot write the result values";
    }
    record["exit"] = scenario.exitCode;
    Record(record);
    return scenario.exitCode;
}

}  // namespace FakeInstaller
