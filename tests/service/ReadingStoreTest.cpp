#include <gtest/gtest.h>

#include <functional>
#include <nlohmann/json.hpp>

#include "FakeMonotonicClock.h"
#include "ReadingStore.h"
#include "support/FakeClock.h"

namespace vesk {
namespace {

class ReadingStoreTest : public ::testing::Test {
  protected:
    test::FakeClock wall_;
    test::FakeMonotonicClock clock_;
    ReadingStore store_{wall_, clock_};
};

TEST_F(ReadingStoreTest, ServesAFreshReadingWithTheIndicatorsDigits) {
    store_.portOpened();
    store_.recordReading(DecimalValue{1234, 2}, true);
    const auto reply = store_.reply();
    EXPECT_EQ(reply.code, 0);
    EXPECT_EQ(reply.body,
              R"({"code":0,"comm":{"value":12.34,"stable":true,"time":"2024-09-14 08:05:03"}})");
    store_.recordReading(DecimalValue{-50, 2}, false);
    EXPECT_EQ(nlohmann::json::parse(store_.reply().body)["comm"]["value"].dump(), "-0.5");
    EXPECT_NE(store_.reply().body.find(R"("value":-0.50,"stable":false)"), std::string::npos);
}

TEST_F(ReadingStoreTest, SaysWhyThereIsNoReading) {
    const struct {
        const char* name;
        std::function<void(ReadingStore&, test::FakeMonotonicClock&)> events;
        int code;
    } cases[] = {
        {"never opened", [](auto&, auto&) {}, ReadingStore::kPortNotOpen},
        {"opened, silent", [](auto& s, auto&) { s.portOpened(); }, ReadingStore::kNoData},
        {"reading just within 3 s",
         [](auto& s, auto& c) {
             s.portOpened();
             s.recordReading({1, 0}, true);
             c.advance(3000);
         },
         ReadingStore::kReading},
        {"reading older than 3 s",
         [](auto& s, auto& c) {
             s.portOpened();
             s.recordReading({1, 0}, true);
             c.advance(3001);
         },
         ReadingStore::kNoData},
        {"bytes but no valid frame",
         [](auto& s, auto& c) {
             s.portOpened();
             s.recordReading({1, 0}, true);
             c.advance(5000);
             s.bytesArrived();
         },
         ReadingStore::kNoValidFrame},
        {"overload after a reading",
         [](auto& s, auto& c) {
             s.portOpened();
             s.recordReading({1, 0}, true);
             c.advance(100);
             s.recordOverload();
         },
         ReadingStore::kOverload},
        {"reading after an overload",
         [](auto& s, auto& c) {
             s.portOpened();
             s.recordOverload();
             c.advance(100);
             s.recordReading({1, 0}, true);
         },
         ReadingStore::kReading},
        {"protocol unsettled",
         [](auto& s, auto&) {
             s.portOpened();
             s.bytesArrived();
             s.recordUnsettledProtocol();
         },
         ReadingStore::kProtocolUnsettled},
        {"port lost right after a reading",
         [](auto& s, auto&) {
             s.portOpened();
             s.recordReading({1, 0}, true);
             s.portClosed("串口COM3已断开");
         },
         ReadingStore::kPortNotOpen},
        {"reopened port forgets the old reading",
         [](auto& s, auto&) {
             s.portOpened();
             s.recordReading({1, 0}, true);
             s.portClosed("lost");
             s.portOpened();
         },
         ReadingStore::kNoData},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::FakeMonotonicClock clock;
        ReadingStore store(wall_, clock);
        c.events(store, clock);
        const auto reply = store.reply();
        EXPECT_EQ(reply.code, c.code);
        const auto body = nlohmann::json::parse(reply.body);
        EXPECT_EQ(body["code"], c.code);
        if (c.code != 0) {
            EXPECT_FALSE(body.contains("_COMMON_CODE_"));
            EXPECT_FALSE(body.contains("comm"));
            ASSERT_TRUE(body["message"].is_string());
            EXPECT_FALSE(body["message"].get<std::string>().empty());
        }
    }
}

TEST_F(ReadingStoreTest, ANotOpenReplyCarriesTheReason) {
    store_.portClosed("串口COM3打开失败：拒绝访问");
    const auto body = nlohmann::json::parse(store_.reply().body);
    EXPECT_EQ(body["message"], "串口未打开：串口COM3打开失败：拒绝访问");
}

// A port name typed into a GBK ini file, or a Windows error text, is not UTF-8.
TEST_F(ReadingStoreTest, AReasonThatIsNotUtf8StillGivesAJsonReply) {
    store_.portClosed("\xB4\xAE\xBF\xDA COM3");
    const auto reply = store_.reply();
    EXPECT_EQ(reply.code, ReadingStore::kPortNotOpen);
    const auto body = nlohmann::json::parse(reply.body);
    EXPECT_EQ(body["code"], ReadingStore::kPortNotOpen);
    EXPECT_NE(body["message"].get<std::string>().find("COM3"), std::string::npos);
}

}  // namespace
}  // namespace vesk
