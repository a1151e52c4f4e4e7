#include <gtest/gtest.h>

#include <string>

#include "weigh/JsonText.h"
#include "weigh/WeightReading.h"

namespace vesk {
namespace {

JsonValue object(const std::string& text) {
    return parseJsonText(text).value();
}

TEST(JsonText, WritesCompactlyAndEscapesSlashQuoteBackslashAndControls) {
    JsonValue value = JsonValue::object();
    value["code"] = -1;
    value["message"] = std::string("a\"b\\c/d\ne\rf\tg\x01h\x1Fi") + std::string(1, '\0');
    value["list"] = {1, true, nullptr, "称重"};
    EXPECT_EQ(writeJsonCompact(value),
              R"({"code":-1,"message":"a\"b\\c\/d\ne\rf\tg\u0001h\u001fi\u0000",)"
              R"("list":[1,true,null,"称重"]})");
}

TEST(JsonText, WrittenTextReadsBackToTheSameValue) {
    const JsonValue value =
        object(R"({"m":"line1\nline2\u0007 \/ \"q\"","n":{"v":12.5,"s":false}})");
    EXPECT_EQ(object(writeJsonCompact(value)), value);
}

TEST(JsonText, WritingOutAStringGivesItsOwnText) {
    EXPECT_EQ(writeJsonOut(JsonValue("a/b")), "a/b");
    EXPECT_EQ(writeJsonOut(object(R"({"a":"b/c"})")), R"({"a":"b\/c"})");
}

TEST(JsonText, ReadsTheFirstValueAndIgnoresWhatFollows) {
    EXPECT_EQ(object(R"(  {"code":3} {"code":4} tail)"), object(R"({"code":3})"));
    EXPECT_EQ(object("12 34"), JsonValue(12));
    for (const char* notJson : {"", "   ", "abc", "{", R"({"code":)", "\"open"})
        EXPECT_FALSE(parseJsonText(notJson).has_value()) << notJson;
}

// A runaway peer's wall of brackets must be refused, not recursed through when written out.
TEST(JsonText, RefusesNestingDeeperThanAnyReply) {
    const auto nested = [](int depth) {
        return "{\"code\":1,\"x\":" + std::string(depth, '[') + std::string(depth, ']') + "}";
    };
    EXPECT_TRUE(parseJsonText(nested(60)).has_value());
    std::string error;
    EXPECT_FALSE(parseJsonText(nested(500000), &error).has_value());
    EXPECT_NE(error.find("nested deeper"), std::string::npos) << error;
    // Brackets inside strings and after the first value do not count.
    EXPECT_TRUE(parseJsonText("{\"m\":\"" + std::string(1000, '[') + "\"}").has_value());
    EXPECT_EQ(object("{\"code\":2} " + nested(1000)), object(R"({"code":2})"));
}

TEST(JsonText, IntegerMembers) {
    const JsonValue reply =
        object(R"({"zero":0,"neg":-1,"big":12345678901,"float":2.9,"text":" 7 ","word":"x",)"
               R"("yes":true,"nothing":null,"obj":{"a":1},"huge":1e30})");
    const struct {
        const char* name;
        std::int64_t expected;
    } rows[] = {{"zero", 0}, {"neg", -1},   {"big", 12345678901}, {"float", 2},
                {"text", 7}, {"word", 0},   {"yes", 1},           {"nothing", 0},
                {"obj", 0},  {"absent", 0}, {"huge", 0}};
    for (const auto& row : rows)
        EXPECT_EQ(jsonIntMember(reply, row.name), row.expected) << row.name;
    EXPECT_EQ(jsonIntMember(JsonValue("code"), "code"), 0);
}

TEST(JsonText, TextMembersGiveTheJsonTextOfNonStrings) {
    const JsonValue reply =
        object(R"({"s":"a/b","t":true,"f":12.5,"i":12340,"n":null,"o":{"x":"/"},"a":[1,"2"]})");
    const struct {
        const char* name;
        const char* expected;
    } rows[] = {{"s", "a/b"}, {"t", "true"},          {"f", "12.5"},       {"i", "12340"},
                {"n", ""},    {"o", R"({"x":"\/"})"}, {"a", R"([1,"2"])"}, {"absent", ""}};
    for (const auto& row : rows)
        EXPECT_EQ(jsonTextMember(reply, row.name), row.expected) << row.name;
}

TEST(JsonText, ObjectMembersOnlyWhenTheyAreObjects) {
    const JsonValue reply = object(R"({"comm":{"value":1},"flat":5})");
    ASSERT_NE(jsonObjectMember(reply, "comm"), nullptr);
    EXPECT_EQ(jsonObjectMember(reply, "flat"), nullptr);
    EXPECT_EQ(jsonObjectMember(reply, "Comm"), nullptr);
}

TEST(WeightReplyReading, TellsReadingsFailuresAndUnreadableReplies) {
    const WeightReply reading =
        readWeightReply(R"({"comm":{"value":12.5,"stable":"TRUE","time":"08:05"}})");
    ASSERT_EQ(reading.kind, WeightReply::Kind::Reading);
    EXPECT_EQ(reading.reading.value, "12.5");
    EXPECT_EQ(reading.reading.stable, "TRUE");
    EXPECT_EQ(reading.reading.time, "08:05");

    const WeightReply failure = readWeightReply(R"({"code":2,"message":"busy"})");
    ASSERT_EQ(failure.kind, WeightReply::Kind::Failure);
    EXPECT_EQ(failure.failure.message, "busy");
    EXPECT_EQ(failure.failure.commonCode, "");

    for (const char* unreadable : {R"({"code":0})", R"({"code":0,"comm":5})", "oops"}) {
        const WeightReply reply = readWeightReply(unreadable);
        EXPECT_EQ(reply.kind, WeightReply::Kind::Unreadable) << unreadable;
        EXPECT_FALSE(reply.error.empty());
    }
}

TEST(WeightReplyReading, OnlyTheLocalServiceIsRestartedFromHere) {
    for (const char* host : {"127.0.0.1", "HTTP://127.0.0.1:44444", "http://127.0.0.1:44444/x"})
        EXPECT_TRUE(isLocalCommHost(host)) << host;
    for (const char* host : {"", "localhost", "192.168.1.20", "127.0.0.10", "http://127.0.0.1"})
        EXPECT_FALSE(isLocalCommHost(host)) << host;
    EXPECT_EQ(weightUrl("127.0.0.1"), "http://127.0.0.1:44444/getdata");
}

}  // namespace
}  // namespace vesk
