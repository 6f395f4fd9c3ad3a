// The development service's files: what each scenario serves, failures,
// connections dropped mid-body, throttling through the sleep seam, and a stop
// during a throttled download.
#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/devservice_fixture.h"
#include "tests/support/testsupport.h"
#include "tools/devservice/download.h"
#include "tools/devservice/file_body.h"
#include "utils/log/textconv.h"

namespace {

using DevServiceDownloadTest = DevServiceTest;

TEST_F(DevServiceDownloadTest, ServesEachFileAsTheScenarioSays) {
    TestSupport::TempDir dir;
    const std::wstring disk = dir.Child(L"Setup.exe");
    ASSERT_TRUE(TestSupport::WriteBytes(disk, std::string("MZ\0\x01payload", 11)));
    const std::string diskJson = nlohmann::json(Utils::WideToUtf8(disk)).dump();
    const std::string missingJson = nlohmann::json(Utils::WideToUtf8(dir.Child(L"no"))).dump();

    const struct {
        std::string scenario;
        const char* path;
        httplib::Headers headers;
        int status;
        std::string body;
        const char* disposition;
        const char* answer;  // the record's
        const char* why;
    } cases[] = {
        {"{}",
         "/files/TavoSetup.exe",
         {},
         200,
         Generated(0, 1024 * 1024),
         "",
         "200 1048576 bytes",
         "the default: 1 MiB generated"},
        {R"({"installer":{"size":196613}})",
         "/files/TavoSetup.exe",
         {},
         200,
         Generated(0, 196613),
         "",
         "200 196613 bytes",
         "several pieces and a remainder"},
        {R"({"installer":{"size":1000}})",
         "/files/TavoSetup.exe",
         {{"Range", "bytes=100-199"}},
         206,
         Generated(100, 100),
         "",
         "200 1000 bytes",
         "a range"},
        {R"({"installer":{"path":)" + diskJson + "}}",
         "/files/TavoSetup.exe",
         {},
         200,
         std::string("MZ\0\x01payload", 11),
         "",
         "200 11 bytes",
         "a file from disk"},
        {R"({"installer":{"path":)" + missingJson + "}}",
         "/files/TavoSetup.exe",
         {},
         500,
         "",
         "",
         "500 ",
         "a file that is not there"},
        {R"({"installer":{"size":0}})",
         "/files/TavoSetup.exe",
         {},
         200,
         "",
         "",
         "200 0 bytes",
         "an empty installer"},
        {R"({"installer":{"size":10,"fileName":"Tavo_1.2.exe"}})",
         "/files/TavoSetup.exe",
         {},
         200,
         Generated(0, 10),
         R"(attachment; filename="Tavo_1.2.exe")",
         R"(200 10 bytes, as "Tavo_1.2.exe")",
         "a Content-Disposition name"},
        {R"({"installer":{"status":404}})",
         "/files/TavoSetup.exe",
         {},
         404,
         "",
         "",
         "404 by scenario",
         "404 for the installer"},
        {R"({"installer":{"name":"Beta.exe","size":3}})",
         "/files/Beta.exe",
         {},
         200,
         Generated(0, 3),
         "",
         "200 3 bytes",
         "another name"},
        {R"({"installer":{"name":"Beta.exe"}})",
         "/files/TavoSetup.exe",
         {},
         404,
         "",
         "",
         "404 no such file",
         "the old name is gone"},
        {"{}",
         "/files/config.ini",
         {},
         200,
         DevService::kDefaultConfigText,
         "",
         "200 45 bytes",
         "the default config.ini"},
        {R"({"config":{"content":"{\"guid\":\"x\"}"}})",
         "/files/config.ini",
         {},
         200,
         R"({"guid":"x"})",
         "",
         "200 12 bytes",
         "config.ini's content replaced"},
        {R"({"config":{"status":500}})",
         "/files/config.ini",
         {},
         500,
         "",
         "",
         "500 by scenario",
         "500 for config.ini"},
        {"{}",
         "/files/TopSites.ini",
         {},
         200,
         "[TopSites]\n",
         "",
         "200 extra file",
         "one of the four configuration files"},
    };
    Start();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        SetScenario(c.scenario);
        service().ResetRecords();
        const Download d = Get(client(), c.path, c.headers);
        ASSERT_EQ(httplib::Error::Success, d.error);
        EXPECT_EQ(c.status, d.status);
        if (c.status / 100 == 2) {
            EXPECT_TRUE(c.body == d.body) << "body of " << d.body.size() << " bytes differs";
        }
        const httplib::Result head = client().Head(c.path, c.headers);
        ASSERT_TRUE(head);
        if (c.status == 200) {
            EXPECT_EQ(std::to_string(c.body.size()), head->get_header_value("Content-Length"));
        }
        EXPECT_EQ(c.disposition, head->get_header_value("Content-Disposition"));
        ASSERT_FALSE(service().Records().empty());
        EXPECT_EQ(0u, service().Records()[0].answer.rfind(c.answer, 0))
            << service().Records()[0].answer;
    }
}

