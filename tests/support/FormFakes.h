#pragma once

// Stand-ins for the main window's ports: a view that records what the core shows, timers and
// an event pump fired by hand, a process table the test fills, and an HTTP port that plays back
// scripted replies. Everything runs inline on the test's thread.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "app/EventPump.h"
#include "app/MainWindowView.h"
#include "app/Timer.h"
#include "platform/FileSystem.h"
#include "platform/Http.h"
#include "platform/Processes.h"

namespace vesk::test {

// One ordered record of what the view showed and the pump waited, for tests of sequences.
struct Timeline {
    std::vector<std::string> entries;
    void add(std::string entry) { entries.push_back(std::move(entry)); }
};

class RecordingView final : public MainWindowView {
  public:
    // Length of the "yy-MM-dd HH:mm:ss " stamp in front of every pane line.
    static constexpr std::size_t kStampLength = 18;

    Timeline* timeline = nullptr;

    std::string versionText;
    std::string statusTime;
    std::string weightCaption = "0 Kg";
    std::uint32_t weightColour = clBlack;
    std::deque<std::string> pane;  // newest first, stamps included
    std::string overlayText;
    bool overlayVisible = false;
    std::string openCommCaption = "定时服务已启动";
    bool openCommEnabled = false;
    bool closeCommEnabled = true;
    bool activityPageSelected = false;
    AutoStartPage settingsPage;
    std::map<PathEdit, std::string> pathEdits;
    std::vector<std::string> messageBoxes;
    std::deque<std::optional<std::string>> browseAnswers;  // nullopt: cancelled
    bool windowShown = false;
    int bringToFrontCalls = 0;
    int restoreCalls = 0;
    bool minimised = false;
    bool closeBoxDisabled = false;
    bool trayIcon = false;
    int trayAdds = 0;
    int popupCalls = 0;
    bool quitRequested = false;
    bool failPaneRemoval = false;  // paneRemoveOldest raises, as a broken widget might
    std::string failTrayIconAdd;   // when set, addTrayIcon raises with this message

    // Pane texts, newest first, without their stamps.
    std::vector<std::string> paneTexts() const {
        std::vector<std::string> texts;
        for (const std::string& line : pane)
            texts.push_back(line.size() >= kStampLength ? line.substr(kStampLength) : line);
        return texts;
    }

    void setVersionText(const std::string& text) override { versionText = text; }
    void setStatusTime(const std::string& text) override { statusTime = text; }
    void setWeightCaption(const std::string& caption) override {
        weightCaption = caption;
        note("caption " + caption);
    }
    void setWeightColour(std::uint32_t colour) override {
        weightColour = colour;
        note("colour " + std::to_string(colour));
    }
    void paneInsertTop(const std::string& line) override {
        pane.push_front(line);
        note("pane " + (line.size() >= kStampLength ? line.substr(kStampLength) : line));
    }
    void paneRemoveOldest(int count) override {
        if (failPaneRemoval)
            throw std::runtime_error("pane removal failed");
        for (int i = 0; i < count && !pane.empty(); ++i)
            pane.pop_back();
    }
    void setOverlayText(const std::string& text) override {
        overlayText = text;
        note("overlay text " + text);
    }
    void setOverlayVisible(bool visible) override {
        overlayVisible = visible;
        note(visible ? "overlay shown" : "overlay hidden");
    }
    void setOpenCommButton(const std::string& caption, bool enabled) override {
        openCommCaption = caption;
        openCommEnabled = enabled;
    }
    void setCloseCommEnabled(bool enabled) override { closeCommEnabled = enabled; }
    void selectActivityPage() override { activityPageSelected = true; }
    AutoStartPage readSettingsPage() const override { return settingsPage; }
    void fillSettingsPage(const AutoStartPage& page) override { settingsPage = page; }
    void setPathEditText(PathEdit edit, const std::string& text) override {
        pathEdits[edit] = text;
    }
    std::string pathEditText(PathEdit edit) const override {
        const auto it = pathEdits.find(edit);
        return it == pathEdits.end() ? std::string() : it->second;
    }
    void showMessageBox(const std::string& text) override { messageBoxes.push_back(text); }
    std::optional<std::string> browseForFile() override {
        if (browseAnswers.empty())
            return std::nullopt;
        auto answer = browseAnswers.front();
        browseAnswers.pop_front();
        return answer;
    }
    void showWindow() override { windowShown = true; }
    void hideWindow() override { windowShown = false; }
    void bringToFront() override { ++bringToFrontCalls; }
    void restoreWindow() override {
        ++restoreCalls;
        minimised = false;
    }
    bool isMinimised() const override { return minimised; }
    void disableCloseBox() override { closeBoxDisabled = true; }
    bool addTrayIcon() override {
        if (!failTrayIconAdd.empty())
            throw std::runtime_error(failTrayIconAdd);
        ++trayAdds;
        const bool added = !trayIcon;
        trayIcon = true;
        return added;
    }
    bool removeTrayIcon() override {
        const bool removed = trayIcon;
        trayIcon = false;
        return removed;
    }
    void popupTrayMenuAtCursor() override { ++popupCalls; }
    void quitApplication() override { quitRequested = true; }

