// Linux: a shared "tempdir" on an install root is used only when nobody else
// can remove or rename what this program puts into it.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "services/download.h"
#include "services/stages.h"
#include "tests/download_fixture.h"
#include "utils/log/textconv.h"

namespace {

TEST_F(DownloadTest, SharedTempdirMustKeepOthersOut) {
    const std::string tempdir = Utils::WideToUtf8(root_.Child(L"tempdir"));
    const std::string elsewhere = Utils::WideToUtf8(root_.Child(L"elsewhere"));
    const struct {
        mode_t mode;  // of tempdir; 0: a link to another folder instead
        bool used;
        const char* why;
    } cases[] = {
        {0777, false, "anyone may write into it and remove what is not theirs"},
        {0770, false, "the group may write into it"},
        {01777, true, "anyone may write, but the sticky bit keeps them off other files"},
        {0755, true, "only its owner, this user, may write"},
        {0, false, "a link to another folder"},
    };
    ASSERT_EQ(0, mkdir(elsewhere.c_str(), 0700));
    for (const auto& c : cases) {
        Utils::ClearPendingFaultsForTesting();
        rmdir(tempdir.c_str());
        unlink(tempdir.c_str());
        if (c.mode == 0) {
            ASSERT_EQ(0, symlink(elsewhere.c_str(), tempdir.c_str()));
        } else {
            ASSERT_EQ(0, mkdir(tempdir.c_str(), 0700));
            ASSERT_EQ(0, chmod(tempdir.c_str(), c.mode));
        }
        std::wstring path;
        const int code = Services::DownloadFile(Url("TavoSetup.exe"), Root(), path);
        if (c.used) {
            EXPECT_EQ(0, code) << c.why;
            RemoveDownloadedInstaller(path);
        } else {
            EXPECT_EQ(0x2000, code) << c.why;
            const auto faults = Utils::PendingFaults();
            ASSERT_EQ(1u, faults.size()) << c.why;
            EXPECT_EQ("services-8", faults[0].strErrorId) << c.why;
            EXPECT_EQ(0u, FilesIn(root_.Child(L"elsewhere"))) << c.why;
        }
    }
    unlink(tempdir.c_str());
}

}  // namespace
