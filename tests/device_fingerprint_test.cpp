// The device fingerprint, the installed browser's folder and the
// installation UUID, over a fake machine (and once over the real one).
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "services/device_fingerprint.h"
#include "tests/support/testsupport.h"
#include "utils/log/fileutil.h"
#include "utils/log/log.h"
#include "utils/log/textconv.h"
#include "utils/system/fileversion.h"
#include "utils/system/identity.h"
#include "utils/system/process.h"
#include "utils/system/registry.h"

using TestSupport::LogCapture;
using TestSupport::ScopedEnv;
using TestSupport::ScopedRegistryRoot;
using TestSupport::TempDir;

namespace {

// The machine the fake sources answer for. Read by the plain functions below.
struct FakeMachine {
    std::wstring mainboard = L"MB", cpu = L"CPU", bios = L"BIOS", disk = L"DISK", memory = L"MEM";
    std::wstring osName = L"Windows 10 Pro", osVersion = L"10.0", mac = L"00-11";
    std::wstring sid = L"S-1-5-21-1";
    int sidCode = 0;
    bool randomOk = true;
    std::wstring random = L"R";
    uint32_t tick = 12345;
    std::atomic<int> queries{0};
};
FakeMachine* g_machine = nullptr;

int Answer(std::wstring& out, const std::wstring& value) {
    ++g_machine->queries;
    out = value;
    return 0;
}
int Mainboard(std::wstring& o) {
    return Answer(o, g_machine->mainboard);
}
int Cpu(std::wstring& o) {
    return Answer(o, g_machine->cpu);
}
int Bios(std::wstring& o) {
    return Answer(o, g_machine->bios);
}
int Disk(std::wstring& o) {
    return Answer(o, g_machine->disk);
}
int Memory(std::wstring& o) {
    return Answer(o, g_machine->memory);
}
int OsName(std::wstring& o) {
    return Answer(o, g_machine->osName);
}
int OsVersion(std::wstring& o) {
    return Answer(o, g_machine->osVersion);
}
int Mac(std::wstring& o) {
    return Answer(o, g_machine->mac);
}
int Bits() {
    ++g_machine->queries;
    return 64;
}
int Sid(std::wstring& o) {
    if (g_machine->sidCode == 0) {
        o = g_machine->sid;
    }
    return g_machine->sidCode;
}
bool Random(std::wstring& o) {
    if (g_machine->randomOk) {
        o = g_machine->random;
    }
    return g_machine->randomOk;
}
uint32_t Tick() {
    return g_machine->tick;
}

const FingerprintSources kFakeSources = {Mainboard, Cpu, Bios, Disk, Memory, OsName,
                                         OsVersion, Mac, Bits, Sid,  Random, Tick};

// "<root>/a/b/c" with this platform's separator; Windows paths start at C:.
std::wstring PlatformPath(const std::vector<std::wstring>& components) {
    const std::wstring sep = Utils::PathSeparator();
    std::wstring path = sep == L"\\" ? L"C:" : L"";
    for (const std::wstring& c : components) {
        path += sep + c;
    }
    return path;
}

std::wstring AppDataFallback() {
    std::wstring appData;
    EXPECT_TRUE(Utils::GetLocalAppDataPath(appData));
    const std::wstring sep = Utils::PathSeparator();
    return appData + sep + L"Tavo" + sep + L"Application";
}

void SetUninstallString(const std::wstring& value) {
    Utils::RegistryKey key;
    ASSERT_EQ(Utils::kRegOk, key.CreateForSet(L"Software\\Tavo"));
    ASSERT_EQ(Utils::kRegOk, key.SetString(L"UninstallString", value));
}

class FingerprintTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_machine = &machine_;
        SetFingerprintSourcesForTesting(&kFakeSources);
        ResetDeviceInfoCacheForTesting();
    }
    void TearDown() override {
        SetFingerprintSourcesForTesting(nullptr);
        ResetDeviceInfoCacheForTesting();
        g_machine = nullptr;
    }

    FakeMachine machine_;
    ScopedRegistryRoot registry_;
    TempDir dir_;
    ScopedEnv appData_{"XDG_DATA_HOME", Utils::WideToUtf8(dir_.Child(L"appdata"))};
};

TEST_F(FingerprintTest, FillsEveryFieldAndDefaultsTheOperatingSystem) {
    const struct {
        const wchar_t* osName;
        const wchar_t* osVersion;
        const wchar_t* expectedName;
        const wchar_t* expectedVersion;
        const char* why;
    } cases[] = {
        {L"Windows 10 Pro", L"10.0", L"Windows 10 Pro", L"10.0", "both read"},
        {L"", L"10.0", L"Windows Default 10.0", L"10.0", "no name: default with the version"},
        {L"", L"", L"Windows Default 6.1", L"6.1", "neither: 6.1 in both"},
        {L"Windows 7", L"", L"Windows 7", L"6.1", "no version: 6.1"},
    };
    for (const auto& c : cases) {
        ResetDeviceInfoCacheForTesting();
        machine_.osName = c.osName;
        machine_.osVersion = c.osVersion;
        DeviceInfo device;
        EXPECT_EQ(0, Services::GetDeviceInfo(device)) << c.why;
        EXPECT_EQ(c.expectedName, device.osName) << c.why;
        EXPECT_EQ(c.expectedVersion, device.osVersion) << c.why;
        EXPECT_EQ(L"MB", device.mainboardId);
        EXPECT_EQ(L"CPU", device.cpuId);
        EXPECT_EQ(L"BIOS", device.biosId);
        EXPECT_EQ(L"DISK", device.diskId);
        EXPECT_EQ(L"MEM", device.memoryId);
        EXPECT_EQ(L"00-11", device.macAddress);
        EXPECT_TRUE(device.is64Bit);
    }
}

