#include "app/qt/MainWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCursor>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

#include "app/UFrmVeskCommStartup.h"
#include "app/qt/StationFonts.h"

namespace vesk {

namespace {

constexpr int kStatusBarHeight = 19;
constexpr int kBottomBarHeight = 100;
constexpr int kSettingsFontPx = 15;

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

QColor fromWindowsColour(std::uint32_t colour) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

void setTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::ButtonText, colour);
    palette.setColor(QPalette::Text, colour);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, colour.lighter(160));
    widget->setPalette(palette);
}

QPushButton* makeButton(QWidget* parent, const char* name, const char* caption, QColor colour,
                        int pixelSize) {
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QString::fromUtf8(name));
    button->setFont(stationFont(pixelSize, true));
    setTextColour(button, colour);
    return button;
}

// A drawn icon, so the program needs no image files beside it.
QIcon makeStationIcon() {
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0, 90, 200));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(2, 2, 60, 60, 12, 12);
    painter.setPen(Qt::white);
    painter.setFont(stationFont(44, true));
    painter.drawText(pixmap.rect(), Qt::AlignCenter, QString::fromUtf8("磅"));
    return QIcon(pixmap);
}

}  // namespace

void ClickablePanel::mousePressEvent(QMouseEvent* event) {
    QLabel::mousePressEvent(event);
    emit clicked();
}

