#pragma once

#include <string>

namespace vesk {

// The per-window site settings file bin/FormLayout.ini beside the executable.
// Fixes the folder the settings file lives under; runs at start-up before the main window.
void InitSiteSettings(const std::string& exeFolder);
void InitSiteSettings();
std::string siteSettingsPath();

// Mode 0 reads (a section marked deleted is erased instead), 1 writes, 2 deletes and marks the
// section; other modes do nothing and give false. A failed write raises IniWriteError, which
// names the settings file.
bool ReadSiteValue(std::string section, std::string key, std::string& value, int mode);

}  // namespace vesk
