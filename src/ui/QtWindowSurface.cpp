#include "ui/QtWindowSurface.h"

#include <QApplication>
#include <QMdiArea>
#include <QTimer>

#include "app/CZorlApp.h"
#include "config/Settings.h"
#include "platform/Platform.h"
#include "platform/qt/QtText.h"
#include "ui/ChannelBrowser.h"
#include "ui/ChannelHeader.h"
#include "ui/ChannelLists.h"
#include "ui/ChildFrames.h"
#include "ui/DesktopNotifier.h"
#include "ui/MainFrame.h"
#include "ui/NicksView.h"
#include "ui/TextRuns.h"
#include "ui/TrayIcon.h"
#include "ui/WindowButtonBar.h"
#include "ui/WindowTree.h"
#include "ui/ZorlView.h"
#include "windows/WindowRegistry.h"
#include "windows/ZorlDoc.h"

namespace zorl::ui {

QtWindowSurface::QtWindowSurface(CMainFrame& main) : main_(main) {
    QObject::connect(main_.Mdi(), &QMdiArea::subWindowActivated, &flush_context_,
                     [this](QMdiSubWindow* window) { OnSubWindowActivated(window); });
}

QtWindowSurface::~QtWindowSurface() {
    for (auto& [id, slot] : slots_)
        if (slot.frame) slot.frame->Detach();
    main_.Attach(nullptr, nullptr);
}

void QtWindowSurface::Attach(CZorlApp& app) {
    app_ = &app;
    main_.Attach(&app, this);
}

FrameId QtWindowSurface::CreateFrame(WindowType type, CZorlDoc& doc, bool show, bool maximize) {
    const FrameId id = ++next_frame_;
    Slot& slot = slots_[id];
    slot.type = type;
    slot.doc = &doc;
    slot.maximize = maximize;
    if (show) {
        // The first window opened active in an interval shows at once;
        // later ones wait for the flush, which shows only the last.
        if (!shown_since_flush_) {
            shown_since_flush_ = true;
            show_next_ = 0;
            Build(id, slot, true);
        } else {
            show_next_ = id;
        }
        ScheduleFlush();
    } else if (built_count_ < kEagerBuildLimit) {
        Build(id, slot, false);
    }
    return id;
}

CChildFrameBase* QtWindowSurface::Build(FrameId id, Slot& slot, bool activate) {
    CChildFrameBase* frame = NewChildFrame(slot.type, app_, this, *slot.doc, id);
    slot.frame = frame;
    slot.built = true;
    ++built_count_;
    frame->ApplyHints(kHintLineLimit | kHintFont | kHintBackground);
    if (!slot.caption.isEmpty()) frame->setWindowTitle(slot.caption);
    if (!slot.output.Empty()) {
        frame->Output()->Adopt(std::move(slot.output));
        slot.output = PieceQueue();
        frame->outputQueued = true;
        queued_.push_back(id);
    }
    if (frame->Nicks()) {
        frame->nicksQueued = true;
        queued_.push_back(id);
    }
    if (!queued_.empty()) ScheduleFlush();

    QMdiArea* mdi = main_.Mdi();
    if (activate) {
        mdi->addSubWindow(frame);
        // A tab fills the area: the tab bar maximises it, and showNormal
        // would undo that.
        if (slot.maximize || mdi->viewMode() == QMdiArea::TabbedView)
            frame->showMaximized();
        else
            frame->showNormal();
        mdi->setActiveSubWindow(frame);
        frame->widget()->setFocus(Qt::OtherFocusReason);  // the input line, where it has one
        return frame;
    }
    // Shown, but the window the user works in stays active (a query opened
    // by someone else's message must not take the input line away).
    QMdiSubWindow* previous = mdi->activeSubWindow();
    creating_hidden_ = true;
    frame->setAttribute(Qt::WA_ShowWithoutActivating);
    mdi->addSubWindow(frame);
    if (mdi->viewMode() == QMdiArea::TabbedView)
        frame->showMaximized();
    else
        frame->show();
    if (previous) mdi->setActiveSubWindow(previous);
    creating_hidden_ = false;
    return frame;
}

bool QtWindowSurface::DestroyFrame(FrameId id) {
    auto it = slots_.find(id);
    if (it == slots_.end()) return false;
    QPointer<CChildFrameBase> frame = it->second.frame;
    const bool built = it->second.built;
    slots_.erase(it);
    main_.Tree()->Remove(id);
    if (show_next_ == id) show_next_ = 0;
    buttons_changed_ = true;
    ScheduleFlush();
    if (!built) return true;
    --built_count_;
    if (!frame) return false;
    frame->DestroyByEngine();
    return true;
}

void QtWindowSurface::SetCaption(FrameId id, const std::string& caption) {
    auto it = slots_.find(id);
    if (it == slots_.end()) return;
    it->second.caption = qt::DecodeText(caption);
    if (it->second.frame) it->second.frame->setWindowTitle(it->second.caption);
}

void QtWindowSurface::Activate(FrameId id) {
    CChildFrameBase* frame = Frame(id);
    if (!frame) return;
    if (frame->isMinimized() && main_.Mdi()->viewMode() != QMdiArea::TabbedView)
        frame->showNormal();
    main_.Mdi()->setActiveSubWindow(frame);
    // A tab brought to the front does not take the focus by itself.
    frame->widget()->setFocus(Qt::OtherFocusReason);
}

bool QtWindowSurface::IsMaximized(FrameId id) const {
    auto it = slots_.find(id);
    if (it == slots_.end()) return false;
    return it->second.frame ? it->second.frame->isMaximized() : it->second.maximize;
}

void QtWindowSurface::AppendPiece(FrameId id, const std::string& text, Colour colour, bool debug) {
    auto it = slots_.find(id);
    if (it == slots_.end()) {
        if (app_) app_->platform.dialogs.MessageBox("AppendString: invalid window!");
        return;
    }
    CChildFrameBase* frame = it->second.frame;
    if (!frame) {
        if (!app_) return;
        PieceQueue& waiting = it->second.output;
        waiting.Push(MakePiece(text, colour, debug, app_->colours, waiting.SpareText()),
                     app_->settings.MaxLines);
        return;
    }
    frame->Output()->Enqueue(text, colour, debug);
    if (!frame->outputQueued) {
        frame->outputQueued = true;
        queued_.push_back(id);
    }
    ScheduleFlush();
}

void QtWindowSurface::MarkMention(FrameId id) {
    auto it = slots_.find(id);
    if (it == slots_.end()) return;
    if (it->second.frame)
        it->second.frame->Output()->MarkMention();
    else
        it->second.output.MarkLastMention();
}

// A frame not built yet reads everything when it is.
void QtWindowSurface::UpdateViews(FrameId id, int hints) {
    CChildFrameBase* frame = BuiltFrame(id);
    if (!frame) return;
    const int now = hints & (kHintLineLimit | kHintFont | kHintBackground);
    if (now) frame->ApplyHints(now);
    if ((hints & kHintTopic) && frame->Header()) frame->Header()->Refresh();
    if ((hints & kHintNicks) && frame->Nicks() && !frame->nicksQueued) {
        frame->nicksQueued = true;
        queued_.push_back(id);
        ScheduleFlush();
    }
}

void QtWindowSurface::SetButton(int index, const std::string& caption, int network) {
    const int width = app_ ? app_->settings.ButtonSize : 80;
    main_.Buttons()->SetButton(index, qt::DecodeText(caption), width, network);
    buttons_changed_ = true;
    ScheduleFlush();
}

void QtWindowSurface::RemoveButton(int index) {
    main_.Buttons()->RemoveButton(index);
    buttons_changed_ = true;
    ScheduleFlush();
}

void QtWindowSurface::SetButtonHighlight(int index, Colour colour) {
    main_.Buttons()->SetHighlight(index, colour);
}

void QtWindowSurface::PlaceWindow(FrameId frame, int network, const std::string& networkName,
                                  const std::string& name) {
    main_.Tree()->Place(frame, network, qt::DecodeText(networkName), qt::DecodeText(name));
}

void QtWindowSurface::SetWindowMark(FrameId frame, Colour colour) {
    main_.Tree()->SetMark(frame, colour);
    if (CTrayIcon* tray = main_.Tray()) tray->SetMark(frame, colour);
}

// A server may skip the start of the list (321): its first row opens the
// browser then.
CChannelBrowser* QtWindowSurface::Browser(FrameId status, const std::string& network) {
    QPointer<CChannelBrowser>& browser = browsers_[status];
    if (!browser) {
        browser = new CChannelBrowser(
            qt::DecodeText(network.empty() ? std::string("the network") : network),
            [this, status](const QString& channel) {
                if (app_) app_->OnTypedLine(status, "/join " + qt::EncodeText(channel));
            },
            &main_);
        browser->setAttribute(Qt::WA_DeleteOnClose);
    }
    if (!browser->isVisible()) browser->show();
    return browser;
}

void QtWindowSurface::ChannelListStart(FrameId status, const std::string& network) {
    CChannelBrowser* browser = Browser(status, network);
    browser->Start();
    browser->raise();
}

// A browser the user closed while its list came in stays closed until the
// next list.
void QtWindowSurface::ChannelListRow(FrameId status, const std::string& channel, int users,
                                     const std::string& topic) {
    auto found = browsers_.find(status);
    if (found != browsers_.end() && !found->second) return;
    Browser(status)->Add({qt::DecodeText(channel), users, qt::DecodeText(topic)});
}

void QtWindowSurface::ChannelListEnd(FrameId status) {
    auto found = browsers_.find(status);
    if (found != browsers_.end() && found->second) found->second->End();
}

CChannelListsDialog* QtWindowSurface::OpenChannelLists(FrameId channel) {
    if (!app_) return nullptr;
    QPointer<CChannelListsDialog>& dialog = lists_[channel];
    if (!dialog) {
        const ChannelRecord* record = app_->registry.FindByFrame(channel);
        if (!record) return nullptr;
        CZorlApp* app = app_;
        dialog = new CChannelListsDialog(
            qt::DecodeText(record->name), QString::fromLatin1(app->ChannelListModes(channel)),
            [app, channel](char mode, bool add, const QStringList& masks) {
                std::vector<std::string> encoded;
                for (const QString& mask : masks) encoded.push_back(qt::EncodeText(mask));
                app->ChangeChannelList(channel, mode, add, encoded);
            },
            [app, channel] { app->AskChannelLists(channel); }, &main_);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
    }
    dialog->Clear();
    dialog->show();
    dialog->raise();
    app_->AskChannelLists(channel);
    return dialog;
}

void QtWindowSurface::ChannelModeListEntry(FrameId channel, char mode, const std::string& mask,
                                           const std::string& setter, long long when) {
    auto found = lists_.find(channel);
    if (found != lists_.end() && found->second)
        found->second->Add(mode, qt::DecodeText(mask), qt::DecodeText(setter), when);
}

bool QtWindowSurface::PrefersDarkColours() const {
    return QApplication::palette().color(QPalette::Window).lightness() < 128;
}

void QtWindowSurface::RecolourPanes(const std::vector<std::pair<Colour, Colour>>& changes,
                                    Colour oldBackground, Colour newBackground) {
    for (const auto& [id, slot] : slots_)
        if (CChildFrameBase* frame = BuiltFrame(id); frame && frame->Output())
            frame->Output()->Recolour(changes, oldBackground, newBackground);
}

void QtWindowSurface::SetTrayIcon(bool shown) {
    if (CTrayIcon* tray = main_.Tray()) tray->SetShown(shown);
}

void QtWindowSurface::SetWindowTree(bool shown) { main_.Tree()->setVisible(shown); }

void QtWindowSurface::SetMainTitle(const std::string& title) {
    main_.setWindowTitle(qt::DecodeText(title));
}

bool QtWindowSurface::IsMainMinimized() const { return main_.isMinimized(); }

void QtWindowSurface::FlashTaskbar() { QApplication::alert(&main_, 1000); }

bool QtWindowSurface::IsInView(FrameId frame) const {
    if (!main_.isActiveWindow() || main_.isMinimized() || !app_) return false;
    return app_->registry.pLastFrm == frame;
}

// Choosing the notification shows that window, with the main window raised.
void QtWindowSurface::Notify(FrameId frame, const std::string& title, const std::string& body) {
    if (!notifier_) {
        notifier_ = new CDesktopNotifier(&main_);
        notifier_->onChosen = [this](FrameId chosen) {
            main_.showNormal();
            main_.raise();
            main_.activateWindow();
            if (slots_.count(chosen)) Activate(chosen);
        };
    }
    notifier_->Show(frame, qt::DecodeText(title), qt::DecodeText(body));
}

// Queued: the close runs the main window's close handling, which removes
// every window, and must not run inside the engine call that asked for it.
void QtWindowSurface::CloseMainWindow() {
    QTimer::singleShot(0, &main_, [this] { main_.close(); });
}

void QtWindowSurface::SetConnectCommands(bool connectEnabled) {
    main_.SetConnectState(connectEnabled);
}

void QtWindowSurface::SetDebugCommands(bool debugOn) { main_.SetDebugState(debugOn); }

void QtWindowSurface::SetTabbedView(bool tabs) {
    QMdiArea* mdi = main_.Mdi();
    mdi->setViewMode(tabs ? QMdiArea::TabbedView : QMdiArea::SubWindowView);
    mdi->setDocumentMode(tabs);
    mdi->setTabsClosable(tabs);
    mdi->setTabsMovable(tabs);
    if (tabs)
        for (QMdiSubWindow* window : mdi->subWindowList()) window->showMaximized();
}

CChildFrameBase* QtWindowSurface::BuiltFrame(FrameId id) const {
    auto it = slots_.find(id);
    return it == slots_.end() ? nullptr : it->second.frame.data();
}

CChildFrameBase* QtWindowSurface::Frame(FrameId id) {
    auto it = slots_.find(id);
    if (it == slots_.end()) return nullptr;
    if (it->second.built) return it->second.frame;
    const bool waiting = show_next_ == id;
    if (waiting) show_next_ = 0;
    return Build(id, it->second, waiting);
}

CChildFrameBase* QtWindowSurface::ActiveFrame() {
    if (app_)
        if (CChildFrameBase* frame = Frame(app_->registry.pLastFrm)) return frame;
    return qobject_cast<CChildFrameBase*>(main_.Mdi()->activeSubWindow());
}

void QtWindowSurface::ScheduleFlush() {
    if (flush_posted_) return;
    flush_posted_ = true;
    const qint64 since = since_flush_.isValid() ? since_flush_.elapsed() : kFlushInterval;
    if (since >= kFlushInterval) {
        QMetaObject::invokeMethod(
            &flush_context_, [this] { Flush(); }, Qt::QueuedConnection);
        return;
    }
    QTimer::singleShot(static_cast<int>(kFlushInterval - since), Qt::PreciseTimer, &flush_context_,
                       [this] { Flush(); });
}

void QtWindowSurface::Flush() {
    flush_posted_ = false;
    since_flush_.start();
    shown_since_flush_ = false;
    if (show_next_) {
        const FrameId id = show_next_;
        show_next_ = 0;
        if (auto it = slots_.find(id); it != slots_.end() && !it->second.built)
            Build(id, it->second, true);
    }
    std::vector<FrameId> ids;
    ids.swap(queued_);
    for (FrameId id : ids) {
        CChildFrameBase* frame = BuiltFrame(id);
        if (!frame) continue;
        if (frame->outputQueued) {
            frame->outputQueued = false;
            frame->Output()->Flush();
        }
        if (frame->nicksQueued) {
            frame->nicksQueued = false;
            frame->Nicks()->Refresh();
            if (frame->Header()) frame->Header()->Refresh();
        }
    }
    if (buttons_changed_) {
        buttons_changed_ = false;
        if (CChildFrameBase* frame = ActiveFrame()) MarkCurrentButton(frame->Id());
    }
}

void QtWindowSurface::OnSubWindowActivated(QMdiSubWindow* window) {
    auto* frame = qobject_cast<CChildFrameBase*>(window);
    if (!frame || creating_hidden_) return;
    const FrameId id = frame->Id();
    QMetaObject::invokeMethod(
        &flush_context_,
        [this, id] {
            if (!app_ || !BuiltFrame(id)) return;
            app_->registry.SetActiveWindow(id);
            MarkCurrentButton(id);
        },
        Qt::QueuedConnection);
}

void QtWindowSurface::MarkCurrentButton(FrameId id) {
    if (!app_) return;
    int button = -1;
    for (const ChannelRecord& record : app_->registry.Records())
        if (record.frame == id) button = record.buttonnr;
    main_.Buttons()->SetCurrent(button);
    main_.Tree()->SetCurrent(id);
}

}  // namespace zorl::ui
