#pragma once

#include <string>

namespace vesk {

enum class Parity { None, Odd, Even, Mark, Space };

// How to open the indicator's port. An empty name means no indicator is wired.
struct SerialSettings {
    std::string portName;
    int baudRate = 9600;
    int dataBits = 8;
    Parity parity = Parity::None;
    int stopBits = 1;
};

}  // namespace vesk