TEST_F(FingerprintTest, SecondCallQueriesNothing) {
    DeviceInfo first, second;
    Services::GetDeviceInfo(first);
    const int queries = machine_.queries;
    EXPECT_EQ(9, queries) << "eight identifiers and the OS bitness";
    machine_.mainboard = L"changed";
    Services::GetDeviceInfo(second);
    EXPECT_EQ(queries, machine_.queries.load());
    EXPECT_EQ(L"MB", second.mainboardId) << "the process keeps its first fingerprint";
}

TEST_F(FingerprintTest, TwoThreadsAtOnceGatherOnce) {
    DeviceInfo a, b;
    std::thread worker([&a] { Services::GetDeviceInfo(a); });
    std::thread window([&b] { Services::GetDeviceInfo(b); });
    worker.join();
    window.join();
    EXPECT_EQ(9, machine_.queries.load());
    EXPECT_EQ(a.osName, b.osName);
    EXPECT_EQ(a.mainboardId, b.mainboardId);
    EXPECT_EQ(L"MB", b.mainboardId);
}

TEST_F(FingerprintTest, InstallDirIsThreeLevelsAboveTheUninstaller) {
    const std::wstring app =
        PlatformPath({L"Users", L"u", L"AppData", L"Local", L"Tavo", L"Application"});
    const std::wstring setup =
        PlatformPath({L"Users", L"u", L"AppData", L"Local", L"Tavo", L"Application", L"1.0.0.1",
                      L"Installer", L"setup.exe"});
    const std::wstring spaced =
        PlatformPath({L"Program Files", L"Tavo", L"Application", L"1.0", L"Installer", L"s.exe"});
    const struct {
        std::wstring uninstall;  // empty: no value at all
        std::wstring expected;   // empty: the application data fallback
        const char* why;
    } cases[] = {
        {setup, app, "the plain path"},
        {L"\"" + setup + L"\" --uninstall --system-level", app, "quoted, with arguments"},
        {setup + L" --uninstall", app, "unquoted, with arguments"},
        {spaced, PlatformPath({L"Program Files", L"Tavo", L"Application"}),
         "blanks inside an unquoted path"},
        {PlatformPath({L"a", L"setup.exe"}), L"", "too few components: fallback"},
        {PlatformPath({L"Tavo", L"Installer", L"setup.exe"}), L"",
         "only the root would be left: fallback"},
        {L"setup.exe", L"", "no folder at all: fallback"},
        {L"", L"", "no value: fallback"},
    };
    for (const auto& c : cases) {
        if (!c.uninstall.empty()) {
            SetUninstallString(c.uninstall);
        } else {
            Utils::DeleteRegistryKey(L"Software\\Tavo");
        }
        const std::wstring expected = c.expected.empty() ? AppDataFallback() : c.expected;
        EXPECT_EQ(Utils::WideToUtf8(expected), Utils::WideToUtf8(GetInstallDir())) << c.why;
    }
}

TEST_F(FingerprintTest, OldGuidIsUsedUnchangedElseTheUuidIsDerived) {
    // The browser's folder of this test: <dir>/Tavo/Application.
    const std::wstring sep = Utils::PathSeparator();
    const std::wstring app = dir_.path() + sep + L"Tavo" + sep + L"Application";
    SetUninstallString(app + sep + L"1.0" + sep + L"Installer" + sep + L"setup.exe");
    std::filesystem::create_directories(Utils::NativePath(app));
    const std::wstring config = app + sep + L"config.ini";
    const std::wstring derived =
        L"C6970FBF668D356229A6A88610634136";  // of "MBCPUBIOS00-11S-1-5-21-1"

    const struct {
        const char* contents;  // null: no file; "<dir>": a folder of that name
        std::wstring expected;
        bool readFailure;  // the "JsonReadFile strOldConfigPath fail:" line
        const char* why;
    } cases[] = {
        {R"({"guid":"abc"})", L"abc", false, "an earlier installation's guid, not hashed"},
        {R"({"guid":"","x":1})", derived, false, "empty guid"},
        {R"({"guid":5})", derived, false, "guid of another type"},
        {R"([{"guid":"abc"}])", derived, false, "not an object"},
        {"5", derived, false, "a number"},
        {"", derived, true, "empty file"},
        {"guid=abc", derived, true, "not JSON"},
        {"<dir>", derived, true, "a folder named config.ini"},
        {nullptr, derived, false, "no file"},
    };
    for (const auto& c : cases) {
        std::error_code ec;
        std::filesystem::remove_all(Utils::NativePath(config), ec);
        if (c.contents != nullptr && std::string(c.contents) == "<dir>") {
            std::filesystem::create_directory(Utils::NativePath(config));
        } else if (c.contents != nullptr) {
            ASSERT_TRUE(TestSupport::WriteBytes(config, c.contents));
        }
        LogCapture log;
        std::wstring uuid = L"stale";
        EXPECT_EQ(0, Services::CreateUUID(uuid)) << c.why;
        EXPECT_EQ(Utils::WideToUtf8(c.expected), Utils::WideToUtf8(uuid)) << c.why;
        EXPECT_EQ(c.readFailure ? 1u : 0u, log.Count("JsonReadFile strOldConfigPath fail:"))
            << c.why;
        EXPECT_EQ(c.expected == L"abc" ? 1u : 0u, log.Count("OUT:INFO:use old guid:abc\n"))
            << c.why;
    }
}

