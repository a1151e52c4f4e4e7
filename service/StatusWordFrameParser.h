#pragma once

#include "FrameParser.h"

namespace vesk {

// The continuous status-word frame: STX, status words A, B and C, six weight digits, six tare
// digits, CR, and on some indicators a checksum byte (the two's complement of the low seven
// bits of the sum of all the bytes before it). Word A bits 0-2 place the decimal point, word
// B bit 1 marks a negative weight and bit 3 motion; leading zeros may come as blanks.
//
// Whether a checksum follows is learnt from the stream: the byte after CR is either the
// checksum or the next frame's STX. A checksum can itself be 0x02, so an 0x02 after CR is
// only settled by the byte after it (a status word is never 0x02, a STX is).
class StatusWordFrameParser final : public FrameParser {
  public:
    std::string name() const override { return "status-word"; }

  protected:
    Scan scanAt(std::string_view bytes) override;

  private:
    enum class Checksum { Unknown, Present, Absent };

    Scan withChecksum(std::string_view bytes, ParsedFrame frame);

    Checksum checksum_ = Checksum::Unknown;
};

}  // namespace vesk
