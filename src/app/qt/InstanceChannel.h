#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

namespace vesk {

// The running copy's door for other programs of the same user: a second start asks it to put
// its window on screen, and any program may ask it to restore its window.
class InstanceChannel final : public QObject {
    Q_OBJECT

  public:
    static constexpr const char* kActivate = "activate";
    static constexpr const char* kRestore = "restore";

    explicit InstanceChannel(QObject* parent = nullptr);

    // The socket of this user's running copy.
    static QString defaultServerPath();

    // Run by the copy that holds the instance lock; a socket file left by a crashed copy is
    // taken over, one that a running copy still answers on is not. False (with errorString())
    // when nothing could be set up.
    bool listen(const QString& serverPath);
    QString errorString() const;

    // Run by a second start: sends one request and returns; false when no copy answered.
    static bool send(const QString& serverPath, const char* request, int timeoutMs = 2000);

  signals:
    void activateRequested();
    void restoreRequested();

  private:
    void acceptPending();

    QLocalServer server_;
    QString error_;  // a failure found before the server was asked
};

}  // namespace vesk
