// The fixture of the download tests (one test thread) against the development service: a
// window to receive progress, the test mode's plain http, a folder to use as
// the install root, and what is left in folders afterwards.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "services/message_queue.h"
#include "services/pipeline_config.h"
#include "tests/support/test_service.h"
#include "tests/support/testsupport.h"
#include "utils/log/fileutil.h"
#include "utils/log/log.h"
#include "utils/system/faults.h"

inline size_t FilesIn(const std::wstring& dir) {
    std::error_code ec;
    size_t n = 0;
    for (auto it = std::filesystem::directory_iterator(Utils::NativePath(dir), ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        ++n;
    }
    return n;
}

inline std::wstring FolderOf(const std::wstring& path) {
    return path.substr(0, path.find_last_of(Utils::PathSeparator()[0]) + 1);
}

class DownloadTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(service_.ok()) << service_.error();
        SetMainWindow(&window_);
        Utils::ClearPendingFaultsForTesting();
        // The development service is the test service: plain http, as the
        // program's test mode uses it.
        releaseMode = false;
    }
    void TearDown() override {
        releaseMode = true;
        SetMainWindow(nullptr);
        Utils::ClearPendingFaultsForTesting();
    }

    std::string Url(const std::string& file) const { return service_.BaseUrl() + "/files/" + file; }
    std::wstring Root() const { return root_.path() + Utils::PathSeparator(); }
    std::wstring TempFolder() const { return root_.Child(L"tempdir") + Utils::PathSeparator(); }

    TestSupport::LogCapture log_;
    TestSupport::TestService service_;
    MessageQueue window_;
    TestSupport::TempDir root_;
};
