#pragma once

#include "FrameParser.h"

namespace vesk {

// A text line: "ST"/"US"/"OL", ",", "GS"/"NT", ",", sign, the value with its '.', a unit,
// CR LF; for example "ST,GS,+0012.34kg\r\n". "ST" is stable, "US" in motion, "OL" overload
// (no reading).
class AsciiLineParser final : public FrameParser {
  public:
    std::string name() const override { return "ascii-line"; }

  protected:
    Scan scanAt(std::string_view bytes) override;
};

}  // namespace vesk
