#pragma once

#include <QApplication>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/qt/StationShell.h"
#include "platform/Http.h"
#include "platform/Processes.h"
#include "support/FakeClock.h"
#include "support/TempDir.h"

class QWidget;

namespace vesk::test {

// A process table with nothing running that records what the window asks of it.
class RecordingProcesses final : public ProcessPort {
  public:
    std::vector<ProcessEntry> snapshot() override { return {}; }
    bool terminate(std::int64_t) override { return false; }
    LaunchResult launch(const std::string& path, const std::string&, ShowMode) override {
        launched.push_back(path);
        return {true, {}};
    }
    LaunchResult shellOpen(const std::string& path) override {
        opened.push_back(path);
        return {true, {}};
    }

    std::vector<std::string> launched;
    std::vector<std::string> opened;
};

// A weight service that never answers.
class SilentHttp final : public HttpPort {
  public:
    HttpResponse post(const HttpRequest&) override { return {-1, {}, "connection refused"}; }
};

// Answers every modal dialog that opens while it lives, from inside the dialog's own loop, so
// a test never blocks on one. Message boxes are recorded and confirmed; other dialogs go to
// the given answer.
class ModalAnswerer {
  public:
    explicit ModalAnswerer(std::function<void(QWidget*)> answer = {});
    ~ModalAnswerer();

    const QStringList& messages() const { return messages_; }

  private:
    void answerOpenDialog();

    QTimer timer_;
    std::function<void(QWidget*)> answer_;
    QStringList messages_;
};

// A station folder with its own log, a supervisor shell on it and the fakes behind it.
class ShellStation {
  public:
    explicit ShellStation(LocalTime start = {2024, 9, 14, 8, 5, 3, 27});
    ~ShellStation();

    void start(bool trayAvailable = true) { shell->start(trayAvailable); }

    MainWindow& window() { return shell->window(); }
    TFrmVeskCommStartup& form() { return shell->form(); }
    template <class T>
    T* child(const char* name) {
        return window().findChild<T*>(QString::fromUtf8(name));
    }
    void click(const char* buttonName);

    // The texts of the supervisor's log lines, without their time stamps, oldest first.
    QStringList logLines() const;
    QStringList paneLines();

    TempDir folder;
    FakeClock clock;
    RecordingProcesses processes;
    SilentHttp http;
    std::unique_ptr<StationShell> shell;
};

}  // namespace vesk::test