TEST_F(FingerprintTest, DerivedUuidFallbacks) {
    // Expected values: HMAC-MD5 with an empty key of the concatenated text.
    const struct {
        bool identifiers;
        int sidCode;
        bool randomOk;
        const wchar_t* disk;
        const wchar_t* expected;
        const char* why;
    } cases[] = {
        {true, 0, true, L"DISK", L"C6970FBF668D356229A6A88610634136", "all inputs"},
        {true, 0, true, L"OTHER", L"C6970FBF668D356229A6A88610634136",
         "disk and memory are no inputs"},
        {true, 21, true, L"DISK", L"BF19FC1AEF4D457D9C79284A3931525A",
         "no machine identifier: the identifiers alone"},
        {false, 21, true, L"", L"424C7FCFD0845FF6EE57D1CEB1ECCF94",
         "nothing known: a random GUID text"},
        {false, 20, false, L"", L"F6A0E1616C0E3DF78B9AE7AEC463CB0A",
         "not even a GUID: the tick count 12345"},
    };
    for (const auto& c : cases) {
        ResetDeviceInfoCacheForTesting();
        machine_.mainboard = c.identifiers ? L"MB" : L"";
        machine_.cpu = c.identifiers ? L"CPU" : L"";
        machine_.bios = c.identifiers ? L"BIOS" : L"";
        machine_.mac = c.identifiers ? L"00-11" : L"";
        machine_.disk = c.disk;
        machine_.sidCode = c.sidCode;
        machine_.randomOk = c.randomOk;
        LogCapture log;
        std::wstring uuid;
        EXPECT_EQ(0, Services::CreateUUID(uuid)) << c.why;
        EXPECT_EQ(Utils::WideToUtf8(c.expected), Utils::WideToUtf8(uuid)) << c.why;
        EXPECT_EQ(c.sidCode != 0 ? 1u : 0u,
                  log.Count("GetMachineSID error:" + std::to_string(c.sidCode) + "\n"))
            << c.why;
    }
}

// The real machine: the derived UUID is the same on every call and in
// another process, and has the shape of a digest.
const char kUuidOutVariable[] = "TAVO_TEST_UUID_OUT";

std::wstring RealUuid() {
    ScopedRegistryRoot registry;  // no installed browser
    TempDir appData;
    ScopedEnv env("XDG_DATA_HOME", Utils::WideToUtf8(appData.path()));
    ResetDeviceInfoCacheForTesting();
    std::wstring uuid;
    EXPECT_EQ(0, Services::CreateUUID(uuid));
    return uuid;
}

TEST(RealMachineUuid, WrittenForTheParentProcess) {
    // Copied at once: setting another variable may move the environment.
    const char* variable = std::getenv(kUuidOutVariable);
    if (variable == nullptr) {
        GTEST_SKIP() << "only as the child of StableAcrossCallsAndProcesses";
    }
    const std::string out = variable;
    const std::wstring uuid = RealUuid();
    ASSERT_TRUE(TestSupport::WriteBytes(Utils::Utf8ToWide(out), Utils::WideToUtf8(uuid)));
}

TEST(RealMachineUuid, StableAcrossCallsAndProcesses) {
    const std::wstring first = RealUuid();
    EXPECT_TRUE(std::regex_match(Utils::WideToUtf8(first), std::regex("[0-9A-F]{32}")))
        << Utils::WideToUtf8(first);
    EXPECT_EQ(first, RealUuid());

    TempDir dir;
    const std::wstring file = dir.Child(L"uuid.txt");
    ScopedEnv env(kUuidOutVariable, Utils::WideToUtf8(file));
    const std::wstring self = Utils::GetSelfPath();
    ASSERT_EQ(0, Utils::ExecutExeAtNewProcess(
                     self, L"\"" + self +
                               L"\" --gtest_filter=RealMachineUuid.WrittenForTheParentProcess"));
    EXPECT_EQ(Utils::WideToUtf8(first), TestSupport::ReadBytes(file));
}

}  // namespace