MainWindow::MainWindow() {
    setObjectName(QStringLiteral("FrmVeskCommStartup"));
    setWindowTitle(QString::fromUtf8("地磅启动服务"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(kClientWidth, kClientHeight);
    setFont(stationFont(20));
    setWindowIcon(makeStationIcon());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    buildBody();
    buildStatusBar();
    buildOverlay();
    buildTray();
}

MainWindow::~MainWindow() {
    if (tray_)
        tray_->hide();
}

void MainWindow::buildBody() {
    body_ = new QFrame(this);
    body_->setObjectName(QStringLiteral("PnlBody"));
    body_->setGeometry(0, 0, kClientWidth, kClientHeight - kStatusBarHeight);
    body_->setFrameStyle(QFrame::Box | QFrame::Sunken);
    body_->setAutoFillBackground(true);
    QPalette white = body_->palette();
    white.setColor(QPalette::Window, Qt::white);
    body_->setPalette(white);

    pages_ = new QTabWidget(body_);
    pages_->setObjectName(QStringLiteral("RzPageControl1"));
    pages_->setGeometry(body_->contentsRect().adjusted(1, 1, -1, -1));
    activityPage_ = buildActivityPage();
    pages_->addTab(activityPage_, QString::fromUtf8("首页日志"));
    pages_->addTab(buildSettingsPage(), QString::fromUtf8("开机自启动"));
}

QWidget* MainWindow::buildActivityPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet1"));
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    pane_ = new QPlainTextEdit(page);
    pane_->setObjectName(QStringLiteral("edt_memo"));
    pane_->setReadOnly(true);
    pane_->setUndoRedoEnabled(false);
    pane_->setFont(stationFont(20, true));
    pane_->setFocusPolicy(Qt::StrongFocus);
    pane_->installEventFilter(this);
    setPaneFocused(false);
    column->addWidget(pane_, 1);

    auto* bar = new QWidget(page);
    bar->setObjectName(QStringLiteral("PnlBottom"));
    bar->setFixedHeight(kBottomBarHeight);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(16);

    weightValue_ = new ClickablePanel(QStringLiteral("0 Kg"), bar);
    weightValue_->setObjectName(QStringLiteral("edt_weightValue"));
    weightValue_->setFixedSize(143, kBottomBarHeight);
    weightValue_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    weightValue_->setAlignment(Qt::AlignCenter);
    weightValue_->setFont(stationFont(22, true));
    weightValue_->setCursor(Qt::PointingHandCursor);
    setTextColour(weightValue_, Qt::black);
    row->addWidget(weightValue_);

    btnTestComm_ = makeButton(bar, "BtnTestComm", "地磅服务重启", Qt::blue, 20);
    btnTestComm_->setFixedSize(170, 57);
    btnOpenComm_ = makeButton(bar, "BtnOpenComm", "定时服务已启动", Qt::red, 20);
    btnOpenComm_->setFixedSize(180, 57);
    btnOpenComm_->setEnabled(false);
    btnCloseComm_ = makeButton(bar, "BtnCloseComm", "手工关闭服务veskComm", Qt::red, 20);
    btnCloseComm_->setFixedSize(250, 57);
    row->addWidget(btnTestComm_);
    row->addWidget(btnOpenComm_);
    row->addWidget(btnCloseComm_);
    row->addStretch(1);

    auto* rightPanel = new QFrame(bar);
    rightPanel->setObjectName(QStringLiteral("PnlMIni"));
    rightPanel->setFixedSize(160, kBottomBarHeight);
    btnMIni_ = makeButton(rightPanel, "BtnMIni", "右下角图标", Qt::black, 20);
    btnMIni_->setGeometry(10, 21, 140, 57);
    row->addWidget(rightPanel);

    column->addWidget(bar);
    return page;
}

MainWindow::PathRow MainWindow::addPathRow(QGroupBox* group, PathEdit which, const char* name,
                                           const char* check, const char* label, int checkLeft,
                                           int checkWidth, int top) {
    PathRow& r = row(which);
    const QString base = QString::fromUtf8(name);
    r.enable = new QCheckBox(QString::fromUtf8(check), group);
    r.enable->setObjectName(base + QStringLiteral("Enable"));
    r.enable->setGeometry(checkLeft, top + 4, checkWidth, 20);

    r.label = new QLabel(QString::fromUtf8(label), group);
    r.label->setObjectName(base + QStringLiteral("PathLabel"));
    setTextColour(r.label, Qt::blue);
    const int labelWidth = r.label->fontMetrics().horizontalAdvance(r.label->text()) + 4;
    r.label->setGeometry(246 - labelWidth, top, labelWidth, 27);
    r.label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    constexpr int kEditWidth = 615;
    constexpr int kBrowseWidth = 40;
    r.edit = new QLineEdit(group);
    r.edit->setObjectName(base + QStringLiteral("Path"));
    r.edit->setGeometry(250, top, kEditWidth - kBrowseWidth, 27);
    r.label->setBuddy(r.edit);
    // Enter moves on to the next control, as the operator fills the rows one after the other.
    connect(r.edit, &QLineEdit::returnPressed, this, [edit = r.edit] {
        if (QWidget* next = edit->nextInFocusChain())
            next->setFocus(Qt::TabFocusReason);
    });

    r.browse = new QPushButton(QString::fromUtf8("选"), group);
    r.browse->setObjectName(base + QStringLiteral("PathBtn"));
    r.browse->setGeometry(250 + kEditWidth - kBrowseWidth, top, kBrowseWidth, 27);
    connect(r.browse, &QPushButton::clicked, this, [this, which] {
        if (form_)
            form_->browseForPath(which);
    });
    return r;
}

QPushButton* MainWindow::addDefaultPathButton(QGroupBox* group, const char* name,
                                              const char* caption, int top) {
    auto* button = new QPushButton(QString::fromUtf8(caption), group);
    button->setObjectName(QString::fromUtf8(name));
    button->setGeometry(890, top, 80, 22);
    return button;
}

QWidget* MainWindow::buildSettingsPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet2"));
    page->setFont(stationFont(kSettingsFontPx));
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* top = new QWidget(page);
    auto* tools = new QGroupBox(QString::fromUtf8("工具"), top);
    tools->setObjectName(QStringLiteral("GroupBox1"));
    tools->setGeometry(30, 20, 905, 293);
    addPathRow(tools, PathEdit::Nginx, "edt_nginx", "Nginx启动", "Nginx路径", 50, 100, 26);
    addPathRow(tools, PathEdit::CarCamera, "edt_carCamera", "抓拍启动", "抓拍路径", 50, 100, 66);
    column->addWidget(top, 1);

    auto* weighing = new QGroupBox(QString::fromUtf8("地磅服务"), page);
    weighing->setObjectName(QStringLiteral("GroupBox2"));
    weighing->setFixedHeight(230);
    addPathRow(weighing, PathEdit::AutoWeight, "edt_autoWeight", "过磅启动", "weight路径", 40, 88,
               26);
    addPathRow(weighing, PathEdit::AutoDoor, "edt_autoDoor", "门禁启动", "door路径", 40, 100, 66);
    addPathRow(weighing, PathEdit::MonitorCentor, "edt_monitorCentor", "监控中心启动", "大厅路径",
               40, 121, 106);
    addPathRow(weighing, PathEdit::AutoBelt, "edt_autoBelt", "流量秤启动", "belt路径", 40, 100,
               146);
    btnWeight_ = addDefaultPathButton(weighing, "BtnWeight", "同计量", 30);
    btnDoor_ = addDefaultPathButton(weighing, "BtnDoor", "同门禁", 70);
    btnMonitorCentor_ = addDefaultPathButton(weighing, "BtnMonitorCentor", "同监控厅", 110);
    btnBelt_ = addDefaultPathButton(weighing, "BtnBelt", "同流量秤", 150);
    commEnable_ = new QCheckBox(QString::fromUtf8("地磅重量服务启动"), weighing);
    commEnable_->setObjectName(QStringLiteral("edt_commEnable"));
    commEnable_->setGeometry(40, 190, 160, 20);
    setTextColour(commEnable_, Qt::red);
    commTimer_ = new QCheckBox(QString::fromUtf8("地磅重量数值日志"), weighing);
    commTimer_->setObjectName(QStringLiteral("edt_commTimer"));
    commTimer_->setGeometry(250, 190, 160, 20);
    setTextColour(commTimer_, Qt::blue);
    column->addWidget(weighing);

    auto* bar = new QWidget(page);
    bar->setObjectName(QStringLiteral("PnlSettingsBottom"));
    bar->setFixedHeight(kBottomBarHeight);
    btnSaveAutoConfig_ = makeButton(bar, "BtnSaveAutoConfig", "保存配置", Qt::blue, 20);
    btnSaveAutoConfig_->setGeometry(30, 20, 145, 57);
    speedButton2_ = makeButton(bar, "SpeedButton2", "Win10启动目录", Qt::black, 20);
    speedButton2_->setGeometry(210, 20, 150, 57);
    column->addWidget(bar);
    return page;
}

