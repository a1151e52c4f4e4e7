#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "SerialSettings.h"

namespace vesk {

// An open serial port, as the reader sees it.
class SerialPort {
  public:
    struct ReadResult {
        std::size_t count = 0;  // zero: nothing came within the time-out
        bool failed = false;    // the port is gone or broken; close it and open it again
        std::string error;
    };

    virtual ~SerialPort() = default;

    // Waits up to timeoutMs for bytes and returns those that came.
    virtual ReadResult read(char* buffer, std::size_t capacity, int timeoutMs) = 0;
    // False once the device behind the port has disappeared (an unplugged USB adapter often
    // just falls silent instead of failing the read).
    virtual bool stillPresent() const = 0;
};

// Opens and configures the port: the settings' framing, no flow control, DTR and RTS held
// low (many indicators reset when DTR toggles). On failure returns nullptr and says why in
// `error`, naming the port.
std::unique_ptr<SerialPort> openSerialPort(const SerialSettings& settings, std::string& error);

}  // namespace vesk
