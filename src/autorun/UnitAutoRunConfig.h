#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/IniFile.h"
#include "platform/Processes.h"

namespace vesk {

// Which companion programs the station starts and keeps running, where they lie, and the two
// switches of the weighbridge communication service; stored in bin/AutoRunConfig.ini.
class TAutoRunConfig {
  public:
    // stationFolder holds the executable (bin/ lies below it). The clock stamps the update-time
    // keys; the process port serves StartAll.
    TAutoRunConfig(std::string stationFolder, const Clock& clock, ProcessPort& processes);
    ~TAutoRunConfig();

    TAutoRunConfig(const TAutoRunConfig&) = delete;
    TAutoRunConfig& operator=(const TAutoRunConfig&) = delete;

    const std::string& msgInfo() const { return msgInfo_; }
    const std::string& msgInfo2() const { return msgInfo2_; }

    bool autoWeightEnable = false;
    std::string autoWeightPath;
    bool autoDoorEnable = false;
    std::string autoDoorPath;
    bool monitorCentorEnable = false;
    std::string monitorCentorPath;
    bool autoBeltEnable = false;
    std::string autoBeltPath;
    bool commEnable = false;
    bool commTimer = false;
    bool nginxEnable = false;
    std::string nginxPath;
    bool carCameraEnable = false;
    std::string carCameraPath;
    std::string commHost = "127.0.0.1";
    std::string weightNow = "0";
    std::string weightPrev = "0";
    std::string weightPrev2 = "0";

    bool OpenIni();
    bool CloseIni();
    bool ReadConfig(int mode);
    bool WriteConfig(int mode);
    bool StartAll(int mode);

    // Full path of AutoRunConfig.ini.
    std::string iniPath() const;
    // Why the last WriteConfig failed (naming the file); empty after a successful one.
    const std::string& lastWriteError() const { return lastWriteError_; }
    // One line per launch of the last StartAll that the platform refused, e.g.
    // "Nginx服务启动失败：<reason>"; such programs are not counted as launched.
    const std::vector<std::string>& launchFailures() const { return launchFailures_; }

  private:
    std::string stationFolder_;
    const Clock& clock_;
    ProcessPort& processes_;
    std::string msgInfo_;
    std::string msgInfo2_;
    std::unique_ptr<IniFile> iniFile;
    std::string lastWriteError_;
    std::vector<std::string> launchFailures_;
};

// The one instance, alive from the main window's start-up to Exit.
extern std::unique_ptr<TAutoRunConfig> AutoRunConfig;
void CreateAutoRunConfig(const std::string& stationFolder, const Clock& clock,
                         ProcessPort& processes);
void FreeAutoRunConfig();

}  // namespace vesk
