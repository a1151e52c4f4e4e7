#pragma once

#include <cstdint>
#include <string>

namespace vesk {

// What a reply with "code" 0 carries, as texts.
struct WeightReading {
    std::string value;
    std::string stable;
    std::string time;
};

// What a reply with any other "code" carries.
struct WeightFailure {
    std::string message;
    std::string commonCode;  // "-1": the service could not be reached at all
};

struct WeightReply {
    enum class Kind { Reading, Failure, Unreadable };
    Kind kind = Kind::Unreadable;
    WeightReading reading;
    WeightFailure failure;
    std::string error;  // why an unreadable reply could not be read
};

// Reads a reply of the weight client. A reply that is no JSON, or that has "code" 0 but no
// "comm" object, is unreadable.
WeightReply readWeightReply(const std::string& reply);

// "true" in any letter case.
bool isStableText(const std::string& stable);

// The panel colour of a reading: red when unstable; lime when stable and the three latest
// weight texts hold the same non-"0" weight as numbers; black otherwise.
std::uint32_t readingColour(bool stable, const std::string& weightNow,
                            const std::string& weightPrev, const std::string& weightPrev2);

// The weight endpoint of the service on the given host.
std::string weightUrl(const std::string& commHost);

// True when the service is this machine's own, so the poller may restart it.
bool isLocalCommHost(const std::string& commHost);

}  // namespace vesk
