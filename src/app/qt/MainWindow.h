#pragma once

#include <QFrame>
#include <QLabel>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "app/MainWindowView.h"

class QAbstractButton;
class QAction;
class QCheckBox;
class QFileDialog;
class QGroupBox;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QSystemTrayIcon;
class QTabWidget;

namespace vesk {

class TFrmVeskCommStartup;

// Caption of the message boxes; the only place the version shows.
inline constexpr const char* kApplicationTitle = "【地磅启动服务V1.1.7】";

// A panel that reports clicks, for the weight display.
class ClickablePanel final : public QLabel {
    Q_OBJECT
  public:
    using QLabel::QLabel;
  signals:
    void clicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
};

// The operator's window: the activity page, the auto-start settings page, the status bar, the
// busy overlay and the tray icon with its menu. It holds no rule: every event goes to the
// core form, which tells the window what to show through MainWindowView.
class MainWindow final : public QWidget, public MainWindowView {
    Q_OBJECT

  public:
    static constexpr int kClientWidth = 1016;
    static constexpr int kClientHeight = 737;

    MainWindow();
    ~MainWindow() override;

    // Events go to the form from now on.
    void attach(TFrmVeskCommStartup& form);

    // What quitApplication() does; the application's quit unless replaced (tests).
    void setQuitHandler(std::function<void()> quit) { quit_ = std::move(quit); }

    // A second start puts the window on screen and activates it from outside.
    void showFromOutside();

    bool trayAvailable() const;

    // MainWindowView.
    void setVersionText(const std::string& text) override;
    void setStatusTime(const std::string& text) override;
    void setWeightCaption(const std::string& caption) override;
    void setWeightColour(std::uint32_t colour) override;
    void paneInsertTop(const std::string& line) override;
    void paneRemoveOldest(int count) override;
    void setOverlayText(const std::string& text) override;
    void setOverlayVisible(bool visible) override;
    void setOpenCommButton(const std::string& caption, bool enabled) override;
    void setCloseCommEnabled(bool enabled) override;
    void selectActivityPage() override;
    AutoStartPage readSettingsPage() const override;
    void fillSettingsPage(const AutoStartPage& page) override;
    void setPathEditText(PathEdit edit, const std::string& text) override;
    std::string pathEditText(PathEdit edit) const override;
    void showMessageBox(const std::string& text) override;
    std::optional<std::string> browseForFile() override;
    void showWindow() override;
    void hideWindow() override;
    void bringToFront() override;
    void restoreWindow() override;
    bool isMinimised() const override;
    void disableCloseBox() override;
    bool addTrayIcon() override;
    bool removeTrayIcon() override;
    void popupTrayMenuAtCursor() override;
    void quitApplication() override;

    // Parts the tests and the shell reach by name.
    QTabWidget* pages() const { return pages_; }
    QPlainTextEdit* pane() const { return pane_; }
    ClickablePanel* weightPanel() const { return weightValue_; }
    QSystemTrayIcon* trayIcon() const { return tray_; }
    QMenu* trayMenu() const { return trayMenu_; }
    QFrame* overlay() const { return overlay_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct PathRow {
        QCheckBox* enable = nullptr;
        QLabel* label = nullptr;
        QLineEdit* edit = nullptr;
        QPushButton* browse = nullptr;
    };

    void buildBody();
    QWidget* buildActivityPage();
    QWidget* buildSettingsPage();
    void buildStatusBar();
    void buildOverlay();
    void buildTray();
    PathRow addPathRow(QGroupBox* group, PathEdit which, const char* name, const char* check,
                       const char* label, int checkLeft, int checkWidth, int top);
    QPushButton* addDefaultPathButton(QGroupBox* group, const char* name, const char* caption,
                                      int top);
    void connectToForm();
    void forward(QAction* item, void (TFrmVeskCommStartup::*handler)());
    void forward(QAbstractButton* button, void (TFrmVeskCommStartup::*handler)());
    void callForm(void (TFrmVeskCommStartup::*handler)());
    void trayActivated(int reason);
    void setPaneFocused(bool focused);
    PathRow& row(PathEdit edit) { return rows_[static_cast<std::size_t>(edit)]; }
    const PathRow& row(PathEdit edit) const { return rows_[static_cast<std::size_t>(edit)]; }

    TFrmVeskCommStartup* form_ = nullptr;
    std::function<void()> quit_;

    QFrame* body_ = nullptr;
    QTabWidget* pages_ = nullptr;
    QWidget* activityPage_ = nullptr;
    QPlainTextEdit* pane_ = nullptr;
    ClickablePanel* weightValue_ = nullptr;
    QPushButton* btnTestComm_ = nullptr;
    QPushButton* btnOpenComm_ = nullptr;
    QPushButton* btnCloseComm_ = nullptr;
    QPushButton* btnMIni_ = nullptr;

    std::array<PathRow, 6> rows_{};
    QCheckBox* commEnable_ = nullptr;
    QCheckBox* commTimer_ = nullptr;
    QPushButton* btnWeight_ = nullptr;
    QPushButton* btnDoor_ = nullptr;
    QPushButton* btnMonitorCentor_ = nullptr;
    QPushButton* btnBelt_ = nullptr;
    QPushButton* btnSaveAutoConfig_ = nullptr;
    QPushButton* speedButton2_ = nullptr;
    QFileDialog* openDialog_ = nullptr;

    QStatusBar* statusBar_ = nullptr;
    QLabel* versionField_ = nullptr;
    QLabel* timeField_ = nullptr;
    QLabel* contactField_ = nullptr;

    QFrame* overlay_ = nullptr;
    QLabel* overlayLabel_ = nullptr;

    QSystemTrayIcon* tray_ = nullptr;
    QMenu* trayMenu_ = nullptr;
};

}  // namespace vesk
