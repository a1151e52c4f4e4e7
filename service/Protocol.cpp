#include "Protocol.h"

#include <array>
#include <utility>

#include "AsciiLineParser.h"
#include "AutoDetectParser.h"
#include "EqualsFrameParser.h"
#include "StatusWordFrameParser.h"
#include "StxFrameParser.h"
#include "platform/Text.h"

namespace vesk {
namespace {

constexpr std::array<std::pair<Protocol, std::string_view>, 7> kNames{{
    {Protocol::Auto, "auto"},
    {Protocol::Stx, "stx"},
    {Protocol::Equals, "equals"},
    {Protocol::EqualsForward, "equals-forward"},
    {Protocol::StatusWord, "status-word"},
    {Protocol::AsciiLine, "ascii-line"},
    {Protocol::Simulator, "simulator"},
}};

}  // namespace

std::optional<Protocol> protocolFromName(std::string_view name) {
    for (const auto& [protocol, text] : kNames) {
        if (equalsIgnoreAsciiCase(name, text)) {
            return protocol;
        }
    }
    return std::nullopt;
}

std::string protocolName(Protocol protocol) {
    for (const auto& [candidate, text] : kNames) {
        if (candidate == protocol) {
            return std::string(text);
        }
    }
    return "auto";
}

std::unique_ptr<FrameParser> makeFrameParser(Protocol protocol) {
    switch (protocol) {
        case Protocol::Stx:
            return std::make_unique<StxFrameParser>();
        case Protocol::Equals:
            return std::make_unique<EqualsFrameParser>(EqualsFrameParser::Order::Reversed);
        case Protocol::EqualsForward:
            return std::make_unique<EqualsFrameParser>(EqualsFrameParser::Order::Forward);
        case Protocol::StatusWord:
            return std::make_unique<StatusWordFrameParser>();
        case Protocol::AsciiLine:
            return std::make_unique<AsciiLineParser>();
        case Protocol::Auto:
        case Protocol::Simulator:
            break;
    }
    return std::make_unique<AutoDetectParser>();
}

}  // namespace vesk
