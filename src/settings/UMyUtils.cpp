#include "settings/UMyUtils.h"

#include "platform/FileSystem.h"
#include "platform/IniFile.h"
#include "platform/Text.h"

namespace vesk {
namespace {

constexpr const char* kSettingsFolder = "bin";
constexpr const char* kSettingsFile = "FormLayout.ini";
constexpr const char* kDeleteFlagKey = "!@#DelFlag";
constexpr const char* kDeleteFlagValue = "!@#123";

std::string& stationFolder() {
    static std::string folder;
    return folder;
}

bool readValue(IniFile& ini, const std::string& section, const std::string& key,
               std::string& value) {
    const std::string flag = trimText(ini.readString(section, kDeleteFlagKey, "0"));
    if (flag == kDeleteFlagValue) {
        ini.eraseSection(section);
        return false;
    }
    if (!ini.valueExists(section, key))
        return false;
    value = trimText(ini.readString(section, key, value));
    return true;
}

bool deleteValue(IniFile& ini, const std::string& section, const std::string& key) {
    if (!ini.valueExists(section, key))
        return false;
    try {
        ini.deleteKey(section, key);
    } catch (const IniWriteError&) {
        // The marker written next hides the section all the same.
    }
    ini.writeString(section, kDeleteFlagKey, kDeleteFlagValue);
    return true;
}

}  // namespace

void InitSiteSettings(const std::string& exeFolder) {
    stationFolder() = exeFolder;
}

void InitSiteSettings() {
    InitSiteSettings(executableFolder());
}

std::string siteSettingsPath() {
    if (stationFolder().empty())
        InitSiteSettings();
    return joinPath(joinPath(stationFolder(), kSettingsFolder), kSettingsFile);
}

bool ReadSiteValue(std::string section, std::string key, std::string& value, int mode) {
    const std::string path = siteSettingsPath();
    if (!forceFolders(folderOf(path)) && mode == 0)
        return false;  // nothing to read; writes still go on to name the file in their error
    IniFile ini(path);
    section = toUpperAscii(section);
    key = toUpperAscii(key);
    switch (mode) {
        case 0:
            return readValue(ini, section, key, value);
        case 1:
            ini.writeString(section, key, value);
            return true;
        case 2:
            return deleteValue(ini, section, key);
        default:
            return false;
    }
}

}  // namespace vesk
