#include "AutoDetectParser.h"

#include "AsciiLineParser.h"
#include "EqualsFrameParser.h"
#include "StatusWordFrameParser.h"
#include "StxFrameParser.h"

namespace vesk {
namespace {

std::vector<std::unique_ptr<FrameParser>> everyProtocol() {
    std::vector<std::unique_ptr<FrameParser>> parsers;
    parsers.push_back(std::make_unique<StxFrameParser>());
    parsers.push_back(std::make_unique<StatusWordFrameParser>());
    parsers.push_back(std::make_unique<AsciiLineParser>());
    parsers.push_back(std::make_unique<EqualsFrameParser>(EqualsFrameParser::Order::Reversed));
    parsers.push_back(std::make_unique<EqualsFrameParser>(EqualsFrameParser::Order::Forward));
    return parsers;
}

}  // namespace

AutoDetectParser::AutoDetectParser() : AutoDetectParser(everyProtocol()) {}

AutoDetectParser::AutoDetectParser(std::vector<std::unique_ptr<FrameParser>> candidates) {
    for (auto& parser : candidates) {
        candidates_.push_back({std::move(parser), 0, 0});
    }
}

std::vector<ParsedFrame> AutoDetectParser::feed(std::string_view bytes) {
    if (winner_ != nullptr) {
        return winner_->feed(bytes);
    }
    std::vector<std::vector<ParsedFrame>> results;
    for (auto& candidate : candidates_) {
        results.push_back(candidate.parser->feed(bytes));
        tally(candidate, results.back());
    }
    forgetSilentStreaks(results);
    for (std::size_t i = 0; i < candidates_.size(); ++i) {
        if (provesItself(candidates_[i])) {
            winner_ = candidates_[i].parser.get();
            return std::move(results[i]);
        }
    }
    return {};
}

bool AutoDetectParser::ambiguous() const {
    int reading = 0;
    for (const auto& candidate : candidates_) {
        reading += candidate.validInARow > 0 ? 1 : 0;
    }
    return winner_ == nullptr && reading > 1;
}

void AutoDetectParser::tally(Candidate& candidate, const std::vector<ParsedFrame>& frames) {
    for (const auto& frame : frames) {
        candidate.validInARow =
            frame.kind == ParsedFrame::Kind::Bad ? 0 : candidate.validInARow + 1;
    }
}

void AutoDetectParser::forgetSilentStreaks(const std::vector<std::vector<ParsedFrame>>& results) {
    int validFrames = 0;
    for (const auto& frames : results) {
        for (const auto& frame : frames) {
            validFrames += frame.kind == ParsedFrame::Kind::Bad ? 0 : 1;
        }
    }
    for (std::size_t i = 0; i < candidates_.size(); ++i) {
        Candidate& candidate = candidates_[i];
        if (!results[i].empty()) {
            candidate.othersValidSinceOwnFrame = 0;
            continue;
        }
        candidate.othersValidSinceOwnFrame += validFrames;
        if (candidate.othersValidSinceOwnFrame >= kSilentFramesToForget)
            candidate.validInARow = 0;
    }
}

bool AutoDetectParser::provesItself(const Candidate& candidate) const {
    if (candidate.validInARow < kFramesToWin) {
        return false;
    }
    for (const auto& other : candidates_) {
        if (&other != &candidate && other.validInARow > 0) {
            return false;
        }
    }
    return true;
}

}  // namespace vesk
