#include "SerialPort.h"

#include <libserialport.h>

#include "NativeSerialPort.h"

namespace vesk {
namespace {

sp_parity toSpParity(Parity parity) {
    switch (parity) {
        case Parity::Odd:
            return SP_PARITY_ODD;
        case Parity::Even:
            return SP_PARITY_EVEN;
        case Parity::Mark:
            return SP_PARITY_MARK;
        case Parity::Space:
            return SP_PARITY_SPACE;
        case Parity::None:
            break;
    }
    return SP_PARITY_NONE;
}

std::string lastError(const std::string& what) {
    char* message = sp_last_error_message();
    std::string text = what + "：" + (message != nullptr ? message : "未知错误");
    sp_free_error_message(message);
    return text;
}

class LibSerialPort final : public SerialPort {
  public:
    explicit LibSerialPort(sp_port* port) : port_(port) {}
    ~LibSerialPort() override {
        sp_close(port_);
        sp_free_port(port_);
    }
    LibSerialPort(const LibSerialPort&) = delete;
    LibSerialPort& operator=(const LibSerialPort&) = delete;

    ReadResult read(char* buffer, std::size_t capacity, int timeoutMs) override {
        const sp_return result =
            sp_blocking_read(port_, buffer, capacity, static_cast<unsigned>(timeoutMs));
        if (result < 0) {
            return {0, true, lastError("读串口失败")};
        }
        return {static_cast<std::size_t>(result), false, {}};
    }

    bool stillPresent() const override {
        sp_port* probe = nullptr;
        const bool present = sp_get_port_by_name(sp_get_port_name(port_), &probe) == SP_OK;
        sp_free_port(probe);
        return present;
    }

    bool configure(const SerialSettings& settings, std::string& error) {
        const bool ok = sp_set_baudrate(port_, settings.baudRate) == SP_OK &&
                        sp_set_bits(port_, settings.dataBits) == SP_OK &&
                        sp_set_parity(port_, toSpParity(settings.parity)) == SP_OK &&
                        sp_set_stopbits(port_, settings.stopBits) == SP_OK &&
                        sp_set_flowcontrol(port_, SP_FLOWCONTROL_NONE) == SP_OK &&
                        sp_set_dtr(port_, SP_DTR_OFF) == SP_OK &&
                        sp_set_rts(port_, SP_RTS_OFF) == SP_OK;
        if (!ok) {
            error = lastError("串口" + settings.portName + "设置失败");
        }
        return ok;
    }

  private:
    sp_port* port_;
};

}  // namespace

std::unique_ptr<SerialPort> openSerialPort(const SerialSettings& settings, std::string& error) {
    sp_port* port = nullptr;
    if (sp_get_port_by_name(settings.portName.c_str(), &port) != SP_OK) {
        return openNativeSerialPort(settings, error);
    }
    if (sp_open(port, SP_MODE_READ_WRITE) != SP_OK) {
        error = lastError("串口" + settings.portName + "打开失败");
        sp_free_port(port);
        return nullptr;
    }
    if (!claimSerialPort(port)) {
        error = "串口" + settings.portName + "已被其他程序占用";
        sp_close(port);
        sp_free_port(port);
        return nullptr;
    }
    auto opened = std::make_unique<LibSerialPort>(port);
    if (!opened->configure(settings, error)) {
        return nullptr;
    }
    return opened;
}

}  // namespace vesk
