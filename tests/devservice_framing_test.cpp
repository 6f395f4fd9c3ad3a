// Bodies without a Content-Length: ended by closing the connection, or in
// chunks; cut short after a number of bytes, and, for chunks, with a broken
// end that the HTTP library's own reader takes for a whole body.
#include <string>

#include "tests/devservice_fixture.h"

namespace {

using DevServiceFramingTest = DevServiceTest;

TEST_F(DevServiceFramingTest, FramesBodiesWithoutALength) {
    Start();
    const struct {
        const char* members;
        bool chunked;
        size_t bytes;     // of the body that arrives
        const char* end;  // chunked: what follows the last data
        const char* summary;
        const char* why;
    } cases[] = {
        {R"("framing":"close")", false, 300000, "", "200 300000 bytes, no length",
         "ends with the connection"},
        {R"("framing":"close","dropAfter":70000)", false, 70000, "",
         "200 300000 bytes, no length, drop after 70000", "cut: nothing tells"},
        {R"("framing":"chunked")", true, 300000, "\r\n0\r\n\r\n", "200 300000 bytes, chunked",
         "chunks and the last chunk"},
        {R"("framing":"chunked","dropAfter":70000)", true, 70000, "--\r\n",
         "200 300000 bytes, chunked, drop after 70000", "chunks, then a broken end"},
        {R"("framing":"chunked","dropAfter":0)", true, 0, "--\r\n",
         "200 300000 bytes, chunked, drop after 0", "a broken end at once"},
    };
    for (const auto& c : cases) {
        SetScenario(std::string(R"({"installer":{"size":300000,)") + c.members + "}}");
        // A range is asked for: these framings always send the whole body.
        const RawAnswer answer = ParseRawAnswer(
            RawExchange("GET /files/TavoSetup.exe HTTP/1.1\r\nHost: x\r\nRange: bytes=10-\r\n\r\n"),
            c.chunked);
        EXPECT_EQ(0u, answer.head.rfind("HTTP/1.1 200 ", 0)) << c.why << "\n" << answer.head;
        EXPECT_FALSE(HasHeader(answer.head, "Content-Length")) << c.why;
        EXPECT_EQ(c.chunked, HasHeader(answer.head, "Transfer-Encoding")) << c.why;
        EXPECT_TRUE(answer.body == Generated(0, c.bytes)) << c.why << ": " << answer.body.size();
        EXPECT_EQ(c.end, answer.end) << c.why;
        EXPECT_EQ(c.summary, service().Records().back().answer) << c.why;
    }
}

TEST_F(DevServiceFramingTest, TheLibrarysReaderTakesABrokenChunkedEndForAWholeBody) {
    Start();
    SetScenario(R"({"installer":{"size":300000,"framing":"chunked","dropAfter":70000}})");
    const Download d = Get(client(), "/files/TavoSetup.exe");
    EXPECT_EQ(httplib::Error::Success, d.error);
    EXPECT_EQ(200, d.status);
    EXPECT_EQ(70000u, d.body.size()) << "what the installer's own check must catch";
}

TEST_F(DevServiceFramingTest, HeadGetsTheHeadersOnly) {
    Start();
    SetScenario(R"({"installer":{"size":300000,"framing":"close"}})");
    const RawAnswer answer =
        ParseRawAnswer(RawExchange("HEAD /files/TavoSetup.exe HTTP/1.1\r\nHost: x\r\n\r\n"), false);
    EXPECT_EQ(0u, answer.head.rfind("HTTP/1.1 200 ", 0)) << answer.head;
    EXPECT_EQ("", answer.body);
}

}  // namespace
