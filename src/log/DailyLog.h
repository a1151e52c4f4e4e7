#pragma once

#include <string>
#include <string_view>

#include "platform/Clock.h"

namespace vesk {

// The categories this system writes: the supervisor's activity, the weight readings and
// failures, and the poller's tick trace.
inline constexpr const char* kStartupLogCategory = "veskCommStartup";
inline constexpr const char* kWeightLogCategory = "veskCommLogStartup";
inline constexpr const char* kWeightTimerLogCategory = "veskWeightTimerStartup";

// Set once at start-up by InitLogPaths and never changed afterwards.
extern bool LogEnabled;
extern std::string defaultLogCategory;
extern std::string logDebugDir;

// Sets the globals for the executable in exeFolder, creates Log/Debug and bin beside it and
// takes the clock every later line is stamped with. Failures are silent: the first line tries
// again. Tests pass a temporary folder and a fake clock.
void InitLogPaths(const std::string& exeFolder, const Clock& clock);
// The same for the running executable and the system clock.
void InitLogPaths();

// Appends "YYYY-MM-DD HH:NN:SS.ZZZ " + text + CR LF to the category's file of the day.
// False when enabled is false or anything failed; never raises.
bool WriteLogEx(std::string text, std::string category, bool enabled);
bool WriteLog(std::string text, std::string category);
bool AppendLogLine(std::string path, std::string text);

// True when the trimmed category gets a day folder below its month folder.
bool isDayFolderCategory(std::string_view trimmedCategory);

}  // namespace vesk
