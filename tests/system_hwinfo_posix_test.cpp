// Linux only: the identifier functions over fixture trees of /sys, /proc,
// /run/udev and /etc (through the system root seam).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/testsupport.h"
#include "utils/log/textconv.h"
#include "utils/system/hwinfo.h"
#include "utils/system/hwsources_posix.h"
#include "utils/system/sysroot_posix.h"

using TestSupport::LogCapture;
using TestSupport::TempDir;

namespace {

namespace fs = std::filesystem;

// One fixture tree per case; "<dir>" as a file's contents makes a folder of
// that name instead, which exists but cannot be read as a file.
class Tree {
  public:
    Tree() { Utils::posix::SetSystemRootForTesting(root_); }
    ~Tree() { Utils::posix::SetSystemRootForTesting(""); }
    Tree(const Tree&) = delete;
    Tree& operator=(const Tree&) = delete;

    void File(const std::string& absolute, const std::string& contents) const {
        const fs::path path = root_ + absolute;
        fs::create_directories(path.parent_path());
        if (contents == "<dir>") {
            fs::create_directories(path);
        } else {
            ASSERT_TRUE(TestSupport::WriteBytes(Utils::Utf8ToWide(path.string()), contents));
        }
    }
    void Dir(const std::string& absolute) const { fs::create_directories(root_ + absolute); }

