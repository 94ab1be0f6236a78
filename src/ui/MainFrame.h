// The main window: menu, toolbar, the MDI area with the child frames and the
// window-button bar along the bottom. It keeps its placement in section
// POSITION of zorl.ini and hands every command to the engine.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <array>

#include "common/SharedTypes.h"

class QAction;
class QMdiArea;
class QToolBar;

namespace zorl {
class CZorlApp;
}

namespace zorl::ui {

class CWindowButtonBar;
class CWindowTree;
class CHistorySearch;
class CTrayIcon;
class QtWindowSurface;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    // Menu and toolbar commands. The toolbar holds them in this order from
    // Connect to Test2.
    enum class Command {
        Connect,
        Disconnect,
        Properties,
        Servers,
        NewCertificate,
        LaunchWebPage,
        Scripts,
        LogFiles,
        About,
        DumpVariables,
        DebugOn,
        DebugOff,
        Test,
        Test2,
        Exit,
        HelpTopics,
        SearchHistory,
        kCount
    };

    explicit CMainFrame(QWidget* parent = nullptr);

    // The engine behind the commands (null: commands do nothing).
    void Attach(CZorlApp* app, QtWindowSurface* surface);

    QMdiArea* Mdi() const { return mdi_; }
    CWindowButtonBar* Buttons() const { return buttons_; }
    CWindowTree* Tree() const { return tree_; }
    QToolBar* Toolbar() const { return toolbar_; }
    QAction* ToolbarAction(Command command) const;
    QAction* MenuAction(Command command) const;

    // Connect shown and enabled while not connected, Disconnect otherwise.
    void SetConnectState(bool connectEnabled);
    // Debug On / Debug Off show the switch's other state.
    void SetDebugState(bool debugOn);
    // USER/Master: the debug entries of the toolbar.
    void ShowMasterButtons(bool master);

    void RunCommand(Command command);

    // The tray icon, made with the engine (null before).
    CTrayIcon* Tray() const { return tray_; }
    // Closes the main window and ends the program even when closing would
    // only hide it in the tray.
    void Quit();

    // The history search window, made at first use and kept.
    void ShowHistorySearch(const QString& text);
    CHistorySearch* HistorySearch() const;
    // A stored line's window brought forward, with the line found in it.
    void ShowLineIn(FrameId frame, const QString& text);

    void SavePlacement();
    // Applied only when Left, Top, Right and Bottom are all non-zero.
    void RestorePlacement();

signals:
    // Every command, as it is run.
    void commandTriggered(zorl::ui::CMainFrame::Command command);

protected:
    void closeEvent(QCloseEvent* event) override;
    // The desktop's palette changed: light or dark colours for the panes.
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildMenu();
    void BuildToolbar();
    void BuildAccelerators();
    void ShowHelp();
    void ShowScrollNumbers();

    QMdiArea* mdi_;
    CWindowButtonBar* buttons_;
    CWindowTree* tree_;
    QToolBar* toolbar_ = nullptr;
    std::array<QAction*, static_cast<std::size_t>(Command::kCount)> toolbar_actions_{};
    std::array<QAction*, static_cast<std::size_t>(Command::kCount)> menu_actions_{};
    CZorlApp* app_ = nullptr;
    QtWindowSurface* surface_ = nullptr;
    QPointer<CHistorySearch> search_;
    CTrayIcon* tray_ = nullptr;
    bool quitting_ = false;
    bool master_ = false;
    bool debug_on_ = false;
    bool placement_restored_ = false;
};

}  // namespace zorl::ui
