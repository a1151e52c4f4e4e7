#pragma once

#include <optional>
#include <string>

#include "DecimalValue.h"

namespace vesk {

// One complete frame cut from the indicator's byte stream.
struct ParsedFrame {
    enum class Kind {
        Weight,    // a reading
        Overload,  // the indicator says it has no reading (over capacity)
        Bad,       // a frame in the right shape whose checksum or content is wrong
    };

    Kind kind = Kind::Weight;
    DecimalValue value;
    // The frame's own motion flag; empty when the protocol has none.
    std::optional<bool> stable;
    // Why a Bad frame was rejected, for the log.
    std::string problem;

    static ParsedFrame weight(DecimalValue value, std::optional<bool> stable = std::nullopt) {
        return {Kind::Weight, value, stable, {}};
    }
    static ParsedFrame overload() { return {Kind::Overload, {}, std::nullopt, {}}; }
    static ParsedFrame bad(std::string problem) {
        return {Kind::Bad, {}, std::nullopt, std::move(problem)};
    }
};

}  // namespace vesk
