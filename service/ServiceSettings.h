#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "DecimalValue.h"
#include "Protocol.h"
#include "SerialSettings.h"

namespace vesk {

struct ServiceSettings {
    static constexpr int kDefaultHttpPort = 44444;

    SerialSettings serial;
    Protocol protocol = Protocol::Auto;
    std::int64_t stableWindowMs = 1000;
    // Zero: one step of the indicator's last digit.
    DecimalValue division;
    int httpPort = kDefaultHttpPort;

    // With no port named there is no indicator to read: the station runs on the simulator.
    bool usesSimulator() const {
        return protocol == Protocol::Simulator || serial.portName.empty();
    }
};

// Reads the service's ini file. A missing file gives the defaults; a value that cannot be
// used is reported through `log` and replaced by its default, so one typo never stops the
// weighbridge.
ServiceSettings loadServiceSettings(const std::string& iniPath,
                                    const std::function<void(const std::string&)>& log);

// One line describing the settings in force, for the log at start-up.
std::string describeSettings(const ServiceSettings& settings);

}  // namespace vesk