void MainWindow::buildStatusBar() {
    statusBar_ = new QStatusBar(this);
    statusBar_->setObjectName(QStringLiteral("RzStatusBar1"));
    statusBar_->setSizeGripEnabled(false);
    statusBar_->setGeometry(0, kClientHeight - kStatusBarHeight, kClientWidth, kStatusBarHeight);
    statusBar_->setFont(stationFont(13));
    versionField_ = new QLabel(QString::fromUtf8("版本 "), statusBar_);
    versionField_->setObjectName(QStringLiteral("RzFieldStatus1"));
    versionField_->setMinimumWidth(160);
    timeField_ = new QLabel(QString::fromUtf8("上次更新时间为"), statusBar_);
    timeField_->setObjectName(QStringLiteral("RzFieldStatus2"));
    setTextColour(timeField_, Qt::red);
    contactField_ = new QLabel(QString::fromUtf8("如需帮助，请联系系统管理员 "), statusBar_);
    contactField_->setObjectName(QStringLiteral("RzFieldContact"));
    contactField_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    statusBar_->addWidget(versionField_);
    statusBar_->addWidget(timeField_, 1);
    statusBar_->addPermanentWidget(contactField_);
}

void MainWindow::buildOverlay() {
    overlay_ = new QFrame(body_);
    overlay_->setObjectName(QStringLiteral("PnlShow"));
    overlay_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    overlay_->setLineWidth(2);
    overlay_->setAutoFillBackground(true);
    overlay_->setGeometry((body_->width() - 412) / 2, (body_->height() - 81) / 2, 412, 81);
    overlayLabel_ = new QLabel(QString::fromUtf8("正在处理数据，请稍等......"), overlay_);
    overlayLabel_->setObjectName(QStringLiteral("LblShow"));
    overlayLabel_->setFont(stationFont(18, true));
    overlayLabel_->setAlignment(Qt::AlignCenter);
    overlayLabel_->setWordWrap(true);
    overlayLabel_->setGeometry(overlay_->contentsRect().adjusted(4, 2, -4, -2));
    overlay_->hide();
}

void MainWindow::buildTray() {
    trayMenu_ = new QMenu(this);
    trayMenu_->setObjectName(QStringLiteral("TrayPopMenu"));
    trayMenu_->setFont(stationFont(16));
    QAction* show = trayMenu_->addAction(QString::fromUtf8("显示主界面"));
    show->setObjectName(QStringLiteral("N1"));
    QAction* hide = trayMenu_->addAction(QString::fromUtf8("隐藏主界面"));
    hide->setObjectName(QStringLiteral("N2"));
    QAction* quit = trayMenu_->addAction(QString::fromUtf8("退出"));
    quit->setObjectName(QStringLiteral("N3"));

    tray_ = new QSystemTrayIcon(windowIcon(), this);
    tray_->setToolTip(QString::fromUtf8("【地磅启动服务】"));
}

void MainWindow::attach(TFrmVeskCommStartup& form) {
    form_ = &form;
    connectToForm();
}

void MainWindow::forward(QAction* item, void (TFrmVeskCommStartup::*handler)()) {
    connect(item, &QAction::triggered, this, [this, handler] { callForm(handler); });
}

