// Windows only: the system layer against the real system (under Wine here).
#include <windows.h>

#include <gtest/gtest.h>

#include <objbase.h>

#include <filesystem>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/testsupport.h"
#include "utils/log/textconv.h"
#include "utils/system/disk.h"
#include "utils/system/drives.h"
#include "utils/system/faults.h"
#include "utils/system/fileversion.h"
#include "utils/system/hwinfo.h"
#include "utils/system/identity.h"

using TestSupport::TempDir;

namespace {

// A drive letter with no drive behind it.
wchar_t MissingDriveLetter() {
    const DWORD present = GetLogicalDrives();
    for (wchar_t letter = L'Q'; letter <= L'Y'; ++letter) {
        if ((present & (1u << (letter - L'A'))) == 0) {
            return letter;
        }
    }
    return L'\0';
}

TEST(WindowsIdentity, MachineSidIsALocalMachineSid) {
    std::wstring sid;
    ASSERT_EQ(0, Utils::GetMachineSID(sid));
    EXPECT_EQ(0u, sid.find(L"S-1-5-21-")) << Utils::WideToUtf8(sid);
}

TEST(WindowsIdentity, LocalAppDataFolderExists) {
    std::wstring dir;
    ASSERT_TRUE(Utils::GetLocalAppDataPath(dir));
    EXPECT_EQ(L':', dir.at(1)) << Utils::WideToUtf8(dir);
    EXPECT_TRUE(TestSupport::Exists(dir)) << Utils::WideToUtf8(dir);
}

TEST(WindowsWmi, ValuesOfTheOperatingSystemAndTheAdapters) {
    std::vector<std::wstring> values;
    ASSERT_EQ(0, Utils::GetWmiValue(L"win32_operatingsystem", L"name", L"", values));
    ASSERT_FALSE(values.empty());
    EXPECT_NE(std::wstring::npos, values.front().find(L'|'))
        << "product|windows directory|boot partition: " << Utils::WideToUtf8(values.front());
    std::wstring mainboard;
    EXPECT_EQ(0, Utils::GetMainboardUUID(mainboard));
}

TEST(WindowsWmi, SingleThreadedApartmentGets11AndTheVersionStillComes) {
    int mainboardCode = -1, versionCode = -1;
    std::wstring mainboard = L"stale", version;
    std::thread sta([&] {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        mainboardCode = Utils::GetMainboardUUID(mainboard);
        versionCode = Utils::GetOSVersion(version);
        CoUninitialize();
    });
    sta.join();
    EXPECT_EQ(Utils::kWmiComInitFailed, mainboardCode);
    EXPECT_EQ(L"", mainboard);
    EXPECT_EQ(0, versionCode);
    // The fallback is kernelbase.dll's file version (Wine's builtin one has no
    // version resource: then the version stays empty).
    std::wstring fileVersion;
    if (Utils::GetFileVersion(L"kernelbase.dll", fileVersion) && !fileVersion.empty()) {
        EXPECT_TRUE(std::regex_match(Utils::WideToUtf8(version), std::regex("\\d+\\.\\d+")))
            << "from kernelbase.dll " << Utils::WideToUtf8(fileVersion);
    } else {
        EXPECT_EQ(L"", version);
    }
}

TEST(WindowsDrives, ListHasTheSystemDriveAndNoDriveIsUsb) {
    bool sawC = false;
    for (const Utils::DriveRoot& d : Utils::ListDrives()) {
        EXPECT_EQ(std::wstring(1, d.letter) + L":\\", d.root);
        if (d.letter == L'C') {
            sawC = true;
            EXPECT_TRUE(d.fixed);
        }
    }
    EXPECT_TRUE(sawC);
    const wchar_t missing = MissingDriveLetter();
    ASSERT_NE(L'\0', missing);
    EXPECT_TRUE(Utils::IsUsbDrive(missing)) << "a drive that cannot be examined counts as USB";
}

TEST(WindowsDisk, MissingDriveHasNoFreeSpace) {
    const std::wstring root = std::wstring(1, MissingDriveLetter()) + L":\\";
    int64_t value = 123;
    EXPECT_FALSE(Utils::GetFreeSpace(root, &value));
    EXPECT_EQ(123, value) << "output untouched";
    EXPECT_EQ(-1, Utils::GetFreeBytes(root));
    EXPECT_EQ(Utils::WideToUtf8(root + L"x\\") + " -1", Utils::GetDiskInfoText(root + L"x\\"));
}

TEST(WindowsDisk, DriveOfPathIsThePathUpToItsFirstColon) {
    const struct {
        const wchar_t* path;
        const wchar_t* drive;
        const char* why;
    } cases[] = {
        {L"C:\\a\\b\\", L"C:", "a full path"},        {L"D:", L"D:", "the drive alone"},
        {L"x:y:z", L"x:", "the first colon"},         {L"relative\\x", L"", "no colon"},
        {L"\\\\server\\share\\x", L"", "a UNC path"}, {L"", L"", "empty"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.drive, Utils::DriveOfPath(c.path)) << c.why;
    }
}

TEST(WindowsDisk, CreateDirectoriesNeedsADriveAndASeparator) {
    TempDir dir;
    const std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    const std::wstring rootless = L"tavo-rootless-" + std::to_wstring(GetCurrentProcessId());
    const std::wstring drive = dir.path().substr(0, 2);  // "C:" of the folder
    const std::wstring cases[] = {
        drive,                              // too short
        drive + L"rel\\x\\",                // relative to the drive's current folder
        L"\\" + rootless + L"\\x\\",        // relative to the current drive's root
        L"\\\\localhost\\c$\\" + rootless,  // UNC
        L"rel\\x\\",                        // relative
    };
    for (const std::wstring& path : cases) {
        Utils::CreateDirectories(path);
    }
    std::filesystem::current_path(saved);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    EXPECT_FALSE(TestSupport::Exists(drive + L"\\" + rootless));
}

TEST(WindowsDisk, DeleteFileOnRebootRefuses260Characters) {
    std::wstring path = L"C:\\";
    path.append(257, L'x');
    EXPECT_FALSE(Utils::DeleteFileOnReboot(path));
}

// Resource-only libraries built from tests/fixtures/version/*.rc.
std::wstring Fixture(const wchar_t* name) {
    return TestSupport::SiblingFile(std::wstring(name) + L".dll");
}

TEST(WindowsVersion, OnlyTheFirstTranslationIsRead) {
    const std::wstring file = Fixture(L"tavo_test_version_two");
    ASSERT_TRUE(TestSupport::Exists(file));
    std::wstring out = L"kept";
    EXPECT_TRUE(Utils::QueryValue(L"OnlySecond", file, out)) << "the file has version info";
    EXPECT_EQ(L"kept", out) << "the key exists only in the second translation's table";
    EXPECT_TRUE(Utils::GetFileVersion(file, out));
    EXPECT_EQ(L"1.0.0.9-en", out) << "the first translation's table";
}

TEST(WindowsVersion, ChineseUnicodeTableIsReadFrom080404b0) {
    const std::wstring file = Fixture(L"tavo_test_version_zh");
    std::wstring product, description;
    EXPECT_TRUE(Utils::GetProductVersion(file, product));
    EXPECT_EQ(L"8.4.4.177", product);
    EXPECT_TRUE(Utils::QueryValue(L"FileDescription", file, description));
    EXPECT_EQ(L"浏览器安装程序", description);
}

TEST(WindowsVersion, KeysUpTo102CharactersFitTheSubBlockPath) {
    const std::wstring file = Fixture(L"tavo_test_version_zh");
    std::wstring fits, noRoom = L"kept";
    EXPECT_TRUE(Utils::QueryValue(std::wstring(102, L'K'), file, fits));
    EXPECT_EQ(L"fits", fits);
    EXPECT_TRUE(Utils::QueryValue(std::wstring(103, L'L'), file, noRoom));
    EXPECT_EQ(L"kept", noRoom) << "a key longer than 102 characters is never found";
}

TEST(WindowsVersion, StringTableWithoutTranslationIsFalse) {
    std::wstring out = L"kept";
    EXPECT_FALSE(Utils::GetFileVersion(Fixture(L"tavo_test_version_none"), out));
    EXPECT_EQ(L"kept", out);
}

}  // namespace
