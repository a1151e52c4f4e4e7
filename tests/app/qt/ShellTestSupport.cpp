#include "ShellTestSupport.h"

#include <QAbstractButton>
#include <QDirIterator>
#include <QFile>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTest>

#include "autorun/UnitAutoRunConfig.h"
#include "log/DailyLog.h"
#include "settings/UMyUtils.h"

namespace vesk::test {

ModalAnswerer::ModalAnswerer(std::function<void(QWidget*)> answer) : answer_(std::move(answer)) {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { answerOpenDialog(); });
    timer_.start();
}

ModalAnswerer::~ModalAnswerer() {
    timer_.stop();
}

void ModalAnswerer::answerOpenDialog() {
    QWidget* dialog = QApplication::activeModalWidget();
    if (!dialog || !dialog->isVisible())
        return;
    if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
        messages_ << box->windowTitle() + QStringLiteral("|") + box->text();
        box->accept();
    } else if (answer_) {
        answer_(dialog);
    }
}

ShellStation::ShellStation(LocalTime start) : clock(start) {
    InitLogPaths(folder.path(), clock);
    InitSiteSettings(folder.path());
    shell = std::make_unique<StationShell>(processes, http, clock, folder.path());
    shell->window().setQuitHandler([] {});
}

ShellStation::~ShellStation() {
    shell.reset();
    FreeAutoRunConfig();
}

void ShellStation::click(const char* buttonName) {
    auto* button = child<QAbstractButton>(buttonName);
    QVERIFY2(button, buttonName);
    button->click();
}

QStringList ShellStation::logLines() const {
    QStringList lines;
    QDirIterator files(QString::fromStdString(folder.path() + "/Log"),
                       {QStringLiteral("veskCommStartup_*")}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        for (const QString& line : QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n")))
            if (!line.isEmpty())
                lines << line.mid(24);  // after "YYYY-MM-DD HH:NN:SS.ZZZ "
    }
    return lines;
}

QStringList ShellStation::paneLines() {
    const QString text = window().pane()->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

}  // namespace vesk::test