  private:
    void note(std::string entry) {
        if (timeline != nullptr)
            timeline->add(std::move(entry));
    }
};

class FakeTimer final : public Timer {
  public:
    void setEnabled(bool on) override {
        if (on && !on_)
            ++starts;
        on_ = on;
    }
    bool enabled() const override { return on_; }

    int starts = 0;  // times it was switched on from off

  private:
    bool on_ = false;
};

// Runs the exchange inline. duringExchange runs once, inside the next exchange, to play
// handlers that the real pump would run while the reply is awaited; onProcessMessages runs at
// every explicit message-processing point. Waits are recorded, not slept.
class FakePump final : public EventPump {
  public:
    Timeline* timeline = nullptr;
    std::function<void()> duringExchange;
    std::function<void()> onProcessMessages;
    std::vector<int> waits;

    void processMessages() override {
        if (onProcessMessages)
            onProcessMessages();
    }
    void runWhilePumping(const std::function<void()>& work) override {
        if (duringExchange) {
            auto hook = std::move(duringExchange);
            duringExchange = nullptr;
            hook();
        }
        work();
    }
    void blockingWait(int milliseconds) override {
        waits.push_back(milliseconds);
        if (timeline != nullptr)
            timeline->add("wait " + std::to_string(milliseconds));
    }
};

// A process table the test fills. Launches are recorded and, unless scripted to fail, add the
// program to the table; terminations remove it unless refused or left pending.
class FakeProcesses final : public ProcessPort {
  public:
    struct Launch {
        std::string path;
        std::string workFolder;
        ShowMode mode = ShowMode::Normal;
    };

    std::vector<ProcessEntry> table;
    std::vector<Launch> launches;
    std::map<std::string, std::string> launchErrors;  // path -> why the launch fails
    std::set<std::string> refuseTermination;          // executable names
    bool terminationPending = false;  // accepted, but the process is still listed afterwards
    std::vector<std::string> shellOpened;

    std::int64_t run(const std::string& exeName) {
        table.push_back({nextId_, exeName});
        return nextId_++;
    }
    std::vector<ProcessEntry> snapshot() override { return table; }
    bool terminate(std::int64_t id) override {
        for (auto it = table.begin(); it != table.end(); ++it) {
            if (it->id != id)
                continue;
            if (refuseTermination.count(fileNameOf(it->exeName)) != 0)
                return false;
            if (!terminationPending)
                table.erase(it);
            return true;
        }
        return false;
    }
    LaunchResult launch(const std::string& path, const std::string& workFolder,
                        ShowMode mode) override {
        launches.push_back({path, workFolder, mode});
        const auto failure = launchErrors.find(path);
        if (failure != launchErrors.end())
            return {false, failure->second};
        run(fileNameOf(path));
        return {true, {}};
    }
    LaunchResult shellOpen(const std::string& path) override {
        shellOpened.push_back(path);
        return {true, {}};
    }

  private:
    std::int64_t nextId_ = 1000;
};

// Plays back replies in order; once they run out, every exchange is refused.
class ScriptedHttp final : public HttpPort {
  public:
    std::deque<HttpResponse> replies;
    std::vector<HttpRequest> requests;

    static HttpResponse ok(std::string body) { return {200, std::move(body), {}}; }
    static HttpResponse refused() { return {-1, {}, "could not connect (refused)"}; }

    HttpResponse post(const HttpRequest& request) override {
        requests.push_back(request);
        if (replies.empty())
            return refused();
        HttpResponse reply = std::move(replies.front());
        replies.pop_front();
        return reply;
    }
};

}  // namespace vesk::test
