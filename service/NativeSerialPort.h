#pragma once

#include <memory>
#include <string>

#include "SerialPort.h"

struct sp_port;

namespace vesk {

// Opens a port that libserialport does not list, such as a pseudo-terminal or another
// virtual port, straight through the operating system. nullptr and `error` on failure.
std::unique_ptr<SerialPort> openNativeSerialPort(const SerialSettings& settings,
                                                 std::string& error);

// Makes an open libserialport port this process's alone, so that a second reader is refused
// instead of both getting half of the bytes. False when another process holds it.
bool claimSerialPort(sp_port* port);

}  // namespace vesk
