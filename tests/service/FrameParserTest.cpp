#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "AutoDetectParser.h"
#include "Protocol.h"

namespace vesk {
namespace {

// What one frame should come out as: "OL" for an overload, "BAD" for a rejected frame,
// otherwise the value as the reply writes it.
struct Expected {
    std::string value;
    std::optional<bool> stable = std::nullopt;
};

struct Case {
    const char* name;
    std::vector<std::string> chunks;  // the reads, in order, as the port hands them over
    std::vector<Expected> frames;
};

std::string describe(const ParsedFrame& frame) {
    switch (frame.kind) {
        case ParsedFrame::Kind::Overload:
            return "OL";
        case ParsedFrame::Kind::Bad:
            return "BAD";
        case ParsedFrame::Kind::Weight:
            break;
    }
    return frame.value.toJsonNumber();
}

void runCases(Protocol protocol, const std::vector<Case>& cases) {
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        auto parser = makeFrameParser(protocol);
        std::vector<ParsedFrame> frames;
        for (const auto& chunk : testCase.chunks) {
            for (auto& frame : parser->feed(chunk)) {
                frames.push_back(frame);
            }
        }
        ASSERT_EQ(frames.size(), testCase.frames.size());
        for (std::size_t i = 0; i < frames.size(); ++i) {
            EXPECT_EQ(describe(frames[i]), testCase.frames[i].value) << "frame " << i;
            EXPECT_EQ(frames[i].stable, testCase.frames[i].stable) << "frame " << i;
        }
    }
}

std::string bytes(std::initializer_list<int> values) {
    std::string text;
    for (const int value : values) {
        text += static_cast<char>(value);
    }
    return text;
}

const std::string kStx12340 =
    "\x02+0123400"
    "1F\x03";
const std::string kStx1234Dec2 =
    "\x02+0012342"
    "1D\x03";

TEST(StxFrameParser, ReadsFramesByteForByte) {
    runCases(Protocol::Stx,
             {
                 {"whole number", {kStx12340}, {{"12340"}}},
                 {"two decimals", {kStx1234Dec2}, {{"12.34"}}},
                 {"three decimals",
                  {"\x02+0012343"
                   "1C\x03"},
                  {{"1.234"}}},
                 {"four decimals",
                  {"\x02+0012344"
                   "1B\x03"},
                  {{"0.1234"}}},
                 {"negative with one decimal",
                  {"\x02-0000501"
                   "19\x03"},
                  {{"-5.0"}}},
                 {"negative whole number",
                  {"\x02-0123400"
                   "19\x03"},
                  {{"-12340"}}},
                 {"zero",
                  {"\x02+0000000"
                   "1B\x03"},
                  {{"0"}}},
                 {"bad checksum",
                  {"\x02+0123400"
                   "1E\x03"},
                  {{"BAD"}}},
                 {"lower-case checksum",
                  {"\x02+0123400"
                   "1f\x03"},
                  {{"BAD"}}},
                 {"split across reads",
                  {"\x02+01", "2340",
                   "0"
                   "1",
                   "F\x03"},
                  {{"12340"}}},
                 {"two in one read", {kStx12340 + kStx1234Dec2}, {{"12340"}, {"12.34"}}},
                 {"starts mid-frame",
                  {"2340"
                   "1F\x03" +
                   kStx1234Dec2},
                  {{"12.34"}}},
                 {"noise between frames",
                  {kStx12340 + "\xff\r\n??" + kStx12340},
                  {{"12340"}, {"12340"}}},
                 {"cut-off frame then a whole one", {"\x02+0012" + kStx1234Dec2}, {{"12.34"}}},
             });
}

TEST(EqualsFrameParser, ReadsReversedFrames) {
    runCases(Protocol::Equals,
             {
                 {"whole number", {"=04321000"}, {{"12340"}}},
                 {"one decimal", {"=5.432100"}, {{"1234.5"}}},
                 {"two decimals", {"=43.21000"}, {{"12.34"}}},
                 {"three decimals", {"=432.1000"}, {{"1.234"}}},
                 {"four decimals", {"=4321.000"}, {{"0.1234"}}},
                 {"negative", {"=05.0000-"}, {{"-0.50"}}},
                 {"zero", {"=00000000"}, {{"0"}}},
                 {"not a number", {"=0A321000"}, {{"BAD"}}},
                 {"split across reads", {"=043", "21", "000"}, {{"12340"}}},
                 {"two in one read", {"=04321000=43.21000"}, {{"12340"}, {"12.34"}}},
                 {"starts mid-frame", {"21000=43.21000"}, {{"12.34"}}},
                 {"cut-off frame then a whole one", {"=0432=43.21000"}, {{"12.34"}}},
                 {"noise between frames", {"=04321000\r\n=04321000"}, {{"12340"}, {"12340"}}},
             });
}

TEST(EqualsFrameParser, ReadsForwardFrames) {
    runCases(Protocol::EqualsForward,
             {
                 {"whole number", {"=00012340"}, {{"12340"}}},
                 {"two decimals", {"=00012.34"}, {{"12.34"}}},
                 {"negative", {"=-0012.34"}, {{"-12.34"}}},
                 {"sign place must be 0 or -", {"=12345678"}, {{"BAD"}}},
                 {"two in one read", {"=00012340=00000.50"}, {{"12340"}, {"0.50"}}},
             });
}

// Word A 0x22: whole number; 0x23: one decimal; 0x26: four decimals; 0x21: one fixed zero.
// Word B 0x22: negative; 0x28: in motion.
const std::string kWord12340 =
    "\x02\x22\x20\x20"
    "012340000000\r";
const std::string kWordNegative =
    "\x02\x23\x22\x20"
    "  1234000000\r";
const std::string kWordMoving =
    "\x02\x22\x28\x20"
    "012340000000\r";

TEST(StatusWordFrameParser, ReadsFramesWithoutChecksum) {
    runCases(Protocol::StatusWord,
             {
                 // The byte after CR settles whether a checksum follows, so each case
                 // ends with the next frame's start.
                 {"whole number", {kWord12340 + "\x02\x22"}, {{"12340", true}}},
                 {"blanks for leading zeros, negative, one decimal",
                  {kWordNegative + "\x02\x22"},
                  {{"-123.4", true}}},
                 {"motion", {kWordMoving + "\x02\x22"}, {{"12340", false}}},
                 {"four decimals",
                  {"\x02\x26\x20\x20"
                   "123456000000\r"
                   "\x02\x22"},
                  {{"12.3456", true}}},
                 {"fixed trailing zero",
                  {"\x02\x21\x20\x20"
                   "001234000000\r"
                   "\x02\x22"},
                  {{"12340", true}}},
                 {"split across reads, then no wait once learnt",
                  {"\x02\x22\x20",
                   "\x20"
                   "0123",
                   "40000000\r", kWord12340 + kWordMoving},
                  {{"12340", true}, {"12340", true}, {"12340", false}}},
                 {"starts mid-frame", {"40000000\r" + kWord12340 + "\x02\x22"}, {{"12340", true}}},
             });
}

TEST(StatusWordFrameParser, ChecksTheChecksumWhenPresent) {
    runCases(
        Protocol::StatusWord,
        {
            {"good checksums",
             {kWord12340 + "E" + kWordNegative + "b" + kWordMoving + "="},
             {{"12340", true}, {"-123.4", true}, {"12340", false}}},
            {"bad checksum", {kWord12340 + "E" + kWord12340 + "F"}, {{"12340", true}, {"BAD"}}},
            {"noise between frames",
             {kWord12340 + "E" + "\r\n\xff" + kWordMoving + "="},
             {{"12340", true}, {"12340", false}}},
        });
}

TEST(StatusWordFrameParser, TellsAChecksumOf0x02FromTheNextFrame) {
    // STX + A B C + digits + CR sums to 0x7E in its low seven bits: the checksum is 0x02.
    const std::string frame = bytes({0x02, 0x22, 0x20, 0x20}) + "999999000599\r";
    runCases(Protocol::StatusWord, {{"checksum 0x02",
                                     {frame + "\x02" + frame + "\x02" + "\x02"},
                                     {{"999999", true}, {"999999", true}}}});
}

TEST(AsciiLineParser, ReadsLines) {
    runCases(
        Protocol::AsciiLine,
        {
            {"stable gross", {"ST,GS,+0012.34kg\r\n"}, {{"12.34", true}}},
            {"unstable net", {"US,NT,-0001.5kg\r\n"}, {{"-1.5", false}}},
            {"whole number", {"ST,GS,+012340kg\r\n"}, {{"12340", true}}},
            {"four decimals, unit after a blank", {"ST,GS,+0.1234 t\r\n"}, {{"0.1234", true}}},
            {"overload", {"OL,GS,+9999.99kg\r\n"}, {{"OL"}}},
            {"no unit", {"ST,GS,+0012.34\r\n"}, {{"BAD"}}},
            {"unknown weight kind", {"ST,XX,+0012.34kg\r\n"}, {{"BAD"}}},
            {"split across reads", {"S", "T,GS,+00", "12.34kg\r", "\n"}, {{"12.34", true}}},
            {"two in one read",
             {"ST,GS,+0012.34kg\r\nUS,GS,+0012.36kg\r\n"},
             {{"12.34", true}, {"12.36", false}}},
            {"starts mid-line", {"12.34kg\r\nST,GS,+0012.34kg\r\n"}, {{"12.34", true}}},
            {"cut-off line then a whole one", {"ST,GS,+00ST,GS,+0012.34kg\r\n"}, {{"12.34", true}}},
            {"noise between lines",
             {"ST,GS,+1.00kg\r\n\x01\xfe\nST,GS,+2.00kg\r\n"},
             {{"1.00", true}, {"2.00", true}}},
        });
}

struct DetectCase {
    const char* name;
    std::string stream;
    const char* protocol;
};

TEST(AutoDetectParser, PicksTheProtocolTheStreamSpeaks) {
    const std::vector<DetectCase> cases{
        {"stx", kStx12340 + kStx1234Dec2 + kStx12340, "stx"},
        {"status word", kWord12340 + "E" + kWord12340 + "E" + kWord12340 + "E", "status-word"},
        {"ascii line", "ST,GS,+0012.34kg\r\nST,GS,+0012.34kg\r\n", "ascii-line"},
        {"reversed equals", "=54321000=54321000=54321000", "equals"},
        {"forward equals", "=00012345=00012345", "equals-forward"},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        AutoDetectParser parser;
        std::vector<ParsedFrame> frames;
        for (const char byte : testCase.stream) {
            for (auto& frame : parser.feed(std::string(1, byte))) {
                frames.push_back(frame);
            }
        }
        ASSERT_NE(parser.detected(), nullptr);
        EXPECT_EQ(parser.detected()->name(), testCase.protocol);
        EXPECT_FALSE(frames.empty());
    }
}

TEST(AutoDetectParser, OneStrayFrameOfAnotherProtocolDoesNotHoldDetectionUp) {
    AutoDetectParser parser;
    std::string stream = kStx12340;
    for (int i = 0; i < 8; ++i)
        stream += "ST,GS,+0012.34kg\r\n";
    for (const char byte : stream)
        parser.feed(std::string(1, byte));
    ASSERT_NE(parser.detected(), nullptr);
    EXPECT_EQ(parser.detected()->name(), "ascii-line");
}

TEST(AutoDetectParser, WaitsWhileTheStreamReadsTwoWays) {
    AutoDetectParser parser;
    // 12340 sent reversed reads as 4321000 forward: neither may win on these.
    EXPECT_TRUE(parser.feed("=04321000=04321000=04321000=00000000").empty());
    EXPECT_EQ(parser.detected(), nullptr);
    EXPECT_TRUE(parser.ambiguous());
    // A last digit other than 0 cannot be a forward frame's sign place.
    const auto frames = parser.feed("=54321000=54321000");
    ASSERT_NE(parser.detected(), nullptr);
    EXPECT_EQ(parser.detected()->name(), "equals");
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.back().value.toJsonNumber(), "12345");
    EXPECT_EQ(parser.feed("=04321000").at(0).value.toJsonNumber(), "12340");
}

}  // namespace
}  // namespace vesk
