#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ServiceSettings.h"
#include "support/TempDir.h"

namespace vesk {
namespace {

class ServiceSettingsTest : public ::testing::Test {
  protected:
    ServiceSettings load(const std::string& content) {
        test::writeFile(dir_.file("veskComm.ini"), content);
        return loadServiceSettings(dir_.file("veskComm.ini"),
                                   [this](const std::string& line) { log_.push_back(line); });
    }

    test::TempDir dir_;
    std::vector<std::string> log_;
};

TEST_F(ServiceSettingsTest, MissingFileRunsTheSimulatorOnThePortTheSupervisorPolls) {
    const auto settings = loadServiceSettings(dir_.file("absent.ini"),
                                              [this](const std::string& l) { log_.push_back(l); });
    EXPECT_TRUE(settings.usesSimulator());
    EXPECT_EQ(settings.httpPort, 44444);
    EXPECT_EQ(settings.protocol, Protocol::Auto);
    EXPECT_EQ(settings.stableWindowMs, 1000);
    EXPECT_EQ(log_.size(), 1u);
}

TEST_F(ServiceSettingsTest, ReadsEveryKey) {
    const auto settings = load(
        "[Serial]\r\nPort = /dev/ttyUSB0\r\nbaudrate=4800\r\nDataBits=7\r\nParity=even\r\n"
        "StopBits=2\r\nProtocol=Status-Word\r\n[Scale]\r\nStableWindowMs=1500\r\n"
        "Division=0.02\r\n[Http]\r\nPort=18080\r\n");
    EXPECT_EQ(settings.serial.portName, "/dev/ttyUSB0");
    EXPECT_EQ(settings.serial.baudRate, 4800);
    EXPECT_EQ(settings.serial.dataBits, 7);
    EXPECT_EQ(settings.serial.parity, Parity::Even);
    EXPECT_EQ(settings.serial.stopBits, 2);
    EXPECT_EQ(settings.protocol, Protocol::StatusWord);
    EXPECT_EQ(settings.stableWindowMs, 1500);
    EXPECT_EQ(settings.division, (DecimalValue{2, 2}));
    EXPECT_EQ(settings.httpPort, 18080);
    EXPECT_FALSE(settings.usesSimulator());
    EXPECT_TRUE(log_.empty());
}

TEST_F(ServiceSettingsTest, ABrokenValueIsLoggedAndDefaulted) {
    const auto settings = load(
        "[Serial]\nPort=COM3\nBaudRate=96OO\nDataBits=9\nParity=sometimes\nStopBits=1.5\n"
        "Protocol=modbus\n[Scale]\nStableWindowMs=-1\nDivision=-20\n[Http]\nPort=70000\n");
    const ServiceSettings defaults;
    EXPECT_EQ(settings.serial.portName, "COM3");
    EXPECT_EQ(settings.serial.baudRate, defaults.serial.baudRate);
    EXPECT_EQ(settings.serial.dataBits, defaults.serial.dataBits);
    EXPECT_EQ(settings.serial.parity, defaults.serial.parity);
    EXPECT_EQ(settings.serial.stopBits, defaults.serial.stopBits);
    EXPECT_EQ(settings.protocol, defaults.protocol);
    EXPECT_EQ(settings.stableWindowMs, defaults.stableWindowMs);
    EXPECT_EQ(settings.division, defaults.division);
    EXPECT_EQ(settings.httpPort, defaults.httpPort);
    ASSERT_EQ(log_.size(), 8u);
    EXPECT_EQ(log_[0], "veskComm.ini [Serial] BaudRate=96OO 无效，使用默认值");
}

TEST_F(ServiceSettingsTest, SimulatorCanBeChosenWithAPortNamed) {
    EXPECT_TRUE(load("[Serial]\nPort=COM1\nProtocol=simulator\n").usesSimulator());
}

}  // namespace
}  // namespace vesk
