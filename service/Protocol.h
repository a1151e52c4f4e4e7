#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "FrameParser.h"

namespace vesk {

enum class Protocol { Auto, Stx, Equals, EqualsForward, StatusWord, AsciiLine, Simulator };

// The settings' names: "auto", "stx", "equals", "equals-forward", "status-word",
// "ascii-line", "simulator" (letter case ignored).
std::optional<Protocol> protocolFromName(std::string_view name);
std::string protocolName(Protocol protocol);

// A fresh parser for a serial protocol (not the simulator).
std::unique_ptr<FrameParser> makeFrameParser(Protocol protocol);

}  // namespace vesk
