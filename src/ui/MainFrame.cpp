#include "ui/MainFrame.h"

#include <QAction>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMenuBar>
#include <QSplitter>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWhatsThis>

#include "app/CZorlApp.h"
#include "app/Dump.h"
#include "common/Format.h"
#include "config/IniStore.h"
#include "config/Settings.h"
#include "platform/Platform.h"
#include "platform/qt/QtText.h"
#include "script/Timers.h"
#include "session/ServerConnection.h"
#include "ui/AboutBox.h"
#include "ui/ChildFrames.h"
#include "ui/HistorySearch.h"
#include "ui/QtWindowSurface.h"
#include "ui/TrayIcon.h"
#include "ui/ViewStyle.h"
#include "ui/WindowButtonBar.h"
#include "ui/WindowTree.h"
#include "ui/ZorlView.h"
#include "windows/WindowRegistry.h"

namespace zorl::ui {

namespace {

constexpr const char* kPosition = "POSITION";

std::size_t Slot(CMainFrame::Command command) { return static_cast<std::size_t>(command); }

struct ToolbarEntry {
    CMainFrame::Command command;
    const char* text;
    bool separatorBefore;
    bool hiddenAtCreation;
};

// In toolbar order; the tooltip is the button's text.
constexpr ToolbarEntry kToolbar[] = {
    {CMainFrame::Command::Connect, "Connect", false, false},
    {CMainFrame::Command::Disconnect, "Disconnect", false, true},
    {CMainFrame::Command::Properties, "Properties", true, false},
    {CMainFrame::Command::Servers, "Servers", false, false},
    {CMainFrame::Command::LaunchWebPage, "Launch Web Page", true, false},
    {CMainFrame::Command::Scripts, "Scripts", true, false},
    {CMainFrame::Command::LogFiles, "Log files", false, false},
    {CMainFrame::Command::About, "About", true, false},
    {CMainFrame::Command::DumpVariables, "Dump Variables", true, true},
    {CMainFrame::Command::DebugOn, "Debug On", false, true},
    {CMainFrame::Command::DebugOff, "Debug Off", false, true},
    {CMainFrame::Command::Test, "Test", false, true},
    {CMainFrame::Command::Test2, "Test2", false, true},
};

}  // namespace

CMainFrame::CMainFrame(QWidget* parent)
    : QMainWindow(parent),
      mdi_(new QMdiArea),
      buttons_(new CWindowButtonBar(nullptr)),
      tree_(new CWindowTree(nullptr)) {
    setWindowTitle(QStringLiteral("ZORL"));
    setWindowIcon(AppIcon());

    auto* centre = new QWidget(this);
    auto* layout = new QVBoxLayout(centre);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    // The tree of windows beside the frames; hidden unless the option is on.
    auto* split = new QSplitter(Qt::Horizontal, centre);
    split->setChildrenCollapsible(false);
    tree_->setParent(split);
    tree_->setMinimumWidth(100);
    tree_->hide();
    mdi_->setParent(split);
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    split->addWidget(tree_);
    split->addWidget(mdi_);
    split->setStretchFactor(1, 1);
    split->setSizes({160, 840});
    layout->addWidget(split, 1);
    buttons_->setParent(centre);
    layout->addWidget(buttons_);
    setCentralWidget(centre);

    BuildMenu();
    BuildToolbar();
    BuildAccelerators();
    resize(1000, 700);
}

void CMainFrame::Attach(CZorlApp* app, QtWindowSurface* surface) {
    app_ = app;
    surface_ = surface;
    if (app_ && !tray_) tray_ = new CTrayIcon(*this, *app_);
    buttons_->onClicked = [this](int n) {
        if (app_) app_->registry.ActivateButton(n);
    };
    tree_->onChosen = [this](FrameId frame) {
        if (surface_) surface_->Activate(frame);
    };
}

QAction* CMainFrame::ToolbarAction(Command command) const {
    return command < Command::kCount ? toolbar_actions_[Slot(command)] : nullptr;
}

QAction* CMainFrame::MenuAction(Command command) const {
    return command < Command::kCount ? menu_actions_[Slot(command)] : nullptr;
}

void CMainFrame::BuildMenu() {
    auto add = [this](QMenu* menu, Command command, const QString& text) {
        QAction* action = menu->addAction(text);
        connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
        menu_actions_[Slot(command)] = action;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    add(file, Command::Connect, QStringLiteral("Connect"));
    add(file, Command::Disconnect, QStringLiteral("Disconnect"));
    file->addSeparator();
    add(file, Command::Exit, QStringLiteral("E&xit"));
    QMenu* tools = menuBar()->addMenu(QStringLiteral("Tools"));
    add(tools, Command::Properties, QStringLiteral("Properties"));
    add(tools, Command::Servers, QStringLiteral("Servers"));
    add(tools, Command::NewCertificate, QStringLiteral("New client certificate..."));
    tools->addSeparator();
    add(tools, Command::SearchHistory, QStringLiteral("Search history..."));
    menu_actions_[Slot(Command::SearchHistory)]->setShortcut(
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    add(help, Command::HelpTopics, QStringLiteral("&Help Topics"));
    help->addSeparator();
    add(help, Command::About, QStringLiteral("&About Zorl..."));
    menu_actions_[Slot(Command::Disconnect)]->setEnabled(false);
}

void CMainFrame::BuildToolbar() {
    toolbar_ = addToolBar(QStringLiteral("Toolbar"));
    toolbar_->setObjectName(QStringLiteral("Toolbar"));
    toolbar_->setMovable(false);
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (const ToolbarEntry& entry : kToolbar) {
        if (entry.separatorBefore) toolbar_->addSeparator();
        const QString text = QString::fromLatin1(entry.text);
        QAction* action = toolbar_->addAction(text);
        action->setToolTip(text);
        action->setVisible(!entry.hiddenAtCreation);
        const Command command = entry.command;
        connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
        toolbar_actions_[Slot(command)] = action;
    }
}

void CMainFrame::BuildAccelerators() {
    auto add = [this](const QKeySequence& keys, auto handler) {
        auto* action = new QAction(this);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, handler);
        addAction(action);
    };
    auto nextPane = [this](bool backwards) {
        if (auto* frame = qobject_cast<CChildFrameBase*>(mdi_->activeSubWindow()))
            frame->FocusNextPane(backwards);
    };
    add(QKeySequence(Qt::Key_F6), [nextPane] { nextPane(false); });
    add(QKeySequence(Qt::SHIFT | Qt::Key_F6), [nextPane] { nextPane(true); });
    add(QKeySequence(Qt::CTRL | Qt::Key_F), [this] {
        if (auto* frame = qobject_cast<CChildFrameBase*>(mdi_->activeSubWindow()))
            frame->Output()->OpenFind();
    });
    // Through the windows in the tree's order, and to the next with news.
    auto step = [this](int by) {
        if (!app_) return;
        if (const FrameId to = tree_->Step(app_->registry.pLastFrm, by))
            app_->registry.SetActiveWindow(to);
    };
    add(QKeySequence(Qt::CTRL | Qt::Key_PageDown), [step] { step(1); });
    add(QKeySequence(Qt::CTRL | Qt::Key_PageUp), [step] { step(-1); });
    add(QKeySequence(Qt::ALT | Qt::Key_A), [this] {
        if (!app_) return;
        if (const FrameId news = tree_->NextWithNews(app_->registry.pLastFrm))
            app_->registry.SetActiveWindow(news);
    });
    add(QKeySequence(Qt::Key_F1), [this] { RunCommand(Command::HelpTopics); });
    add(QKeySequence(Qt::SHIFT | Qt::Key_F1), [] { QWhatsThis::enterWhatsThisMode(); });
}

void CMainFrame::SetConnectState(bool connectEnabled) {
    menu_actions_[Slot(Command::Connect)]->setEnabled(connectEnabled);
    menu_actions_[Slot(Command::Disconnect)]->setEnabled(!connectEnabled);
    QAction* connectButton = toolbar_actions_[Slot(Command::Connect)];
    QAction* disconnectButton = toolbar_actions_[Slot(Command::Disconnect)];
    connectButton->setVisible(connectEnabled);
    connectButton->setEnabled(connectEnabled);
    disconnectButton->setVisible(!connectEnabled);
    disconnectButton->setEnabled(!connectEnabled);
}

void CMainFrame::SetDebugState(bool debugOn) {
    debug_on_ = debugOn;
    toolbar_actions_[Slot(Command::DebugOn)]->setVisible(master_ && !debugOn);
    toolbar_actions_[Slot(Command::DebugOff)]->setVisible(debugOn);
}

void CMainFrame::ShowMasterButtons(bool master) {
    master_ = master;
    for (Command command : {Command::DumpVariables, Command::Test, Command::Test2})
        toolbar_actions_[Slot(command)]->setVisible(master);
    SetDebugState(debug_on_);
}

void CMainFrame::RunCommand(Command command) {
    emit commandTriggered(command);
    if (command == Command::Exit) {
        Quit();
        return;
    }
    if (command == Command::About) {
        CAboutDlg about(app_ ? &app_->platform.shell : nullptr, this);
        about.exec();
        return;
    }
    if (command == Command::HelpTopics) {
        ShowHelp();
        return;
    }
    if (!app_) return;
    switch (command) {
        case Command::Connect: app_->Connection().OnButtonConnect(); break;
        case Command::Disconnect: app_->Connection().OnButtonDisconnect(); break;
        case Command::Properties: app_->Properties(0); break;
        case Command::Scripts: app_->EditScripts(); break;
        case Command::LaunchWebPage: {
            CChildFrameBase* frame = surface_ ? surface_->ActiveFrame() : nullptr;
            if (frame) app_->OpenLink(qt::EncodeText(frame->Output()->SelectedText()));
            break;
        }
        case Command::LogFiles: app_->LogFiles(); break;
        case Command::Servers: app_->ChooseServer(); break;
        case Command::NewCertificate: app_->NewClientCertificate(); break;
        case Command::SearchHistory: ShowHistorySearch(QString()); break;
        case Command::DebugOn:
            app_->DebugOn();
            SetDebugState(true);
            break;
        case Command::DebugOff:
            app_->DebugOff();
            SetDebugState(false);
            break;
        case Command::Test: ShowScrollNumbers(); break;
        case Command::DumpVariables: DumpVariables(*app_); break;
        case Command::Test2: app_->timers.TimerInfo(); break;
        default: break;  // the rest were handled above
    }
}

void CMainFrame::ShowHistorySearch(const QString& text) {
    if (!app_) return;
    if (!search_) search_ = new CHistorySearch(*app_, this);
    search_->Search(text);
}

CHistorySearch* CMainFrame::HistorySearch() const { return search_.data(); }

void CMainFrame::ShowLineIn(FrameId frame, const QString& text) {
    if (!surface_) return;
    surface_->Activate(frame);
    surface_->Flush();  // the line may still wait in the pane's queue
    if (CChildFrameBase* child = surface_->Frame(frame)) child->Output()->Find(text, true);
}

void CMainFrame::ShowHelp() {
    const char* text =
        "Type a line in a window's input line and press Enter to send it to the channel or "
        "person of that window. A line that begins with / is a command, for example "
        "/join #channel or /msg nick text.\n\n"
        "Ctrl+B, Ctrl+U, Ctrl+R and Ctrl+O insert bold, underline, reverse and plain; Ctrl+K "
        "picks a colour. Up and Down recall earlier lines. Tab completes the nick you began to "
        "type; Ctrl+F finds text in the window, Ctrl+Shift+F in the history of every window. "
        "Ctrl+PageDown and Ctrl+PageUp go to the next and the previous window, Alt+A to the "
        "next one with news, F6 to the next pane.";
    if (app_) app_->platform.dialogs.MessageBox(text, BoxIcon::Information);
}

// The "Test" command: the scroll numbers of the last active window's pane.
void CMainFrame::ShowScrollNumbers() {
    CChildFrameBase* frame = surface_ ? surface_->ActiveFrame() : nullptr;
    if (!frame) return;
    const std::string name = app_->registry.GetNameByFrm(frame->Id());
    const CZorlView::ScrollNumbers s = frame->Output()->Scroll();
    app_->platform.dialogs.MessageBox(Format("%s:  pos=%d, lim=%d, max=%d, page=%d", name.c_str(),
                                             s.pos, s.limit, s.max, s.page));
}

// Written as the platform placement would be: flags, show state, the
// minimised and maximised positions (unused here: -1) and the normal
// rectangle with exclusive right and bottom.
void CMainFrame::SavePlacement() {
    if (!app_) return;
    CIniStore& ini = app_->ini;
    QRect normal = normalGeometry();
    if (!normal.isValid()) normal = geometry();
    const int showCmd = isMinimized() ? 2 : isMaximized() ? 3 : 1;
    ini.WriteInt(kPosition, "Flags", 0);
    ini.WriteInt(kPosition, "ShowCmd", showCmd);
    ini.WriteInt(kPosition, "Minx", -1);
    ini.WriteInt(kPosition, "Miny", -1);
    ini.WriteInt(kPosition, "Maxx", -1);
    ini.WriteInt(kPosition, "Maxy", -1);
    ini.WriteInt(kPosition, "Top", normal.top());
    ini.WriteInt(kPosition, "Left", normal.left());
    ini.WriteInt(kPosition, "Bottom", normal.top() + normal.height());
    ini.WriteInt(kPosition, "Right", normal.left() + normal.width());
    ini.WriteInt(kPosition, "Maximized", app_->registry.ShouldMaximize() ? 1 : 0);
}

void CMainFrame::RestorePlacement() {
    if (!app_) return;
    const CIniStore& ini = app_->ini;
    int showCmd = ini.ReadInt(kPosition, "ShowCmd", 0);
    const int top = ini.ReadInt(kPosition, "Top", 0);
    const int left = ini.ReadInt(kPosition, "Left", 0);
    const int bottom = ini.ReadInt(kPosition, "Bottom", 0);
    const int right = ini.ReadInt(kPosition, "Right", 0);
    if (showCmd != 3) showCmd = 1;
    if (top == 0 || left == 0 || bottom == 0 || right == 0) return;
    // A rectangle turned inside out by a hand-edited file is not applied.
    if (right <= left || bottom <= top) return;
    setGeometry(left, top, right - left, bottom - top);
    if (showCmd == 3)
        setWindowState(windowState() | Qt::WindowMaximized);
    else
        setWindowState(windowState() & ~Qt::WindowMaximized);
}

void CMainFrame::showEvent(QShowEvent* event) {
    if (!placement_restored_ && app_) {
        placement_restored_ = true;
        RestorePlacement();
    }
    QMainWindow::showEvent(event);
}

// While connected the engine first sends the QUIT and has the window wait
// for the server's close; it closes the window again when that came.
void CMainFrame::Quit() {
    quitting_ = true;
    close();
    quitting_ = false;  // a close that waits for the server comes back here
}

void CMainFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    const bool palette =
        event->type() == QEvent::ApplicationPaletteChange || event->type() == QEvent::PaletteChange;
    if (palette && app_) app_->FollowDesktopColours();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // Kept running in the tray: only the window goes.
    if (!quitting_ && app_ && app_->settings.TrayOnClose && tray_ && tray_->IsShown() &&
        !app_->Leaving()) {
        hide();
        event->ignore();
        return;
    }
    if (app_ && !app_->OnMainClose()) {
        event->ignore();
        return;
    }
    if (app_) {
        SavePlacement();
        app_->CloseAllWindows();
    }
    event->accept();
}

}  // namespace zorl::ui
