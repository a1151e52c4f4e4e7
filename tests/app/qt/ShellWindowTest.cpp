#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTest>

#include "ShellTestSupport.h"
#include "app/qt/InstanceChannel.h"
#include "autorun/UnitAutoRunConfig.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

using namespace vesk;
using namespace vesk::test;

namespace {

const QString kTitle = QString::fromUtf8("【地磅启动服务V1.1.7】");
const QString kOpenedLine = QString::fromUtf8("显示定时服务 --- 首次打开窗体 ");
const QString kActivatedLine = QString::fromUtf8("显示定时服务 --- 首次激活窗体 ");

QString box(const char* text) {
    return kTitle + QStringLiteral("|") + QString::fromUtf8(text);
}

QString u(const char* text) {
    return QString::fromUtf8(text);
}

}  // namespace

class ShellWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void startUpFillsTheWindowAndLeavesItHidden() {
        ShellStation station;
        writeFile(station.folder.file("bin/AutoRunConfig.ini"),
                  "[veskComm]\r\nCommEnable=1\r\nCommTimer=1\r\n"
                  "[nginx]\r\nNginxEnable=1\r\nNginxPath=  /opt/nginx/nginx  \r\n");
        station.start();
        MainWindow& window = station.window();

        QVERIFY(!window.isVisible());
        QVERIFY(!station.form().visible);
        QVERIFY(window.trayIcon()->isVisible());
        QCOMPARE(window.trayIcon()->toolTip(), u("【地磅启动服务】"));
        QCOMPARE(window.windowTitle(), u("地磅启动服务"));
        QCOMPARE(window.size(), QSize(1016, 737));
        QCOMPARE(window.minimumSize(), window.maximumSize());
        const Qt::WindowFlags flags = window.windowFlags();
        QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                           Qt::WindowCloseButtonHint)));

        QCOMPARE(station.child<QLabel>("RzFieldStatus1")->text(), u("版本 20240914.36"));
        QCOMPARE(station.child<QLabel>("RzFieldStatus2")->text(),
                 u("上次更新时间为 2024-09-14 08:05  软件打开时间"));
        QCOMPARE(window.weightPanel()->text(), u("0 Kg"));
        QCOMPARE(window.pages()->currentIndex(), 0);
        QCOMPARE(station.paneLines(),
                 QStringList(
                     {u("24-09-14 08:05:03 开启定时服务！重启成功！需30秒 "),
                      u("24-09-14 08:05:03 20240914.36读取配置成功 - Nginx 等需要开机自启动!")}));
        const auto* openComm = station.child<QPushButton>("BtnOpenComm");
        QCOMPARE(openComm->text(), u("定时服务已启动"));
        QVERIFY(!openComm->isEnabled());
        QVERIFY(station.shell->minuteTimer().enabled());
        QVERIFY(!station.shell->weightTimer().enabled());

        QVERIFY(station.child<QCheckBox>("edt_commEnable")->isChecked());
        QVERIFY(station.child<QCheckBox>("edt_commTimer")->isChecked());
        QVERIFY(station.child<QCheckBox>("edt_nginxEnable")->isChecked());
        QCOMPARE(station.child<QLineEdit>("edt_nginxPath")->text(), u("/opt/nginx/nginx"));
        QVERIFY(!station.child<QCheckBox>("edt_autoWeightEnable")->isChecked());

        QVERIFY(station.logLines().contains(u("启动定时服务 --- 30秒 ")));
        QVERIFY(!station.logLines().contains(kOpenedLine));
    }

    void withoutATrayTheWindowStaysReachable() {
        ShellStation station;
        station.start(false);
        QVERIFY(station.window().isVisible());
        const QStringList log = station.logLines();
        QVERIFY(log.filter(u("系统托盘不可用")).size() == 1);
        QCOMPARE(log.last(), kOpenedLine);
    }

    void trayMouseFollowsTheShowAndHideRules() {
        ShellStation station;
        station.start();
        MainWindow& window = station.window();
        QSystemTrayIcon* tray = window.trayIcon();

        emit tray->activated(QSystemTrayIcon::DoubleClick);
        QVERIFY(window.isVisible());
        QVERIFY(station.form().visible);
        emit tray->activated(QSystemTrayIcon::Trigger);
        QVERIFY(!window.isVisible());
        QVERIFY(!station.form().visible);
        // A double click arrives as a press first: hidden, then shown again.
        emit tray->activated(QSystemTrayIcon::Trigger);
        emit tray->activated(QSystemTrayIcon::DoubleClick);
        QVERIFY(window.isVisible());
        emit tray->activated(QSystemTrayIcon::MiddleClick);
        QVERIFY(window.isVisible());

        emit tray->activated(QSystemTrayIcon::Context);
        QTRY_VERIFY(window.trayMenu()->isVisible());
        window.trayMenu()->close();
        QVERIFY(window.isVisible());

        station.click("BtnMIni");
        QVERIFY(!window.isVisible());
        QCOMPARE(station.logLines().filter(u("首次")), QStringList{kOpenedLine});
    }

    void trayMenuShowsAndHides() {
        ShellStation station;
        station.start();
        MainWindow& window = station.window();
        QList<QAction*> items = window.trayMenu()->actions();
        QCOMPARE(items.size(), 3);
        QCOMPARE(items[0]->text(), u("显示主界面"));
        QCOMPARE(items[1]->text(), u("隐藏主界面"));
        QCOMPARE(items[2]->text(), u("退出"));

        items[0]->trigger();
        QVERIFY(window.isVisible());
        items[1]->trigger();
        QVERIFY(!window.isVisible());
        items[0]->trigger();
        QVERIFY(window.isVisible());
        // Only the first show is logged.
        QCOMPARE(station.logLines().filter(u("首次")), QStringList{kOpenedLine});
    }

    void secondStartActivationWritesBothFirstShowLines() {
        ShellStation station;
        station.start();
        InstanceChannel channel;
        const QString socket = QString::fromStdString(station.folder.file("s.socket"));
        QVERIFY(channel.listen(socket));
        station.shell->serve(channel);

        QVERIFY(InstanceChannel::send(socket, InstanceChannel::kActivate));
        QTRY_VERIFY(station.window().isVisible());
        QTRY_COMPARE(station.logLines().filter(u("首次")),
                     QStringList({kActivatedLine, kOpenedLine}));
        QVERIFY(station.form().visible);

        // Later activations from outside write nothing more.
        station.click("BtnMIni");
        QVERIFY(InstanceChannel::send(socket, InstanceChannel::kActivate));
        QTRY_VERIFY(station.window().isVisible());
        QCOMPARE(station.logLines().filter(u("首次")).size(), 2);
    }

    void restoreRequestBringsForwardButNeverShowsAHiddenWindow() {
        ShellStation station;
        station.start();
        MainWindow& window = station.window();
        InstanceChannel channel;
        const QString socket = QString::fromStdString(station.folder.file("s.socket"));
        QVERIFY(channel.listen(socket));
        station.shell->serve(channel);

        QVERIFY(InstanceChannel::send(socket, InstanceChannel::kRestore));
        QTest::qWait(100);
        QVERIFY(!window.isVisible());
        QVERIFY(station.logLines().filter(u("首次")).isEmpty());

        // Shown behind another program's window: the request brings it forward.
        station.form().N1Click();
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QVERIFY(InstanceChannel::send(socket, InstanceChannel::kRestore));
        QTRY_VERIFY(window.isActiveWindow());
    }

    void minimiseAndCloseRetreatToTheTray() {
        ShellStation station;
        station.start();
        MainWindow& window = station.window();
        station.form().N1Click();
        window.trayIcon()->hide();

        window.showMinimized();
        QTRY_VERIFY(!window.isVisible());
        QVERIFY(!window.isMinimized());
        QVERIFY(window.trayIcon()->isVisible());
        QVERIFY(!station.form().visible);

        station.form().N1Click();
        window.trayIcon()->hide();
        QVERIFY(!window.close());
        QVERIFY(!window.isVisible());
        QVERIFY(window.trayIcon()->isVisible());
        // A refused close leaves the form's own flag alone, and supervision goes on.
        QVERIFY(station.form().visible);
        QVERIFY(station.shell->minuteTimer().enabled());
        QVERIFY(!station.logLines().contains(u("关闭定时服务 --- 30秒 ")));
    }

    void exitAsksNothingAndLogsNothing() {
        ShellStation station;
        station.window().setQuitHandler({});
        station.start();
        station.form().N1Click();
        const QStringList before = station.logLines();

        ModalAnswerer boxes;
        QTimer::singleShot(0, [&] { station.window().trayMenu()->actions().at(2)->trigger(); });
        QTimer::singleShot(10000, [] { QCoreApplication::exit(1); });
        QCOMPARE(QApplication::exec(), 0);

        QVERIFY(boxes.messages().isEmpty());
        QVERIFY(station.form().exiting);
        QVERIFY(!station.window().trayIcon()->isVisible());
        QVERIFY(!station.shell->minuteTimer().enabled());
        QVERIFY(!station.shell->weightTimer().enabled());
        QVERIFY(!AutoRunConfig);
        QVERIFY(station.processes.launched.empty());
        // The window is left as it was: no close, so no closing line either.
        QVERIFY(station.window().isVisible());
        QCOMPARE(station.logLines(), before);
    }

    // The start-up sequence's error box runs a loop of its own before the main one begins; an
    // Exit chosen from the tray meanwhile must still end the run.
    void exitFromTheStartUpErrorBoxEndsTheRun() {
        ShellStation station;
        station.window().setQuitHandler({});
        station.start();
        QTimer::singleShot(0, [&] { station.window().trayMenu()->actions().at(2)->trigger(); });
        station.window().showMessageBox("start-up failed");
        QVERIFY(station.form().exiting);

        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
        guard.start(5000);
        const int code = station.shell->run();
        // Until a main loop has run, Qt ends every later loop at once (the next tests' boxes).
        QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
        QCOMPARE(code, 0);
    }

    void paneKeepsNewestFirstAndCutsBackTo201() {
        ShellStation station;
        station.start();
        const int startLines = station.window().pane()->document()->blockCount();
        for (int i = startLines; i < 500; ++i)
            station.form().ShowMsg("line " + std::to_string(i));
        QCOMPARE(station.window().pane()->document()->blockCount(), 500);

        station.form().ShowMsg("newest");
        const QStringList lines = station.paneLines();
        QCOMPARE(lines.size(), 201);
        QCOMPARE(lines.first(), u("24-09-14 08:05:03 newest"));
        QCOMPARE(lines.last(), u("24-09-14 08:05:03 line 300"));
    }

    void paneTurnsWhiteWhileFocused() {
        ShellStation station;
        station.start(false);
        MainWindow& window = station.window();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QPlainTextEdit* pane = window.pane();
        QWidget* button = station.child<QPushButton>("BtnTestComm");
        const QColor idle = QApplication::palette().color(QPalette::ToolTipBase);
        QCOMPARE(pane->palette().color(QPalette::Base), idle);
        pane->setFocus();
        QTRY_COMPARE(pane->palette().color(QPalette::Base), QColor(Qt::white));
        button->setFocus();
        QTRY_COMPARE(pane->palette().color(QPalette::Base), idle);
    }

    void weightPanelAndStartupFolderOpenFolders() {
        ShellStation station;
        station.start();
        QTest::mouseClick(station.window().weightPanel(), Qt::LeftButton);
        station.click("SpeedButton2");
        QCOMPARE(
            station.processes.opened,
            (std::vector<std::string>{station.folder.file("Log/Debug"), "/etc/xdg/autostart"}));
    }

    // Each case starts from a configuration with everything off and paths "before", and the
    // page as the operator left it; the first failing check ends the Save.
    void saveChecksInOrderAndTakesOverUpToTheFailure() {
        struct Row {
            const char* check;
            const char* edit;
            bool TAutoRunConfig::*enable;
            std::string TAutoRunConfig::*path;
        };
        const Row rows[] = {
            {"edt_autoWeightEnable", "edt_autoWeightPath", &TAutoRunConfig::autoWeightEnable,
             &TAutoRunConfig::autoWeightPath},
            {"edt_autoDoorEnable", "edt_autoDoorPath", &TAutoRunConfig::autoDoorEnable,
             &TAutoRunConfig::autoDoorPath},
            {"edt_monitorCentorEnable", "edt_monitorCentorPath",
             &TAutoRunConfig::monitorCentorEnable, &TAutoRunConfig::monitorCentorPath},
            {"edt_autoBeltEnable", "edt_autoBeltPath", &TAutoRunConfig::autoBeltEnable,
             &TAutoRunConfig::autoBeltPath},
            {"edt_nginxEnable", "edt_nginxPath", &TAutoRunConfig::nginxEnable,
             &TAutoRunConfig::nginxPath},
            {"edt_carCameraEnable", "edt_carCameraPath", &TAutoRunConfig::carCameraEnable,
             &TAutoRunConfig::carCameraPath},
        };
        struct Case {
            const char* name;
            bool commExeThere;
            bool commEnable;
            // Per row in configuration order: unchecked, or checked with this edit text
            // ("@" stands for an existing file of the station).
            std::vector<std::pair<bool, const char*>> page;
            const char* message;  // nullptr: the Save goes through
            int takenOver;        // rows taken over before the failure (-1: not even switches)
        };
        const Case cases[] = {
            {"comm service missing", false, true, {{true, "@"}}, "veskComm不存在！", -1},
            {"weight blank",
             true,
             true,
             {{true, "   "}},
             "计量服务(veskAutoWeight)自启动，绝对路径不能为空！",
             0},
            {"door missing file",
             true,
             false,
             {{true, "@"}, {true, "/no/such.exe"}},
             "门禁服务(veskAutoDoor)自启动，绝对路径不存在！错误",
             1},
            {"nginx missing file",
             true,
             false,
             {{false, ""},
              {true, "@"},
              {false, "junk"},
              {true, "@"},
              {true, "/no/nginx"},
              {true, "@"}},
             "nginx自启动，绝对路径不存在！错误",
             4},
            {"camera blank",
             true,
             false,
             {{false, ""}, {false, ""}, {false, ""}, {false, ""}, {false, ""}, {true, ""}},
             "抓拍服务自启动，绝对路径不能为空！",
             5},
            {"monitor is a folder",
             true,
             false,
             {{false, ""}, {false, ""}, {true, "/tmp"}},
             "监控中心服务(veskMonitorCentor)自启动，绝对路径不存在！错误",
             2},
            {"unchecked rows take any path",
             true,
             false,
             {{false, "  /wrong/path  "}, {false, ""}, {false, "x"}},
             nullptr,
             6},
            {"everything valid",
             true,
             true,
             {{true, "@"}, {true, "@"}, {true, "@"}, {true, "@"}, {true, "@"}, {true, "@"}},
             nullptr,
             6},
        };

        for (const Case& c : cases) {
            ShellStation station;
            const std::string existing = station.folder.file("programs/app.exe");
            writeFile(existing, "x");
            if (c.commExeThere)
                writeFile(station.folder.file("veskComm.exe"), "x");
            station.start();
            TAutoRunConfig& config = *AutoRunConfig;
            for (const Row& row : rows)
                config.*row.path = "before";

            station.child<QCheckBox>("edt_commEnable")->setChecked(c.commEnable);
            station.child<QCheckBox>("edt_commTimer")->setChecked(true);
            std::vector<std::string> typed;
            for (std::size_t i = 0; i < std::size(rows); ++i) {
                const bool checked = i < c.page.size() && c.page[i].first;
                std::string text = i < c.page.size() ? c.page[i].second : "";
                if (text == "@")
                    text = "  " + existing + " ";
                typed.push_back(text);
                station.child<QCheckBox>(rows[i].check)->setChecked(checked);
                station.child<QLineEdit>(rows[i].edit)->setText(QString::fromStdString(text));
            }

            ModalAnswerer boxes;
            station.click("BtnSaveAutoConfig");

            const QByteArray label = c.name;
            QCOMPARE(boxes.messages(), c.message ? QStringList{box(c.message)} : QStringList{});
            QCOMPARE(config.commTimer, c.takenOver >= 0);
            QCOMPARE(config.commEnable, c.takenOver >= 0 && c.commEnable);
            for (std::size_t i = 0; i < std::size(rows); ++i) {
                const bool takenOver = static_cast<int>(i) < c.takenOver;
                const bool checked = i < c.page.size() && c.page[i].first;
                QVERIFY2(config.*rows[i].enable == (takenOver && checked), label);
                const std::string expected = takenOver ? trimText(typed[i]) : "before";
                QVERIFY2(config.*rows[i].path == expected, label + " " + rows[i].edit);
                // The edits keep what the operator typed, blanks included.
                QCOMPARE(station.child<QLineEdit>(rows[i].edit)->text().toStdString(), typed[i]);
            }
            const bool saved = c.message == nullptr;
            QVERIFY2(fileExists(config.iniPath()) == saved, label);
            const QString top = station.paneLines().first().mid(18);
            QVERIFY2(top.startsWith(u("更新配置成功")) == saved, label);
        }
    }

    void saveSummarisesWhatIsMonitored() {
        ShellStation station;
        const std::string program = station.folder.file("w.exe");
        writeFile(program, "x");
        station.start();
        station.child<QCheckBox>("edt_autoWeightEnable")->setChecked(true);
        station.child<QLineEdit>("edt_autoWeightPath")->setText(QString::fromStdString(program));
        station.child<QCheckBox>("edt_nginxEnable")->setChecked(true);
        station.child<QLineEdit>("edt_nginxPath")->setText(QString::fromStdString(program));
        station.click("BtnSaveAutoConfig");
        QCOMPARE(station.paneLines().first(),
                 u("24-09-14 08:05:03 更新配置成功计量服务(veskAutoWeight),Nginx 等实时监控服务!"));

        station.child<QCheckBox>("edt_autoWeightEnable")->setChecked(false);
        station.child<QCheckBox>("edt_nginxEnable")->setChecked(false);
        station.click("BtnSaveAutoConfig");
        QCOMPARE(station.paneLines().first(), u("24-09-14 08:05:03 更新配置成功"));
        QCOMPARE(station.logLines().last(), u("更新配置成功"));
    }

    void saveThatCannotWriteSaysSoAndNamesTheFile() {
        ShellStation station;
        station.start();
        // A folder where the file belongs: no write can succeed, whoever runs the test.
        QVERIFY(forceFolders(AutoRunConfig->iniPath()));
        station.click("BtnSaveAutoConfig");
        const QString top = station.paneLines().first();
        QVERIFY2(!top.contains(u("更新配置成功")), qPrintable(top));
        QVERIFY2(top.contains(u("更新配置失败")), qPrintable(top));
        QVERIFY2(top.contains(QString::fromStdString(AutoRunConfig->iniPath())), qPrintable(top));
    }

    void defaultPathButtonsFillTheirEdit_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("file");
        QTest::newRow("weight") << "BtnWeight"
                                << "edt_autoWeightPath"
                                << "veskAutoWeight.exe";
        QTest::newRow("door") << "BtnDoor"
                              << "edt_autoDoorPath"
                              << "veskAutoDoor.exe";
        QTest::newRow("monitor") << "BtnMonitorCentor"
                                 << "edt_monitorCentorPath"
                                 << "veskMonitorCentor.exe";
        QTest::newRow("belt") << "BtnBelt"
                              << "edt_autoBeltPath"
                              << "veskAutoBelt.exe";
    }

    void defaultPathButtonsFillTheirEdit() {
        QFETCH(QString, button);
        QFETCH(QString, edit);
        QFETCH(QString, file);
        ShellStation station;
        // The site's prefix never counts here: the program's own folder does.
        writeFile(station.folder.file("bin/FormLayout.ini"),
                  "[FRMVESKCOMMSTARTUP]\r\nVPB_PREFIXPATH=/elsewhere/\r\n");
        station.start();
        auto* check = station.child<QCheckBox>("edt_autoWeightEnable");
        station.click(button.toUtf8().constData());
        QCOMPARE(station.child<QLineEdit>(edit.toUtf8().constData())->text(),
                 QString::fromStdString(station.folder.file(file.toStdString())));
        QVERIFY(!check->isChecked());
    }

    void browseFillsTheEditOrKeepsItWhenCancelled() {
        ShellStation station;
        station.start();
        const std::string chosen = station.folder.file("tools/nginx.exe");
        writeFile(chosen, "x");
        auto* nginx = station.child<QLineEdit>("edt_nginxPath");
        auto* camera = station.child<QLineEdit>("edt_carCameraPath");
        nginx->setText(u("old"));
        camera->setText(u("keep me"));

        QString openedOn;
        {
            ModalAnswerer answer([&](QWidget* dialog) {
                auto* files = qobject_cast<QFileDialog*>(dialog);
                files->selectFile(QString::fromStdString(chosen));
                QMetaObject::invokeMethod(files, "accept");
            });
            station.click("edt_nginxPathBtn");
        }
        QCOMPARE(nginx->text(), QString::fromStdString(chosen));

        {
            ModalAnswerer answer([&](QWidget* dialog) {
                auto* files = qobject_cast<QFileDialog*>(dialog);
                openedOn = files->directory().absolutePath();
                files->reject();
            });
            station.click("edt_carCameraPathBtn");
        }
        QCOMPARE(camera->text(), u("keep me"));
        // One dialog serves every row, so it opens where the last choice was made.
        QCOMPARE(openedOn, QString::fromStdString(station.folder.file("tools")));
        QVERIFY(!AutoRunConfig->nginxEnable);
        QVERIFY(AutoRunConfig->nginxPath.empty());
    }
};

QTEST_MAIN(ShellWindowTest)
#include "ShellWindowTest.moc"
