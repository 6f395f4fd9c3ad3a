// HttpDownload against a server in this process: the file's name and
// content, and what is left on disk when a download does not complete.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/http_server.h"
#include "tests/support/testsupport.h"
#include "utils/http/http.h"
#include "utils/log/fileutil.h"
#include "utils/log/log.h"
#include "utils/log/textconv.h"
#include "utils/system/faults.h"

namespace {

using TestSupport::LocalHttpServer;
using TestSupport::TempDir;

constexpr size_t kMiB = size_t{1} << 20;

// Bytes that do not repeat with any short period, so a lost or doubled
// chunk shows.
std::string Pattern(size_t offset, size_t size) {
    std::string out(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        const size_t at = offset + i;
        out[i] = static_cast<char>((at * 131 + at / 4093) & 0xff);
    }
    return out;
}

// Serves `size` pattern bytes with a Content-Length, in 64 KiB pieces; with
// `dropAt` below `size` the server breaks the connection there.
void ServePattern(httplib::Response& res, size_t size, size_t dropAt) {
    res.set_content_provider(size, "application/octet-stream",
                             [dropAt](size_t offset, size_t length, httplib::DataSink& sink) {
                                 if (offset >= dropAt) {
                                     return false;
                                 }
                                 const std::string piece =
                                     Pattern(offset, std::min(length, size_t{64} << 10));
                                 sink.write(piece.data(), piece.size());
                                 return true;
                             });
}

std::vector<std::wstring> Entries(const std::wstring& dir) {
    std::vector<std::wstring> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(Utils::NativePath(dir), ec)) {
        names.push_back(Utils::Utf8ToWide(entry.path().filename().u8string()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> FaultIds() {
    std::vector<std::string> ids;
    for (const Utils::FaultInfo& f : Utils::PendingFaults()) {
        ids.push_back(f.strErrorId);
    }
    return ids;
}

class HttpDownloadTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Utils::ClearPendingFaultsForTesting();
        httplib::Server& s = server_.server();
        // Answers with the Content-Disposition the request asks for.
        s.Get("/echo-cd/.*", [](const httplib::Request& req, httplib::Response& res) {
            if (req.has_header("X-Disposition")) {
                res.set_header("Content-Disposition", req.get_header_value("X-Disposition"));
            }
            res.set_content("payload", "application/octet-stream");
        });
        s.Get("/big/(\\d+)", [](const httplib::Request& req, httplib::Response& res) {
            const size_t size = std::stoul(req.matches[1].str());
            ServePattern(res, size, size);
        });
        s.Get("/chunked/(\\d+)", [](const httplib::Request& req, httplib::Response& res) {
            const size_t size = std::stoul(req.matches[1].str());
            res.set_chunked_content_provider(
                "application/octet-stream", [size](size_t offset, httplib::DataSink& sink) {
                    if (offset >= size) {
                        sink.done();
                        return true;
                    }
                    const std::string piece =
                        Pattern(offset, std::min(size - offset, size_t{40000}));
                    sink.write(piece.data(), piece.size());
                    return true;
                });
        });
        s.Get("/drop/(\\d+)", [](const httplib::Request& req, httplib::Response& res) {
            const size_t size = std::stoul(req.matches[1].str());
            ServePattern(res, size, size / 4 * 3);
        });
        s.Get("/missing", [](const httplib::Request&, httplib::Response& res) {
            res.status = 404;
            res.set_content("not here", "text/plain");
        });
        s.Get("/empty", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("", "application/octet-stream");
        });
        ASSERT_TRUE(server_.Start());
    }
    void TearDown() override {
        Utils::ClearPendingFaultsForTesting();
        Utils::SetHttpDownloadWriteLimitForTesting(-1);
        Utils::SetFreeBytesQueryForTesting(nullptr);
    }

    // A folder path as callers pass it: ending with the separator.
    static std::wstring Folder(const std::wstring& path) { return path + Utils::PathSeparator(); }

    int Download(const std::string& path, const std::wstring& dir, std::wstring& fileName,
                 std::string& error, const std::string& headers = "",
                 std::function<bool(uint64_t, uint64_t)> progress = nullptr) {
        return Utils::HttpDownload(server_.Url(path), headers, std::move(progress), Folder(dir),
                                   fileName, error);
    }

    TestSupport::LogCapture log_;
    LocalHttpServer server_;
    TempDir root_;
};

TEST_F(HttpDownloadTest, NamesTheFileFromContentDisposition) {
    std::wstring fileName;
    std::string error = "stale";
    ASSERT_EQ(0, Download("/echo-cd/setup.exe", root_.path(), fileName, error,
                          "\r\nX-Disposition: attachment; filename=\"Tavo Setup.exe\""));
    EXPECT_EQ("", error);
    EXPECT_EQ(L"Tavo Setup.exe", fileName);
    EXPECT_EQ("payload", TestSupport::ReadBytes(root_.Child(L"Tavo Setup.exe")));
}

TEST_F(HttpDownloadTest, UsesTheCallersNameAsGiven) {
    std::wstring fileName = L"given.bin";
    std::string error;
    ASSERT_EQ(0, Download("/echo-cd/setup.exe", root_.path(), fileName, error,
                          "\r\nX-Disposition: attachment; filename=\"other.exe\""));
    EXPECT_EQ(L"given.bin", fileName);
    EXPECT_EQ(std::vector<std::wstring>{L"given.bin"}, Entries(root_.path()));
}

TEST_F(HttpDownloadTest, ServerChosenNamesStayInsideTheFolder) {
    const std::wstring dir = root_.Child(L"a") + Utils::PathSeparator() + L"b";
    const std::string absolute = Utils::WideToUtf8(root_.Child(L"abs.exe"));
    const struct {
        const char* path;
        std::string disposition;
        const wchar_t* expected;
        const char* why;
    } cases[] = {
        {"/echo-cd/setup.exe", "attachment; filename=\"../../x\"", L"x", "parent steps"},
        {"/echo-cd/setup.exe", "attachment; filename=\"" + absolute + "\"", L"abs.exe",
         "an absolute path"},
        {"/echo-cd/setup.exe", "attachment; filename=\"..\\..\\y\"", L"y", "backslash steps"},
        {"/echo-cd/a.exe?v=2", "", L"a.exe", "the URL's query"},
        {"/echo-cd/setup.exe", "attachment; filename=\"..\"", L"setup.exe", "the parent"},
        {"/echo-cd/setup.exe", "attachment; filename=\"\"", L"setup.exe", "an empty name"},
        {"/echo-cd/", "", L"download.bin", "no name at all"},
    };
    for (const auto& c : cases) {
        std::filesystem::create_directories(Utils::NativePath(dir));
        std::wstring fileName;
        std::string error;
        const std::string headers =
            c.disposition.empty() ? "" : "\r\nX-Disposition: " + c.disposition;
        ASSERT_EQ(0, Download(c.path, dir, fileName, error, headers)) << c.why;
        EXPECT_EQ(c.expected, fileName) << c.why;
        EXPECT_EQ(std::vector<std::wstring>{c.expected}, Entries(dir)) << c.why;
        EXPECT_EQ(std::vector<std::wstring>{L"a"}, Entries(root_.path())) << c.why;
        std::filesystem::remove_all(Utils::NativePath(root_.Child(L"a")));
    }
}

TEST_F(HttpDownloadTest, StreamsLongBodiesWhole) {
    const size_t size = 3 * kMiB + 17;
    const struct {
        const char* path;
        uint64_t progressAtEnd;
        const char* why;
    } cases[] = {
        {"/big/", size, "with a length; the progress counts up to it"},
        {"/chunked/", 0, "chunked; the library reports no progress for it"},
    };
    for (const auto& c : cases) {
        std::wstring fileName = L"body.bin";
        std::string error;
        uint64_t last = 0;
        auto progress = [&last](uint64_t current, uint64_t) {
            last = current;
            return true;
        };
        ASSERT_EQ(
            0, Download(c.path + std::to_string(size), root_.path(), fileName, error, "", progress))
            << c.why;
        EXPECT_EQ(c.progressAtEnd, last) << c.why;
        EXPECT_TRUE(TestSupport::ReadBytes(root_.Child(fileName)) == Pattern(0, size)) << c.why;
        std::filesystem::remove(Utils::NativePath(root_.Child(fileName)));
    }
}

TEST_F(HttpDownloadTest, NeverWritesIntoAFileThatIsThere) {
    ASSERT_TRUE(TestSupport::WriteBytes(root_.Child(L"body.bin"), "planted"));
    std::wstring fileName = L"body.bin";
    std::string error;
    EXPECT_EQ(Utils::HTTP_ERROR_FILE_WRITE,
              Download("/big/100", root_.path(), fileName, error, "", nullptr));
    EXPECT_EQ("planted", TestSupport::ReadBytes(root_.Child(L"body.bin")))
        << "the file that was there is neither overwritten nor removed";
    EXPECT_EQ(std::vector<std::string>{"http-2"}, FaultIds());
}

TEST_F(HttpDownloadTest, UnfinishedTransfersLeaveNoFile) {
    const struct {
        std::string path;
        bool cancel;
        int result;
        const char* why;
    } cases[] = {
        {"/big/" + std::to_string(4 * kMiB), true, 7, "cancelled by the progress callback"},
        {"/drop/" + std::to_string(4 * kMiB), false, 4, "connection dropped after 3 MiB"},
        {"/missing", false, 404, "an answer other than 200"},
    };
    for (const auto& c : cases) {
        std::wstring fileName;
        std::string error = "stale";
        auto progress = [&c](uint64_t current, uint64_t) {
            return !c.cancel || current < 2 * kMiB;
        };
        EXPECT_EQ(c.result, Download(c.path, root_.path(), fileName, error, "", progress)) << c.why;
        EXPECT_EQ("", error) << c.why;
        EXPECT_TRUE(Entries(root_.path()).empty()) << c.why;
    }
    EXPECT_TRUE(Utils::PendingFaults().empty());
}

TEST_F(HttpDownloadTest, RefusedConnectionIsTheLibrarysError) {
    std::wstring fileName;
    std::string error = "stale";
    const std::string url = "http://127.0.0.1:" + std::to_string(TestSupport::ClosedLocalPort());
    EXPECT_EQ(
        2, Utils::HttpDownload(url + "/x.exe", "", nullptr, Folder(root_.path()), fileName, error));
    EXPECT_EQ("", error);
    EXPECT_TRUE(Entries(root_.path()).empty());
}

TEST_F(HttpDownloadTest, EmptyBodyGivesAnEmptyFile) {
    std::wstring fileName = L"empty.bin";
    std::string error;
    ASSERT_EQ(0, Download("/empty", root_.path(), fileName, error));
    EXPECT_TRUE(TestSupport::Exists(root_.Child(L"empty.bin")));
    EXPECT_EQ("", TestSupport::ReadBytes(root_.Child(L"empty.bin")));
}

int64_t FiveBytesFree(const std::wstring&) {
    return 5;
}

TEST_F(HttpDownloadTest, MissingFolderIsCreatedAfterAFault) {
    Utils::SetFreeBytesQueryForTesting(&FiveBytesFree);
    const std::wstring dir = root_.Child(L"new") + Utils::PathSeparator() + L"deeper";
    std::wstring fileName = L"f.bin";
    std::string error;
    ASSERT_EQ(0, Download("/echo-cd/x", dir, fileName, error));
    EXPECT_EQ("payload", TestSupport::ReadBytes(dir + Utils::PathSeparator() + L"f.bin"));
    const std::vector<Utils::FaultInfo> faults = Utils::PendingFaults();
    ASSERT_EQ(1u, faults.size());
    EXPECT_EQ("http-1", faults[0].strErrorId);
    EXPECT_EQ(900, faults[0].nBugCode);
    EXPECT_EQ(Utils::WideToUtf8(Folder(dir)) + " 5", faults[0].strContent);
    EXPECT_EQ(1u, log_.Count("INFO:strFilePath not exist.")) << log_.Text();
}

TEST_F(HttpDownloadTest, FileThatCannotBeOpenedIs1001) {
    // Refusals that hold for any user, root included.
    ASSERT_TRUE(TestSupport::WriteBytes(root_.Child(L"plain-file"), "x"));
    std::filesystem::create_directories(Utils::NativePath(root_.Child(L"taken")));
    const struct {
        std::wstring dir;
        const wchar_t* fileName;
        std::vector<std::string> faults;
        const char* why;
    } cases[] = {
        {root_.path(), L"taken", {"http-2"}, "the name is a folder"},
        {root_.Child(L"plain-file"), L"f.bin", {"http-1", "http-2"}, "the folder is a file"},
    };
    for (const auto& c : cases) {
        Utils::ClearPendingFaultsForTesting();
        std::wstring fileName = c.fileName;
        std::string error;
        EXPECT_EQ(Utils::HTTP_ERROR_FILE_WRITE, Download("/echo-cd/x", c.dir, fileName, error))
            << c.why;
        EXPECT_EQ("HTTP_ERROR_FILE_WRITE", error) << c.why;
        EXPECT_EQ(c.faults, FaultIds()) << c.why;
    }
    EXPECT_EQ((std::vector<std::wstring>{L"plain-file", L"taken"}), Entries(root_.path()));
}

TEST_F(HttpDownloadTest, FailedWriteRemovesThePartialFile) {
    Utils::SetHttpDownloadWriteLimitForTesting(kMiB + 5);
    std::wstring fileName = L"full.bin";
    std::string error;
    EXPECT_EQ(Utils::HTTP_ERROR_FILE_WRITE,
              Download("/big/" + std::to_string(3 * kMiB), root_.path(), fileName, error));
    EXPECT_EQ("HTTP_ERROR_FILE_WRITE", error);
    EXPECT_EQ((std::vector<std::string>{"http-3", "http-4"}), FaultIds());
    EXPECT_TRUE(Entries(root_.path()).empty());
}

}  // namespace
