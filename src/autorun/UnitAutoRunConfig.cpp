#include "autorun/UnitAutoRunConfig.h"
#include "autorun/SummaryText.h"

#include <string_view>

#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace vesk {

std::unique_ptr<TAutoRunConfig> AutoRunConfig;

namespace {

// One companion program's section; the keys are its prefix + "Enable", "Path", "UpdateTime".
struct ProgramSection {
    int code;
    const char* section;
    const char* keyPrefix;
    const char* fragment;
    bool TAutoRunConfig::*enabled;
    std::string TAutoRunConfig::*path;
};

constexpr int kCommCode = 1;
constexpr const char* kCommSection = "veskComm";

constexpr ProgramSection kPrograms[] = {
    {2, "veskAutoWeight", "AutoWeight", ",计量服务(veskAutoWeight)",
     &TAutoRunConfig::autoWeightEnable, &TAutoRunConfig::autoWeightPath},
    {3, "veskAutoDoor", "AutoDoor", ",门禁服务(veskAutoDoor)", &TAutoRunConfig::autoDoorEnable,
     &TAutoRunConfig::autoDoorPath},
    {4, "veskMonitorCentor", "MonitorCentor", ",监控中心服务(veskMonitorCentor)",
     &TAutoRunConfig::monitorCentorEnable, &TAutoRunConfig::monitorCentorPath},
    {5, "veskAutoBelt", "AutoBelt", ",流量秤服务(veskAutoBelt)", &TAutoRunConfig::autoBeltEnable,
     &TAutoRunConfig::autoBeltPath},
    {11, "nginx", "Nginx", ",Nginx", &TAutoRunConfig::nginxEnable, &TAutoRunConfig::nginxPath},
    {99, "carCamera", "CarCamera", ",CarCamera", &TAutoRunConfig::carCameraEnable,
     &TAutoRunConfig::carCameraPath},
};

std::string key(const ProgramSection& program, const char* suffix) {
    return std::string(program.keyPrefix) + suffix;
}

bool readFlag(const IniFile& ini, const char* section, const std::string& name) {
    return trimText(ini.readString(section, name, "0")) == "1";
}

const char* flagText(bool flag) {
    return flag ? "1" : "0";
}

}  // namespace

TAutoRunConfig::TAutoRunConfig(std::string stationFolder, const Clock& clock,
                               ProcessPort& processes)
    : stationFolder_(std::move(stationFolder)), clock_(clock), processes_(processes) {}

TAutoRunConfig::~TAutoRunConfig() = default;

std::string TAutoRunConfig::iniPath() const {
    return joinPath(joinPath(stationFolder_, "bin"), "AutoRunConfig.ini");
}

bool TAutoRunConfig::OpenIni() {
    try {
        if (!forceFolders(folderOf(iniPath())))
            return false;
        iniFile = std::make_unique<IniFile>(iniPath());
        return true;
    } catch (...) {
        return false;
    }
}

bool TAutoRunConfig::CloseIni() {
    try {
        iniFile.reset();
        return true;
    } catch (...) {
        return false;
    }
}

bool TAutoRunConfig::ReadConfig(int mode) {
    msgInfo_.clear();
    if (!OpenIni())
        return true;
    bool ok = true;
    try {
        if (modeSelects(mode, kCommCode)) {
            commEnable = readFlag(*iniFile, kCommSection, "CommEnable");
            commTimer = readFlag(*iniFile, kCommSection, "CommTimer");
        }
        for (const ProgramSection& program : kPrograms) {
            if (!modeSelects(mode, program.code))
                continue;
            this->*program.enabled = readFlag(*iniFile, program.section, key(program, "Enable"));
            this->*program.path =
                trimText(iniFile->readString(program.section, key(program, "Path"), ""));
            if (this->*program.enabled)
                msgInfo_ += program.fragment;
        }
    } catch (...) {
        ok = false;
    }
    CloseIni();
    closeSummary(msgInfo_, " 等需要开机自启动!");
    return ok;
}

bool TAutoRunConfig::WriteConfig(int mode) {
    msgInfo_.clear();
    if (!OpenIni()) {
        // Nothing was saved, so the page must not be told it was.
        lastWriteError_ = "Unable to write to " + iniPath() + ": its folder cannot be created";
        return false;
    }
    try {
        if (modeSelects(mode, kCommCode)) {
            iniFile->writeString(kCommSection, "CommEnable", flagText(commEnable));
            iniFile->writeString(kCommSection, "CommTimer", flagText(commTimer));
            iniFile->writeString(kCommSection, "CommUpdateTime",
                                 formatLocalTime(clock_.now(), "yyyy-MM-dd HH:mm:ss"));
        }
        for (const ProgramSection& program : kPrograms) {
            if (!modeSelects(mode, program.code))
                continue;
            iniFile->writeString(program.section, key(program, "Enable"),
                                 flagText(this->*program.enabled));
            iniFile->writeString(program.section, key(program, "Path"),
                                 trimText(this->*program.path));
            iniFile->writeString(program.section, key(program, "UpdateTime"),
                                 formatLocalTime(clock_.now(), "yyyy-MM-dd HH:mm:ss"));
            if (this->*program.enabled)
                msgInfo_ += program.fragment;
        }
    } catch (const std::exception& e) {
        // The keys written so far stay, and so do the fragments gathered so far, unfinished.
        lastWriteError_ = e.what();
        CloseIni();
        return false;
    } catch (...) {
        lastWriteError_ = "Unable to write to " + iniPath();
        CloseIni();
        return false;
    }
    CloseIni();
    lastWriteError_.clear();
    closeSummary(msgInfo_, " 等实时监控服务!");
    return true;
}

void CreateAutoRunConfig(const std::string& stationFolder, const Clock& clock,
                         ProcessPort& processes) {
    AutoRunConfig = std::make_unique<TAutoRunConfig>(stationFolder, clock, processes);
    AutoRunConfig->ReadConfig(0);
}

void FreeAutoRunConfig() {
    try {
        AutoRunConfig.reset();
    } catch (...) {
        // Exit goes on regardless.
    }
}

}  // namespace vesk
