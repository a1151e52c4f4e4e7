#pragma once

#include <memory>
#include <vector>

#include "FrameParser.h"

namespace vesk {

// Runs every protocol over the same bytes and hands over to the first that proves itself.
// A protocol proves itself with two valid frames in a row while every other protocol's latest
// frame is bad or it has none. Some streams read validly both ways (an '=' frame of 12340
// reversed is 4321000 forward); such a stream settles nothing, because a wrong pick would
// serve a wrong weight. Until one protocol wins no frame is handed on. A protocol that falls
// silent while another keeps reading valid frames loses its streak, so one stray frame that
// happened to pass its checks cannot hold the detection up for good.
class AutoDetectParser final : public FrameParser {
  public:
    AutoDetectParser();
    explicit AutoDetectParser(std::vector<std::unique_ptr<FrameParser>> candidates);

    std::string name() const override { return "auto"; }
    std::vector<ParsedFrame> feed(std::string_view bytes) override;

    // The protocol that won, or nullptr while still looking.
    const FrameParser* detected() const { return winner_; }
    // True while two protocols both read the stream validly.
    bool ambiguous() const;

  protected:
    Scan scanAt(std::string_view) override { return Scan::notAFrame(); }

  private:
    struct Candidate {
        std::unique_ptr<FrameParser> parser;
        int validInARow = 0;
        int othersValidSinceOwnFrame = 0;
    };

    void tally(Candidate& candidate, const std::vector<ParsedFrame>& frames);
    bool provesItself(const Candidate& candidate) const;
    void forgetSilentStreaks(const std::vector<std::vector<ParsedFrame>>& results);

    static constexpr int kFramesToWin = 2;
    static constexpr int kSilentFramesToForget = 4;
    std::vector<Candidate> candidates_;
    FrameParser* winner_ = nullptr;
};

}  // namespace vesk
