#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "FakeMonotonicClock.h"
#include "IndicatorFeed.h"
#include "support/FakeClock.h"

namespace vesk {
namespace {

const std::string kStx12340 =
    "\x02+0123400"
    "1F\x03";
const std::string kStxBadChecksum =
    "\x02+0123400"
    "1E\x03";
const std::string kWordMoving =
    "\x02\x22\x28\x20"
    "012340000000\r";

class IndicatorFeedTest : public ::testing::Test {
  protected:
    IndicatorFeed makeFeed(Protocol protocol) {
        store_.portOpened();
        return IndicatorFeed({protocol, 1000, DecimalValue{}}, store_, clock_,
                             [this](const std::string& line) { log_.push_back(line); });
    }
    nlohmann::json reply() const { return nlohmann::json::parse(store_.reply().body); }

    test::FakeClock wall_;
    test::FakeMonotonicClock clock_;
    ReadingStore store_{wall_, clock_};
    std::vector<std::string> log_;
};

TEST_F(IndicatorFeedTest, LogsChangesOfStateNotFrames) {
    auto feed = makeFeed(Protocol::Stx);
    for (int i = 0; i < 20; ++i) {
        feed.onBytes(kStx12340);
        feed.onIdle();
        clock_.advance(100);
    }
    EXPECT_EQ(log_, std::vector<std::string>{"收到第一个读数：12340"});

    clock_.advance(3500);
    feed.onIdle();
    feed.onIdle();
    ASSERT_EQ(log_.size(), 2u);
    EXPECT_NE(log_[1].find("数据中断"), std::string::npos);

    for (int i = 0; i < 10; ++i) {
        feed.onBytes(kStxBadChecksum);
    }
    ASSERT_EQ(log_.size(), 3u);
    EXPECT_NE(log_[2].find("错误的数据帧"), std::string::npos);
    EXPECT_EQ(reply()["code"], ReadingStore::kNoValidFrame);

    feed.onBytes(kStx12340);
    feed.onBytes(kStx12340);
    ASSERT_EQ(log_.size(), 4u);
    EXPECT_EQ(log_[3], "读数恢复：12340");
    EXPECT_EQ(reply()["code"], 0);
}

TEST_F(IndicatorFeedTest, LogsALossOfDataDuringAnOverload) {
    auto feed = makeFeed(Protocol::AsciiLine);
    feed.onBytes("ST,GS,+0012.34kg\r\n");
    feed.onBytes("OL,GS,+9999.99kg\r\n");
    clock_.advance(3500);
    feed.onIdle();
    feed.onIdle();
    ASSERT_EQ(log_.size(), 3u);
    EXPECT_EQ(log_[1], "称重仪表超载(OL)");
    EXPECT_NE(log_[2].find("数据中断"), std::string::npos);
    EXPECT_EQ(reply()["code"], ReadingStore::kNoData);
}

TEST_F(IndicatorFeedTest, LogsTheDetectedProtocolOnce) {
    auto feed = makeFeed(Protocol::Auto);
    for (int i = 0; i < 5; ++i) {
        feed.onBytes(kStx12340);
    }
    EXPECT_EQ(log_, (std::vector<std::string>{"识别到称重仪表协议：stx", "收到第一个读数：12340"}));
    feed.restart();
    feed.onBytes(kStx12340 + kStx12340);
    EXPECT_EQ(log_.size(), 4u);
}

TEST_F(IndicatorFeedTest, JudgesStabilityByWindowWhenTheFrameHasNoFlag) {
    auto feed = makeFeed(Protocol::Stx);
    feed.onBytes(kStx12340);
    EXPECT_EQ(reply()["comm"]["stable"], false);
    clock_.advance(1000);
    feed.onBytes(kStx12340);
    EXPECT_EQ(reply()["comm"]["stable"], true);
}

TEST_F(IndicatorFeedTest, TrustsTheFramesMotionFlag) {
    auto feed = makeFeed(Protocol::StatusWord);
    for (int i = 0; i < 30; ++i) {
        feed.onBytes(kWordMoving);
        clock_.advance(100);
    }
    EXPECT_EQ(reply()["code"], 0);
    EXPECT_EQ(reply()["comm"]["stable"], false);
}

TEST_F(IndicatorFeedTest, SaysOnceWhenNoProtocolReadsTheBytes) {
    auto feed = makeFeed(Protocol::Auto);
    for (int i = 0; i < 50; ++i) {
        feed.onBytes("\x7f\x80garbage at the wrong baud rate\r\n");
        clock_.advance(100);
    }
    ASSERT_EQ(log_.size(), 1u);
    EXPECT_NE(log_[0].find("没有一种协议能够解读"), std::string::npos);
    EXPECT_EQ(reply()["code"], ReadingStore::kNoValidFrame);
}

TEST_F(IndicatorFeedTest, ServesNothingWhileTheProtocolIsUnsettled) {
    auto feed = makeFeed(Protocol::Auto);
    for (int i = 0; i < 5; ++i) {
        feed.onBytes("=04321000");
    }
    EXPECT_EQ(reply()["code"], ReadingStore::kProtocolUnsettled);
    EXPECT_EQ(log_.size(), 1u);
}

}  // namespace
}  // namespace vesk