void MainWindow::forward(QAbstractButton* button, void (TFrmVeskCommStartup::*handler)()) {
    connect(button, &QAbstractButton::clicked, this, [this, handler] { callForm(handler); });
}

void MainWindow::callForm(void (TFrmVeskCommStartup::*handler)()) {
    if (form_)
        (form_->*handler)();
}

void MainWindow::connectToForm() {
    const QList<QAction*> items = trayMenu_->actions();
    forward(items.at(0), &TFrmVeskCommStartup::N1Click);
    forward(items.at(1), &TFrmVeskCommStartup::N2Click);
    forward(items.at(2), &TFrmVeskCommStartup::N3Click);
    connect(
        tray_, &QSystemTrayIcon::activated, this,
        [this](QSystemTrayIcon::ActivationReason why) { trayActivated(static_cast<int>(why)); });
    connect(weightValue_, &ClickablePanel::clicked, this,
            [this] { callForm(&TFrmVeskCommStartup::edt_weightValueClick); });
    forward(btnTestComm_, &TFrmVeskCommStartup::BtnTestCommClick);
    forward(btnOpenComm_, &TFrmVeskCommStartup::BtnOpenCommClick);
    forward(btnCloseComm_, &TFrmVeskCommStartup::BtnCloseCommClick);
    forward(btnMIni_, &TFrmVeskCommStartup::BtnMIniClick);
    forward(btnSaveAutoConfig_, &TFrmVeskCommStartup::BtnSaveAutoConfigClick);
    forward(speedButton2_, &TFrmVeskCommStartup::SpeedButton2Click);
    forward(btnWeight_, &TFrmVeskCommStartup::BtnWeightClick);
    forward(btnDoor_, &TFrmVeskCommStartup::BtnDoorClick);
    forward(btnMonitorCentor_, &TFrmVeskCommStartup::BtnMonitorCentorClick);
    forward(btnBelt_, &TFrmVeskCommStartup::BtnBeltClick);
}

void MainWindow::trayActivated(int reason) {
    if (!form_)
        return;
    switch (static_cast<QSystemTrayIcon::ActivationReason>(reason)) {
        case QSystemTrayIcon::Trigger:
            form_->WMTrayIcon(TrayMouse::LeftDown);
            break;
        case QSystemTrayIcon::DoubleClick:
            form_->WMTrayIcon(TrayMouse::LeftDoubleClick);
            break;
        case QSystemTrayIcon::Context:
            form_->WMTrayIcon(TrayMouse::RightDown);
            break;
        default:
            form_->WMTrayIcon(TrayMouse::Other);
            break;
    }
}

void MainWindow::showFromOutside() {
    showNormal();
    raise();
    activateWindow();
}

bool MainWindow::trayAvailable() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (form_ && form_->FormCloseQuery()) {
        form_->FormClose();
        event->accept();
        return;
    }
    event->ignore();
}

void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (!form_)
        return;
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized)) {
        // The window is never left minimised: it goes to the tray instead.
        setWindowState(windowState() & ~Qt::WindowMinimized);
        form_->WMSysCommandMinimise();
    } else if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        form_->FormActivate();
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == pane_ && event->type() == QEvent::FocusIn)
        setPaneFocused(true);
    else if (watched == pane_ && event->type() == QEvent::FocusOut)
        setPaneFocused(false);
    return QWidget::eventFilter(watched, event);
}

void MainWindow::setPaneFocused(bool focused) {
    QPalette palette = pane_->palette();
    const QColor idle = QApplication::palette().color(QPalette::ToolTipBase);
    palette.setColor(QPalette::Base, focused ? QColor(Qt::white) : idle);
    pane_->setPalette(palette);
}

void MainWindow::setVersionText(const std::string& text) {
    versionField_->setText(QString::fromUtf8("版本 ") + qs(text));
    versionField_->repaint();
}

void MainWindow::setStatusTime(const std::string& text) {
    timeField_->setText(QString::fromUtf8("上次更新时间为") + qs(text));
    timeField_->repaint();
}

void MainWindow::setWeightCaption(const std::string& caption) {
    weightValue_->setText(qs(caption));
    weightValue_->repaint();
}

void MainWindow::setWeightColour(std::uint32_t colour) {
    setTextColour(weightValue_, fromWindowsColour(colour));
    weightValue_->repaint();
}

void MainWindow::paneInsertTop(const std::string& line) {
    QTextDocument* document = pane_->document();
    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::Start);
    if (document->isEmpty()) {
        cursor.insertText(qs(line));
        return;
    }
    cursor.insertText(qs(line));
    cursor.insertBlock();
}