  private:
    TempDir dir_;
    const std::string root_ = Utils::WideToUtf8(dir_.path());
};

struct Expected {
    int code;
    const wchar_t* value;
};

void Check(int (*query)(std::wstring&), const Expected& expected, const char* why) {
    LogCapture log;
    std::wstring value = L"stale";
    EXPECT_EQ(expected.code, query(value)) << why;
    EXPECT_EQ(Utils::WideToUtf8(expected.value), Utils::WideToUtf8(value)) << why;
    EXPECT_EQ(expected.code != 0 ? 1u : 0u,
              log.Count("OUT:ERROR:GetWmiValue failed ret:" + std::to_string(expected.code) + "\n"))
        << why;
}

TEST(PosixIdentifiers, OneFileSources) {
    const struct {
        int (*query)(std::wstring&);
        const char* file;
        const char* contents;  // null: missing
        Expected expected;
        const char* why;
    } cases[] = {
        {Utils::GetMainboardUUID,
         "/sys/class/dmi/id/product_uuid",
         "4c4c4544-0031-3410-8033-b4c04f4d5632\n",
         {0, L"4c4c4544-0031-3410-8033-b4c04f4d5632"},
         "mainboard UUID present"},
        {Utils::GetMainboardUUID,
         "/sys/class/dmi/id/product_uuid",
         nullptr,
         {0, L""},
         "missing: no instance"},
        {Utils::GetMainboardUUID,
         "/sys/class/dmi/id/product_uuid",
         "<dir>",
         {16, L""},
         "unreadable: the query failed"},
        {Utils::GetBiosID,
         "/sys/class/dmi/id/product_serial",
         "CN0123456\n",
         {0, L"CN0123456"},
         "BIOS serial present"},
        {Utils::GetBiosID,
         "/sys/class/dmi/id/product_serial",
         "<dir>",
         {16, L""},
         "BIOS serial unreadable"},
    };
    for (const auto& c : cases) {
        Tree tree;
        tree.Dir("/sys/class/dmi/id");
        if (c.contents != nullptr) {
            tree.File(c.file, c.contents);
        }
        Check(c.query, c.expected, c.why);
    }
}

TEST(PosixIdentifiers, FirstDiskSerial) {
    using Files = std::vector<std::pair<const char*, const char*>>;
    const struct {
        Files files;
        Expected expected;
        const char* why;
    } cases[] = {
        {{{"/sys/block/sda/device/serial", "  WD-ABC 123 \n"}},
         {0, L"WD-ABC123"},
         "blanks before, inside and after"},
        {{{"/sys/block/loop0/serial", "LOOP"}, {"/sys/block/sdb/device/serial", "REAL"}},
         {0, L"REAL"},
         "a loop device has no hardware behind it"},
        {{{"/sys/block/sda/device/serial", "    \n"}, {"/sys/block/sdb/device/serial", "REAL"}},
         {0, L""},
         "a serial of blanks ends the walk"},
        {{{"/sys/block/sda/device/model", "X"},
          {"/sys/block/sda/dev", "8:0\n"},
          {"/run/udev/data/b8:0",
           "S:disk/by-id/x\nE:ID_SERIAL=Samsung_SSD_S3Z\n"
           "E:ID_SERIAL_SHORT=S3Z9NB0K\n"}},
         {0, L"S3Z9NB0K"},
         "from the udev database"},
        {{{"/sys/block/sda/device/model", "X"},
          {"/sys/block/sda/dev", "8:0\n"},
          {"/run/udev/data/b8:0", "E:ID_SERIAL=Samsung_SSD_S3Z\n"}},
         {0, L"Samsung_SSD_S3Z"},
         "udev without the short serial"},
        {{{"/sys/block/vda/device/features", "1"}, {"/sys/block/vda/serial", "VIRT01\n"}},
         {0, L"VIRT01"},
         "virtio keeps it beside the device"},
        {{{"/sys/block/sda/device/model", "X"}, {"/sys/block/sdb/device/serial", "SECOND"}},
         {0, L"SECOND"},
         "a disk without any serial adds nothing"},
        {{}, {0, L""}, "no /sys/block at all"},
        {{{"/sys/block/sda/device/serial", "<dir>"}}, {16, L""}, "the only serial unreadable"},
    };
    for (const auto& c : cases) {
        Tree tree;
        for (const auto& f : c.files) {
            tree.File(f.first, f.second);
        }
        Check(Utils::GetDiskID, c.expected, c.why);
    }
}

// A DMI memory device structure (type 17) of `size` MiB whose part number is
// string `partIndex` of `strings`.
std::string MemoryDevice(unsigned size, uint8_t partIndex,
                         const std::vector<std::string>& strings) {
    std::string raw(0x28, '\0');
    raw[0] = 17;
    raw[1] = 0x28;
    raw[0x0C] = static_cast<char>(size & 0xFF);
    raw[0x0D] = static_cast<char>(size >> 8);
    raw[0x1A] = static_cast<char>(partIndex);
    for (const std::string& s : strings) {
        raw += s;
        raw += '\0';
    }
    raw += '\0';
    return raw;
}

TEST(PosixIdentifiers, FirstMemoryPartNumber) {
    const std::string module = MemoryDevice(8192, 2, {"DIMM A", "M378A1K43CB2-CTD    ", "Samsung"});
    const std::string empty = MemoryDevice(0, 1, {"NO DIMM"});
    const struct {
        std::vector<std::pair<const char*, std::string>> files;
        Expected expected;
        const char* why;
    } cases[] = {
        {{{"/sys/firmware/dmi/entries/17-0/raw", empty},
          {"/sys/firmware/dmi/entries/17-1/raw", module}},
         {0, L"M378A1K43CB2-CTD    "},
         "an empty slot is skipped; the text stays as the firmware has it"},
        {{{"/sys/firmware/dmi/entries/17-10/raw", module},
          {"/sys/firmware/dmi/entries/17-9/raw", MemoryDevice(4096, 1, {"FIRST"})}},
         {0, L"FIRST"},
         "entries in index order, not name order"},
        {{{"/sys/firmware/dmi/entries/16-0/raw", module}}, {0, L""}, "no memory device"},
        {{{"/sys/firmware/dmi/entries/17-0/raw", "<dir>"}}, {16, L""}, "unreadable (root only)"},
    };
    for (const auto& c : cases) {
        Tree tree;
        for (const auto& f : c.files) {
            tree.File(f.first, f.second);
        }
        Check(Utils::GetMemoryID, c.expected, c.why);
    }
}

std::vector<std::pair<std::string, std::string>> g_addresses;
std::vector<std::pair<std::string, std::string>> Addresses() {
    return g_addresses;
}

// lo (1, loopback, up), eth0 (2, down), wlan0 (3, up), eth1 (4, up); the
// folder listing order differs from the index order on purpose.
void Interfaces(const Tree& tree, const std::string& wlanMac) {
    const struct {
        const char* name;
        const char* index;
        const char* flags;
        std::string mac;
    } interfaces[] = {
        {"eth1", "4", "0x1003", "52:54:00:00:00:04\n"},
        {"wlan0", "3", "0x1003", wlanMac},
        {"eth0", "2", "0x1002", "52:54:00:00:00:02\n"},
        {"lo", "1", "0x9", "00:00:00:00:00:00\n"},
    };
    for (const auto& i : interfaces) {
        const std::string base = std::string("/sys/class/net/") + i.name;
        tree.File(base + "/ifindex", std::string(i.index) + "\n");
        tree.File(base + "/flags", std::string(i.flags) + "\n");
        tree.File(base + "/address", i.mac);
    }
}

TEST(PosixIdentifiers, FirstUpAdapterThatHasAValue) {
    const struct {
        std::string wlanMac;
        std::vector<std::pair<std::string, std::string>> addresses;
        Expected mac;
        Expected ip;
        const char* why;
    } cases[] = {
        {"aa:bb:cc:dd:ee:0f\n",
         {{"lo", "127.0.0.1"},
          {"eth0", "10.0.0.1"},
          {"wlan0", "fe80::1"},
          {"wlan0", "192.168.1.5"},
          {"eth1", "10.0.0.2"}},
         {0, L"aa-bb-cc-dd-ee-0f"},
         {0, L"192.168.1.5"},
         "loopback and the down eth0 skipped; IPv4 before IPv6"},
        {"\n",
         {{"eth1", "10.0.0.2"}},
         {0, L"52-54-00-00-00-04"},
         {0, L"10.0.0.2"},
         "wlan0 has neither: eth1 gives both"},
        {"aa:bb:cc:dd:ee:0f\n",
         {{"wlan0", "fe80::1"}},
         {0, L"aa-bb-cc-dd-ee-0f"},
         {0, L"fe80::1"},
         "only an IPv6 address"},
    };
    for (const auto& c : cases) {
        Tree tree;
        Interfaces(tree, c.wlanMac);
        g_addresses = c.addresses;
        Utils::posix::SetInterfaceAddressQueryForTesting(Addresses);
        Check(Utils::GetMac, c.mac, c.why);
        Check(Utils::GetIP, c.ip, c.why);
        Utils::posix::SetInterfaceAddressQueryForTesting(nullptr);
    }
    Tree none;
    Check(Utils::GetMac, {0, L""}, "no network interfaces");
}

TEST(PosixIdentifiers, OperatingSystem) {
    const struct {
        const char* osrelease;
        const char* etcOsRelease;  // null: missing
        const char* usrOsRelease;  // null: missing
        Expected version;
        Expected name;
        const char* why;
    } cases[] = {
        {"6.1.0-18-amd64\n",
         "NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n",
         nullptr,
         {0, L"6.1"},
         {0, L"Debian GNU/Linux 12 (bookworm)"},
         "a Debian machine"},
        {"5.15.0-91-generic\n",
         nullptr,
         "PRETTY_NAME='Ubuntu 22.04 LTS'\n",
         {0, L"5.15"},
         {0, L"Ubuntu 22.04 LTS"},
         "only /usr/lib/os-release, single quotes"},
        {"v6\n",
         "NAME=Fedora\n",
         nullptr,
         {0, L""},
         {0, L"Fedora"},
         "a release without major.minor; NAME without PRETTY_NAME"},
        {"6.6.1\n",
         "PRETTY_NAME=\"Quote \\\"d\\\" OS\"\n",
         nullptr,
         {0, L"6.6"},
         {0, L"Quote \"d\" OS"},
         "escapes inside double quotes"},
        {"6.6.1\n", nullptr, nullptr, {0, L"6.6"}, {0, L""}, "no os-release at all"},
    };
    for (const auto& c : cases) {
        Tree tree;
        tree.File("/proc/sys/kernel/osrelease", c.osrelease);
        if (c.etcOsRelease != nullptr) {
            tree.File("/etc/os-release", c.etcOsRelease);
        }
        if (c.usrOsRelease != nullptr) {
            tree.File("/usr/lib/os-release", c.usrOsRelease);
        }
        Check(Utils::GetOSVersion, c.version, c.why);
        Check(Utils::GetOSFullName, c.name, c.why);
    }
}

TEST(PosixWmiValue, QueriesWithoutASourceFail) {
    std::vector<std::wstring> values;
    EXPECT_EQ(Utils::kWmiQueryFailed,
              Utils::GetWmiValue(L"Win32_NoSuchClass", L"Name", L"", values));
    EXPECT_EQ(Utils::kWmiQueryFailed,
              Utils::GetWmiValue(L"Win32_BIOS", L"SerialNumber", L"WHERE Primary = TRUE", values));
    EXPECT_TRUE(values.empty());
}

}  // namespace
