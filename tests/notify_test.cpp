#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "services/message_queue.h"
#include "services/notify.h"

namespace {

class NotifyTest : public ::testing::Test {
  protected:
    void SetUp() override { SetMainWindow(&queue_); }
    void TearDown() override { SetMainWindow(nullptr); }

    QueuedMessage Next() {
        QueuedMessage m{0, 0};
        EXPECT_TRUE(queue_.TryTake(m));
        return m;
    }
    std::wstring NextText(uint32_t expected) {
        const QueuedMessage m = Next();
        EXPECT_EQ(expected, m.message);
        const auto text = TakeText(m.payload);
        return text ? *text : L"<null>";
    }

    MessageQueue queue_;
};

TEST_F(NotifyTest, StatusTexts) {
    const struct {
        std::wstring text;
        int32_t code;
        uint32_t message;
        std::wstring shown;
        const char* why;
    } cases[] = {
        {L"正在联网…", 0, kMsgStatusText, L"正在联网…", "code 0: the status line"},
        {L"", 0, kMsgStatusText, L"", "empty text and code 0 blanks the line"},
        {L"连接服务器失败", 1013, kMsgErrorText, L"连接服务器失败", "text and a code: error view"},
        {L"", 1002, kMsgErrorText, L"安装过程遇到错误 0x800003EA", "seven hex digits after 0x8"},
        {L"", -1, kMsgErrorText, L"安装过程遇到错误 0x8FFFFFFFF", "negative as unsigned 32-bit"},
        {L"", 0x2007, kMsgErrorText, L"安装过程遇到错误 0x80002007", "upper-case, zero-padded"},
    };
    for (const auto& c : cases) {
        NotifyStatus(c.text, c.code);
        EXPECT_EQ(c.shown, NextText(c.message)) << c.why;
    }
}

TEST_F(NotifyTest, ProgressAndBusyPayloads) {
    NotifyProgress(4, 1, 25);
    NotifyBusy();
    NotifyWorkerDone();
    QueuedMessage m = Next();
    ASSERT_EQ(kMsgProgress, m.message);
    const auto progress = TakeProgress(m.payload);
    ASSERT_TRUE(progress);
    EXPECT_EQ(4, progress->kind);
    EXPECT_EQ(1, progress->value);
    EXPECT_EQ(25, progress->percent);
    m = Next();
    ASSERT_EQ(kMsgBusy, m.message);
    const auto busy = TakeBusy(m.payload);
    ASSERT_TRUE(busy);
    EXPECT_TRUE(*busy);
    m = Next();
    EXPECT_EQ(kMsgWorkerDone, m.message);
    EXPECT_EQ(0, m.payload);
}

TEST(ProgressText, KindTable) {
    const struct {
        ProgressInfo info;
        std::wstring text;
    } cases[] = {
        {{1, 0, 0}, L"正在联网…"},
        {{2, 0, 0}, L"正在下载…"},
        {{3, 2, 10}, L"正在下载…，还需2小时"},
        {{4, 1, 25}, L"正在下载…，还需1分钟"},
        {{5, 59, 90}, L"正在下载…，还需59秒"},
        {{6, 0, 0}, L"下载完毕。"},
        {{7, 0, 0}, L"安装准备中…"},
        {{8, 0, 0}, L"正在安装…"},
        {{9, 0, 0}, L"安装完毕。"},
        {{0, 0, 0}, L""},
        {{10, 0, 0}, L""},
        {{-1, 5, 5}, L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.text, ProgressText(c.info)) << c.info.kind;
    }
}

TEST(Notify, WithoutWindowOrAfterARefusedPostThePayloadIsFreed) {
    // The sanitizer build reports a leak if a payload is dropped unfreed.
    SetMainWindow(nullptr);
    NotifyStatus(L"lost", 0);
    NotifyProgress(1, 0, 0);
    MessageQueue closed;
    closed.Close();
    SetMainWindow(&closed);
    NotifyError(L"refused");
    NotifyBusy();
    SetMainWindow(nullptr);
    QueuedMessage m{0, 0};
    EXPECT_FALSE(closed.TryTake(m));
}

TEST(WorkerMessageCookie, TellsTheWorkersMessagesFromOutsideOnes) {
    const uintptr_t cookie = WorkerMessageCookie();
    ASSERT_NE(0u, cookie) << "0 is what another process would post";
    EXPECT_EQ(cookie, WorkerMessageCookie()) << "one cookie for the whole process";
    const struct {
        uint32_t message;
        uintptr_t wParam;
        bool forged;
        const char* why;
    } cases[] = {
        {kMsgStatusText, cookie, false, "the worker's own message"},
        {kMsgStatusText, 0, true, "a status text without the cookie"},
        {kMsgWorkerDone, cookie + 1, true, "a final message with another number"},
        {kMsgBusy, 0, true, "the last worker message"},
        {kMsgStopRequest, 0, false, "1129 is meant to come from outside"},
        {kMsgWorkerDone - 1, 0, false, "not a worker message"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.forged, IsForgedWorkerMessage(c.message, c.wParam)) << c.why;
    }
}

TEST(MessageQueue, KeepsPostingOrderAcrossThreads) {
    MessageQueue queue;
    SetMainWindow(&queue);
    std::thread worker([] {
        for (int i = 0; i < 100; ++i) {
            NotifyProgress(1, i, 0);
        }
        NotifyWorkerDone();
    });
    int expected = 0;
    for (;;) {
        QueuedMessage m{0, 0};
        ASSERT_TRUE(queue.Take(m, std::chrono::seconds(10)));
        if (m.message == kMsgWorkerDone) {
            break;
        }
        const auto p = TakeProgress(m.payload);
        EXPECT_EQ(expected++, p->value);
    }
    worker.join();
    SetMainWindow(nullptr);
    EXPECT_EQ(100, expected);
}

TEST(MessageQueue, FreesUntakenPayloadsWhenDestroyed) {
    // The sanitizer build reports a leak if the queue drops them unfreed.
    MessageQueue queue;
    EXPECT_TRUE(queue.Post(kMsgStatusText, reinterpret_cast<intptr_t>(new std::wstring(L"x"))));
    EXPECT_TRUE(queue.Post(kMsgProgress, reinterpret_cast<intptr_t>(new ProgressInfo{3, 1, 1})))
        << "the queue owns what it accepted";
}

}  // namespace
