#include "weigh/ServiceCandidates.h"

#include "platform/FileSystem.h"

namespace vesk {

std::optional<ServiceCandidate> supervisedProgram(const std::vector<ServiceCandidate>& candidates) {
    for (const ServiceCandidate& candidate : candidates) {
        if (fileExists(candidate.path))
            return candidate;
    }
    return std::nullopt;
}

QuietTick nextQuietTick(int count) {
    constexpr int kWrap = 1200;
    constexpr int kNoteEvery = 120;
    const int next = (count < 0 || count >= kWrap - 1) ? 0 : count + 1;
    return {next, next % kNoteEvery == 0};
}

}  // namespace vesk