void MainWindow::paneRemoveOldest(int count) {
    QTextDocument* document = pane_->document();
    if (count <= 0)
        return;
    if (count >= document->blockCount()) {
        pane_->clear();
        return;
    }
    const QTextBlock firstGone = document->findBlockByNumber(document->blockCount() - count);
    QTextCursor cursor(document);
    // From the line break that ends the last kept line to the end.
    cursor.setPosition(firstGone.position() - 1);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    pane_->viewport()->repaint();
}

void MainWindow::setOverlayText(const std::string& text) {
    overlayLabel_->setText(qs(text));
    overlayLabel_->repaint();
}

void MainWindow::setOverlayVisible(bool visible) {
    overlay_->setVisible(visible);
    overlay_->raise();
    if (visible)
        overlay_->repaint();
    else
        body_->repaint();
}

void MainWindow::setOpenCommButton(const std::string& caption, bool enabled) {
    btnOpenComm_->setText(qs(caption));
    btnOpenComm_->setEnabled(enabled);
    btnOpenComm_->repaint();
}

void MainWindow::setCloseCommEnabled(bool enabled) {
    btnCloseComm_->setEnabled(enabled);
    btnCloseComm_->repaint();
}

void MainWindow::selectActivityPage() {
    pages_->setCurrentWidget(activityPage_);
}

AutoStartPage MainWindow::readSettingsPage() const {
    AutoStartPage page;
    page.commEnable = commEnable_->isChecked();
    page.commTimer = commTimer_->isChecked();
    for (const AutoStartRow& pageRow : kAutoStartRows) {
        page.*pageRow.enable = row(pageRow.edit).enable->isChecked();
        page.*pageRow.path = pathEditText(pageRow.edit);
    }
    return page;
}

void MainWindow::fillSettingsPage(const AutoStartPage& page) {
    commEnable_->setChecked(page.commEnable);
    commTimer_->setChecked(page.commTimer);
    for (const AutoStartRow& pageRow : kAutoStartRows) {
        row(pageRow.edit).enable->setChecked(page.*pageRow.enable);
        setPathEditText(pageRow.edit, page.*pageRow.path);
    }
}

void MainWindow::setPathEditText(PathEdit edit, const std::string& text) {
    row(edit).edit->setText(qs(text));
}

std::string MainWindow::pathEditText(PathEdit edit) const {
    return row(edit).edit->text().toStdString();
}

void MainWindow::showMessageBox(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kApplicationTitle), qs(text),
                    QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("ShowMessage"));
    box.exec();
}

std::optional<std::string> MainWindow::browseForFile() {
    if (!openDialog_) {
        // One dialog for every row: it opens where the operator chose last time.
        openDialog_ = new QFileDialog(this);
        openDialog_->setObjectName(QStringLiteral("OpenDialog1"));
        openDialog_->setOption(QFileDialog::DontUseNativeDialog);
        openDialog_->setFileMode(QFileDialog::ExistingFile);
        openDialog_->setAcceptMode(QFileDialog::AcceptOpen);
    }
    if (openDialog_->exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = openDialog_->selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty())
        return std::nullopt;
    openDialog_->selectFile(chosen.first());
    return chosen.first().toStdString();
}

void MainWindow::showWindow() {
    show();
}

void MainWindow::hideWindow() {
    hide();
}

void MainWindow::bringToFront() {
    // Bringing forward never puts a hidden window on screen.
    if (!isVisible())
        return;
    raise();
    activateWindow();
}

void MainWindow::restoreWindow() {
    if (isVisible() && isMinimized())
        showNormal();
}

bool MainWindow::isMinimised() const {
    return isVisible() && isMinimized();
}

void MainWindow::disableCloseBox() {
    const bool wasVisible = isVisible();
    setWindowFlag(Qt::WindowCloseButtonHint, false);
    if (wasVisible)
        show();
}

bool MainWindow::addTrayIcon() {
    // Shown even without a tray host: Qt docks it as soon as one appears.
    tray_->show();
    return trayAvailable();
}

bool MainWindow::removeTrayIcon() {
    tray_->hide();
    return true;
}

void MainWindow::popupTrayMenuAtCursor() {
    trayMenu_->popup(QCursor::pos());
}

void MainWindow::quitApplication() {
    if (quit_) {
        quit_();
        return;
    }
    // exit(), not quit(): a quit first asks every window to close, and the window is not
    // closed on the way out.
    QCoreApplication::exit(0);
}

}  // namespace vesk
