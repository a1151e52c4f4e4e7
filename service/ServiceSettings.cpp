#include "ServiceSettings.h"

#include <array>
#include <charconv>
#include <optional>
#include <utility>

#include "platform/FileSystem.h"
#include "platform/IniFile.h"
#include "platform/Text.h"

namespace vesk {
namespace {

using Log = std::function<void(const std::string&)>;

constexpr std::array<std::pair<Parity, std::string_view>, 5> kParities{{
    {Parity::None, "None"},
    {Parity::Odd, "Odd"},
    {Parity::Even, "Even"},
    {Parity::Mark, "Mark"},
    {Parity::Space, "Space"},
}};

std::optional<long long> parseInteger(const std::string& text) {
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (result.ec != std::errc() || result.ptr != end) {
        return std::nullopt;
    }
    return value;
}

std::optional<Parity> parseParity(const std::string& text) {
    for (const auto& [parity, name] : kParities) {
        if (equalsIgnoreAsciiCase(text, name) || equalsIgnoreAsciiCase(text, name.substr(0, 1))) {
            return parity;
        }
    }
    return std::nullopt;
}

std::string parityName(Parity parity) {
    for (const auto& [candidate, name] : kParities) {
        if (candidate == parity) {
            return std::string(name);
        }
    }
    return "None";
}

// Reads one key; an absent or empty key keeps the default silently, a value that `parse`
// rejects keeps it with a log line.
class SettingsReader {
  public:
    SettingsReader(const std::string& path, const Log& log) : ini_(path), log_(log) {}

    template <typename T, typename Parse>
    void read(const std::string& section, const std::string& key, T& target, Parse parse) {
        const std::string text = trimText(ini_.readString(section, key, ""));
        if (text.empty()) {
            return;
        }
        if (auto value = parse(text)) {
            target = *value;
            return;
        }
        log_("veskComm.ini [" + section + "] " + key + "=" + text + " 无效，使用默认值");
    }

    void readText(const std::string& section, const std::string& key, std::string& target) {
        target = trimText(ini_.readString(section, key, target));
    }

  private:
    IniFile ini_;
    const Log& log_;
};

auto integerIn(long long low, long long high) {
    return [low, high](const std::string& text) -> std::optional<int> {
        const auto value = parseInteger(text);
        if (!value || *value < low || *value > high) {
            return std::nullopt;
        }
        return static_cast<int>(*value);
    };
}

std::optional<int> stopBits(const std::string& text) {
    const auto value = parseInteger(text);
    return value && (*value == 1 || *value == 2) ? std::optional<int>(static_cast<int>(*value))
                                                 : std::nullopt;
}

std::optional<DecimalValue> division(const std::string& text) {
    const auto value = DecimalValue::parse(text);
    return value && value->units >= 0 ? value : std::nullopt;
}

}  // namespace

ServiceSettings loadServiceSettings(const std::string& iniPath, const Log& log) {
    ServiceSettings settings;
    if (!fileExists(iniPath)) {
        log("未找到配置文件" + iniPath + "，使用默认设置");
        return settings;
    }
    SettingsReader reader(iniPath, log);
    reader.readText("Serial", "Port", settings.serial.portName);
    reader.read("Serial", "BaudRate", settings.serial.baudRate, integerIn(50, 4000000));
    reader.read("Serial", "DataBits", settings.serial.dataBits, integerIn(5, 8));
    reader.read("Serial", "Parity", settings.serial.parity, parseParity);
    reader.read("Serial", "StopBits", settings.serial.stopBits, stopBits);
    reader.read("Serial", "Protocol", settings.protocol, protocolFromName);
    reader.read("Scale", "StableWindowMs", settings.stableWindowMs, integerIn(100, 60000));
    reader.read("Scale", "Division", settings.division, division);
    reader.read("Http", "Port", settings.httpPort, integerIn(1, 65535));
    return settings;
}

std::string describeSettings(const ServiceSettings& settings) {
    std::string text = "协议" + protocolName(settings.protocol);
    if (settings.usesSimulator()) {
        text = "模拟器(未设置串口或选择了simulator)";
    } else {
        const auto& serial = settings.serial;
        text += "，串口" + serial.portName + " " + std::to_string(serial.baudRate) + "," +
                std::to_string(serial.dataBits) + "," + parityName(serial.parity) + "," +
                std::to_string(serial.stopBits);
    }
    text += "，稳定判定" + std::to_string(settings.stableWindowMs) + "ms/分度" +
            (settings.division.units > 0 ? settings.division.toJsonNumber() : "末位1个字");
    return text + "，HTTP端口" + std::to_string(settings.httpPort);
}

}  // namespace vesk
