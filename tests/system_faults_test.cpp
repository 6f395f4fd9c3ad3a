// The in-memory fault queue.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "tests/support/testsupport.h"
#include "utils/system/faults.h"

namespace {

class FaultQueue : public ::testing::Test {
  protected:
    void SetUp() override { Utils::ClearPendingFaultsForTesting(); }
    void TearDown() override {
        Utils::ClearPendingFaultsForTesting();
        Utils::SetFaultSender(nullptr);
    }
};

std::vector<std::string> Ids(const std::vector<Utils::FaultInfo>& faults) {
    std::vector<std::string> ids;
    for (const Utils::FaultInfo& f : faults) {
        ids.push_back(f.strErrorId);
    }
    return ids;
}

TEST_F(FaultQueue, KeepsQueueingOrderAndEveryField) {
    Utils::ReportFault("services-2", 900, "Response empty", false);
    Utils::ReportFault("system-1", 900, "dwExitCode==-1", false);
    Utils::ReportFault("", 7, "", false);  // not validated: queued as given
    const std::vector<Utils::FaultInfo> faults = Utils::PendingFaults();
    ASSERT_EQ(3u, faults.size());
    EXPECT_EQ("services-2", faults[0].strErrorId);
    EXPECT_EQ("Response empty", faults[0].strContent);
    EXPECT_EQ(900, faults[0].nBugCode);
    EXPECT_EQ("system-1", faults[1].strErrorId);
    EXPECT_EQ("dwExitCode==-1", faults[1].strContent);
    EXPECT_EQ("", faults[2].strErrorId);
    EXPECT_EQ("", faults[2].strContent);
    EXPECT_EQ(7, faults[2].nBugCode);
}

TEST_F(FaultQueue, SnapshotDoesNotFollowLaterFaults) {
    Utils::ReportFault("http-1", 900, "a", false);
    const std::vector<Utils::FaultInfo> before = Utils::PendingFaults();
    Utils::ReportFault("http-2", 900, "b", false);
    EXPECT_EQ(std::vector<std::string>{"http-1"}, Ids(before));
    EXPECT_EQ((std::vector<std::string>{"http-1", "http-2"}), Ids(Utils::PendingFaults()));
}

std::vector<Utils::FaultInfo> g_sent;
void RecordSent(const Utils::FaultInfo& fault) {
    g_sent.push_back(fault);
}

TEST_F(FaultQueue, SendNowGoesToTheSenderAndNotIntoTheList) {
    TestSupport::LogCapture log;
    Utils::ReportFault("services-5", 900, "lost", true);  // no sender yet
    EXPECT_EQ(1u, log.Count("OUT:ERROR:")) << log.Text();

    g_sent.clear();
    Utils::SetFaultSender(&RecordSent);
    Utils::ReportFault("services-6", 900, "{}", true);
    ASSERT_EQ(1u, g_sent.size());
    EXPECT_EQ("services-6", g_sent[0].strErrorId);
    EXPECT_EQ("{}", g_sent[0].strContent);
    EXPECT_EQ(900, g_sent[0].nBugCode);
    EXPECT_TRUE(Utils::PendingFaults().empty());
}

TEST_F(FaultQueue, ConcurrentQueueingKeepsEveryRecordInEachThreadsOrder) {
    constexpr int kPerThread = 2000;
    auto queue = [](const std::string& prefix) {
        for (int i = 0; i < kPerThread; ++i) {
            Utils::ReportFault(prefix, i, prefix + std::to_string(i), false);
        }
    };
    std::thread worker(queue, "worker");
    std::thread window(queue, "window");
    // A reader walking the list meanwhile, as the exit sequence may.
    for (int i = 0; i < 50; ++i) {
        (void)Utils::PendingFaults();
    }
    worker.join();
    window.join();
    const std::vector<Utils::FaultInfo> faults = Utils::PendingFaults();
    ASSERT_EQ(2u * kPerThread, faults.size());
    int next[2] = {0, 0};
    for (const Utils::FaultInfo& f : faults) {
        const int who = f.strErrorId == "worker" ? 0 : 1;
        ASSERT_EQ(next[who], f.nBugCode) << f.strErrorId;
        ASSERT_EQ(f.strErrorId + std::to_string(next[who]), f.strContent);
        ++next[who];
    }
}

}  // namespace