TEST_F(DevServiceDownloadTest, FailsFirstAndDropsMidBody) {
    // One download: how it ended, its status when it got one, and the bytes
    // of the generated body it received.
    struct Outcome {
        httplib::Error error;
        int status;
        size_t bytes;
    };
    const httplib::Error kRead = httplib::Error::Read;
    const httplib::Error kDone = httplib::Error::Success;
    const struct {
        const char* scenario;
        const char* path;
        std::vector<Outcome> outcomes;
        const char* why;
    } cases[] = {
        {R"({"installer":{"size":300000,"failFirst":1,"failWith":"close"}})",
         "/files/TavoSetup.exe",
         {{kRead, 0, 0}, {kDone, 200, 300000}},
         "the first download closed before any byte"},
        {R"({"installer":{"size":300000,"dropAfter":70000}})",
         "/files/TavoSetup.exe",
         {{kRead, 0, 70000}, {kRead, 0, 70000}},
         "every download cut after 70000 bytes"},
        {R"({"installer":{"size":300000,"dropAfter":0}})",
         "/files/TavoSetup.exe",
         {{kRead, 0, 0}},
         "cut after the headers, before the first byte"},
        {R"({"installer":{"size":300000,"dropAfter":300000}})",
         "/files/TavoSetup.exe",
         {{kDone, 200, 300000}},
         "a cut at the end is no cut"},
        {R"({"config":{"failFirst":2}})",
         "/files/config.ini",
         {{kDone, 500, 0}, {kDone, 500, 0}, {kDone, 200, 0}},
         "config.ini answers 500 twice"},
    };
    Start();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        SetScenario(c.scenario);
        for (size_t i = 0; i < c.outcomes.size(); ++i) {
            SCOPED_TRACE("download " + std::to_string(i + 1));
            const Download d = Get(client(), c.path);
            EXPECT_EQ(c.outcomes[i].error, d.error);
            EXPECT_EQ(c.outcomes[i].status, d.status);
            if (c.outcomes[i].bytes != 0 || d.error != kDone) {
                EXPECT_EQ(c.outcomes[i].bytes, d.body.size());
                EXPECT_TRUE(Generated(0, d.body.size()) == d.body);
            }
        }
    }
}

TEST_F(DevServiceDownloadTest, ThrottlesThroughTheSleepSeam) {
    std::mutex mutex;
    std::vector<std::chrono::microseconds> sleeps;
    sleep_ = [&](std::chrono::microseconds d) {
        std::lock_guard<std::mutex> lock(mutex);
        sleeps.push_back(d);
    };
    const struct {
        uint64_t size;
        uint64_t rate;
        const char* framing;
        size_t pieces;
        std::chrono::microseconds total;
        const char* why;
    } cases[] = {
        {10000, 1000, "length", 100, std::chrono::seconds(10), "100-byte pieces, 0.1 s each"},
        {5000000, 1000000, "length", 77, std::chrono::seconds(5), "the demo's rate: 64 KiB pieces"},
        {7, 3, "length", 7, std::chrono::microseconds(2333333), "one byte at a time, rounded down"},
        {10000, 1000, "close", 100, std::chrono::seconds(10), "without a length, paced the same"},
        {10000, 1000, "chunked", 100, std::chrono::seconds(10), "in chunks, paced the same"},
    };
    Start();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        {
            std::lock_guard<std::mutex> lock(mutex);
            sleeps.clear();
        }
        SetScenario(R"({"installer":{"size":)" + std::to_string(c.size) + R"(,"rate":)" +
                    std::to_string(c.rate) + R"(,"framing":")" + c.framing + "\"}}");
        const Download d = Get(client(), "/files/TavoSetup.exe");
        ASSERT_EQ(httplib::Error::Success, d.error);
        EXPECT_TRUE(Generated(0, c.size) == d.body);
        std::lock_guard<std::mutex> lock(mutex);
        std::chrono::microseconds total{0};
        for (const auto& s : sleeps) {
            total += s;
        }
        EXPECT_EQ(c.pieces, sleeps.size());
        EXPECT_EQ(c.total, total);
    }
    EXPECT_EQ(1u, DevService::PieceSize(1));
    EXPECT_EQ(65536u, DevService::PieceSize(0));
    EXPECT_EQ(65536u, DevService::PieceSize(100000000));
}

TEST_F(DevServiceDownloadTest, StopEndsAThrottledDownload) {
    const struct {
        const char* scenario;
        bool clientCanTell;  // the client sees an error rather than a short body
        const char* why;
    } cases[] = {
        {R"({"installer":{"size":1000,"rate":1}})", true, "with a length"},
        {R"({"installer":{"size":1000,"rate":1,"framing":"chunked"}})", true, "chunked"},
        {R"({"installer":{"size":1000,"rate":1,"framing":"close"}})", false,
         "without a length the end looks like a whole body"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        Start();
        SetScenario(c.scenario);
        std::atomic<bool> done{false};
        Download d;
        std::thread downloader([&] {
            d = Get(client(), "/files/TavoSetup.exe");
            done = true;
        });
        while (service().Records().empty()) {
            std::this_thread::yield();
        }
        service().Stop();
        downloader.join();
        EXPECT_TRUE(done);
        EXPECT_EQ(c.clientCanTell, d.error != httplib::Error::Success);
        EXPECT_LT(d.body.size(), 1000u);
    }
}

}  // namespace
