#pragma once

#include <string>

#include "autorun/UnitAutoRunConfig.h"

namespace vesk::test {

// The six companion programs as a test sets them up: the configuration's switch and path, and
// the fixed executable name the pass looks for among the running processes.
struct Companion {
    bool TAutoRunConfig::*enabled;
    std::string TAutoRunConfig::*path;
    const char* exeName;
};

inline constexpr Companion kCompanions[] = {
    {&TAutoRunConfig::autoWeightEnable, &TAutoRunConfig::autoWeightPath, "veskAutoWeight.exe"},
    {&TAutoRunConfig::autoDoorEnable, &TAutoRunConfig::autoDoorPath, "veskAutoDoor.exe"},
    {&TAutoRunConfig::monitorCentorEnable, &TAutoRunConfig::monitorCentorPath,
     "veskMonitorCentor.exe"},
    {&TAutoRunConfig::autoBeltEnable, &TAutoRunConfig::autoBeltPath, "veskAutoBelt.exe"},
    {&TAutoRunConfig::nginxEnable, &TAutoRunConfig::nginxPath, "nginx.exe"},
    {&TAutoRunConfig::carCameraEnable, &TAutoRunConfig::carCameraPath, "carCamera.exe"},
};

}  // namespace vesk::test
