#pragma once

#include "FrameParser.h"

namespace vesk {

// 0x02, sign, six digits, one digit giving the decimals, two upper-case hex characters that
// are the XOR of the sign-to-decimals bytes, 0x03. The frame carries no motion flag.
class StxFrameParser final : public FrameParser {
  public:
    std::string name() const override { return "stx"; }

  protected:
    Scan scanAt(std::string_view bytes) override;
};

}  // namespace vesk
