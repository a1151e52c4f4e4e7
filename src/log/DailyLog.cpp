#include "log/DailyLog.h"

#include <array>
#include <filesystem>
#include <fstream>

#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace vesk {

bool LogEnabled = false;
std::string defaultLogCategory = "debugLog";
std::string logDebugDir;

namespace {

const Clock* logClock = nullptr;

LocalTime now() {
    return (logClock != nullptr ? *logClock : systemClock()).now();
}

// Categories of the station's programs that write so much that they get a folder per day.
// Group A matches whole names without regard to case.
constexpr std::array<std::string_view, 25> kDayFolderNames = {
    "veskCommLogStartup",  "veskWeightTimerStartup", "veskAutoWeightLog",   "veskAutoWeightTimer",
    "veskWeightRecord",    "veskPublicWeightLog",    "veskDoorLog",         "veskDoorGateCtrl",
    "veskDoorPlateRecog",  "veskCameraLog",          "veskCameraSnap",      "veskCarCameraLog",
    "veskCementCameraLog", "veskImageUpload",        "veskImageUploadFail", "veskFtpUpload",
    "veskSignalLight",     "veskLightLog",           "veskCardReaderLog",   "veskIcCardLog",
    "veskRfidReaderLog",   "veskVoiceLog",           "veskVoiceBroadcast",  "veskDeviceAlarm",
    "veskAlarmLog",
};
// Group B: per-device categories carry one of these parts, spelled exactly.
constexpr std::array<std::string_view, 3> kDayFolderParts = {"ImgUpload", "CardRead", "DevAlarm"};

// A category becomes part of a file name; whatever could lead that name out of its folder
// (separators, a drive colon, control bytes) is flattened so the line stays under Log/Debug.
std::string safeFileStem(std::string category) {
    for (char& c : category) {
        if (c == '/' || c == '\\' || c == ':' || static_cast<unsigned char>(c) < 32)
            c = '_';
    }
    return category;
}

bool appendStampedLine(const std::string& path, const std::string& text, const LocalTime& time) {
    const std::string folder = folderOf(path);
    if (!folder.empty() && !forceFolders(folder))
        return false;
    std::ofstream out(toFsPath(path), std::ios::binary | std::ios::app);
    if (!out)
        return false;
    // One write per line, so a reader between calls never sees half a line.
    const std::string line =
        formatLocalTime(time, "YYYY-MM-DD HH:NN:SS.ZZZ ") + toNarrowKeepingBytes(text) + "\r\n";
    out.write(line.data(), static_cast<std::streamsize>(line.size()));
    out.close();
    return !out.fail();
}

bool writeDailyLine(const std::string& text, const std::string& category) {
    if (logDebugDir.empty())
        return false;  // before InitLogPaths there is no place to write to
    const std::string trimmed = trimText(category);
    const LocalTime time = now();  // one instant for folder, file name and stamp
    std::string folder = joinPath(logDebugDir, formatLocalTime(time, "YYYY-MM"));
    if (isDayFolderCategory(trimmed))
        folder = joinPath(folder, formatLocalTime(time, "DD"));
    if (!forceFolders(folder))
        return false;
    const std::string stem = trimmed.empty() ? defaultLogCategory : safeFileStem(trimmed);
    const std::string fileName = stem + "_" + formatLocalTime(time, "YYYYMMDD") + ".txt";
    return appendStampedLine(joinPath(folder, fileName), text, time);
}

}  // namespace

void InitLogPaths(const std::string& exeFolder, const Clock& clock) {
    logClock = &clock;
    LogEnabled = true;
    defaultLogCategory = "debugLog";
    logDebugDir = joinPath(joinPath(exeFolder, "Log"), "Debug");
    try {
        forceFolders(logDebugDir);
        forceFolders(joinPath(exeFolder, "bin"));
    } catch (...) {
        // The first line tries again.
    }
}

void InitLogPaths() {
    InitLogPaths(executableFolder(), systemClock());
}

bool WriteLogEx(std::string text, std::string category, bool enabled) {
    if (!enabled)
        return false;
    try {
        return writeDailyLine(text, category);
    } catch (...) {
        return false;
    }
}

bool WriteLog(std::string text, std::string category) {
    return WriteLogEx(std::move(text), std::move(category), LogEnabled);
}

bool AppendLogLine(std::string path, std::string text) {
    try {
        return appendStampedLine(path, text, now());
    } catch (...) {
        return false;
    }
}

bool isDayFolderCategory(std::string_view trimmedCategory) {
    for (const auto name : kDayFolderNames) {
        if (equalsIgnoreAsciiCase(trimmedCategory, name))
            return true;
    }
    for (const auto part : kDayFolderParts) {
        if (trimmedCategory.find(part) != std::string_view::npos)
            return true;
    }
    return false;
}

}  // namespace vesk
