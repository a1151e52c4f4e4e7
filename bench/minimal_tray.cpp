// The smallest Qt tray program: an icon with a one-item menu and nothing else. The footprint
// script runs it beside the supervisor as the floor any Qt tray program pays.
#include <QApplication>
#include <QMenu>
#include <QPixmap>
#include <QSystemTrayIcon>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::darkBlue);
    QSystemTrayIcon tray{QIcon(pixmap)};
    QMenu menu;
    QObject::connect(menu.addAction(QStringLiteral("Quit")), &QAction::triggered, &app,
                     &QApplication::quit);
    tray.setContextMenu(&menu);
    tray.setToolTip(QStringLiteral("minimal tray"));
    tray.show();
    return QApplication::exec();
}
