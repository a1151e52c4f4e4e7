#pragma once

#include "FrameParser.h"

namespace vesk {

// '=' followed by eight characters of the displayed value, its '.' included, with the sign
// place ('0' positive, '-' negative) as the highest-order character. Most indicators send the
// eight characters lowest-order first (reversed); some send them in reading order (forward).
// No checksum and no motion flag.
class EqualsFrameParser final : public FrameParser {
  public:
    enum class Order { Reversed, Forward };

    explicit EqualsFrameParser(Order order) : order_(order) {}
    std::string name() const override;

  protected:
    Scan scanAt(std::string_view bytes) override;

  private:
    Order order_;
};

}  // namespace vesk
