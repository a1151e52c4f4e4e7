#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vesk {

// Font colours as Windows colour values (0x00BBGGRR).
constexpr std::uint32_t clBlack = 0;
constexpr std::uint32_t clLime = 65280;
constexpr std::uint32_t clRed = 255;

// The six path edits of the auto-start settings page.
enum class PathEdit { AutoWeight, AutoDoor, MonitorCentor, AutoBelt, Nginx, CarCamera };

// What the operator has on the auto-start settings page.
struct AutoStartPage {
    bool commEnable = false;
    bool commTimer = false;
    bool autoWeightEnable = false;
    std::string autoWeightPath;
    bool autoDoorEnable = false;
    std::string autoDoorPath;
    bool monitorCentorEnable = false;
    std::string monitorCentorPath;
    bool autoBeltEnable = false;
    std::string autoBeltPath;
    bool nginxEnable = false;
    std::string nginxPath;
    bool carCameraEnable = false;
    std::string carCameraPath;
};

// Which fields of the page belong to which path edit, in the order of the configuration's
// sections. The core and the shell both walk the rows through this one table.
struct AutoStartRow {
    PathEdit edit;
    bool AutoStartPage::*enable;
    std::string AutoStartPage::*path;
};

inline constexpr AutoStartRow kAutoStartRows[] = {
    {PathEdit::AutoWeight, &AutoStartPage::autoWeightEnable, &AutoStartPage::autoWeightPath},
    {PathEdit::AutoDoor, &AutoStartPage::autoDoorEnable, &AutoStartPage::autoDoorPath},
    {PathEdit::MonitorCentor, &AutoStartPage::monitorCentorEnable,
     &AutoStartPage::monitorCentorPath},
    {PathEdit::AutoBelt, &AutoStartPage::autoBeltEnable, &AutoStartPage::autoBeltPath},
    {PathEdit::Nginx, &AutoStartPage::nginxEnable, &AutoStartPage::nginxPath},
    {PathEdit::CarCamera, &AutoStartPage::carCameraEnable, &AutoStartPage::carCameraPath},
};

// The main window as the core drives it. The Qt shell implements it; tests record it. Every
// setter repaints what it changed at once.
class MainWindowView {
  public:
    virtual ~MainWindowView() = default;

    // Status bar.
    virtual void setVersionText(const std::string& text) = 0;
    virtual void setStatusTime(const std::string& text) = 0;

    // Weight panel.
    virtual void setWeightCaption(const std::string& caption) = 0;
    virtual void setWeightColour(std::uint32_t colour) = 0;

    // Activity pane: a line on top; the given number of oldest lines removed.
    virtual void paneInsertTop(const std::string& line) = 0;
    virtual void paneRemoveOldest(int count) = 0;

    // Busy overlay.
    virtual void setOverlayText(const std::string& text) = 0;
    virtual void setOverlayVisible(bool visible) = 0;

    // Service buttons.
    virtual void setOpenCommButton(const std::string& caption, bool enabled) = 0;
    virtual void setCloseCommEnabled(bool enabled) = 0;

    // Pages.
    virtual void selectActivityPage() = 0;
    virtual AutoStartPage readSettingsPage() const = 0;
    virtual void fillSettingsPage(const AutoStartPage& page) = 0;
    virtual void setPathEditText(PathEdit edit, const std::string& text) = 0;
    virtual std::string pathEditText(PathEdit edit) const = 0;

    // Dialogs: a modal message box with the application title; the shared open-file dialog
    // (nullopt when cancelled).
    virtual void showMessageBox(const std::string& text) = 0;
    virtual std::optional<std::string> browseForFile() = 0;

    // The platform window and the tray.
    virtual void showWindow() = 0;
    virtual void hideWindow() = 0;
    virtual void bringToFront() = 0;
    virtual void restoreWindow() = 0;
    virtual bool isMinimised() const = 0;
    virtual void disableCloseBox() = 0;
    virtual bool addTrayIcon() = 0;
    virtual bool removeTrayIcon() = 0;
    virtual void popupTrayMenuAtCursor() = 0;
    virtual void quitApplication() = 0;
};

}  // namespace vesk
