#include "ui/QtWindowSurface.h"

#include <QApplication>
#include <QMdiArea>
#include <QTimer>

#include "app/CZorlApp.h"
#include "app/Settings.h"
#include "platform/Platform.h"
#include "platform/qt/QtText.h"
#include "ui/ChildFrames.h"
#include "ui/MainFrame.h"
#include "ui/NicksView.h"
#include "ui/WindowButtonBar.h"
#include "ui/ZorlView.h"
#include "windows/WindowRegistry.h"
#include "windows/ZorlDoc.h"

namespace zorl::ui {

QtWindowSurface::QtWindowSurface(CMainFrame& main) : main_(main) {
    QObject::connect(main_.Mdi(), &QMdiArea::subWindowActivated, &flush_context_,
                     [this](QMdiSubWindow* window) { OnSubWindowActivated(window); });
}

QtWindowSurface::~QtWindowSurface() {
    for (auto& [id, frame] : frames_)
        if (frame) frame->Detach();
    main_.Attach(nullptr, nullptr);
}

void QtWindowSurface::Attach(CZorlApp& app) {
    app_ = &app;
    main_.Attach(&app, this);
}

FrameId QtWindowSurface::CreateFrame(WindowType type, CZorlDoc& doc, bool show, bool maximize) {
    const FrameId id = ++next_frame_;
    CChildFrameBase* frame = NewChildFrame(type, app_, this, doc, id);
    frames_[id] = frame;
    frame->ApplyHints(kHintLineLimit | kHintFont | kHintBackground);

    QMdiArea* mdi = main_.Mdi();
    if (show) {
        mdi->addSubWindow(frame);
        if (maximize)
            frame->showMaximized();
        else
            frame->showNormal();
        mdi->setActiveSubWindow(frame);
        frame->widget()->setFocus(Qt::OtherFocusReason);  // the input line, where it has one
        return id;
    }
    // Shown, but the window the user works in stays active (a query opened
    // by someone else's message must not take the input line away).
    QMdiSubWindow* previous = mdi->activeSubWindow();
    creating_hidden_ = true;
    frame->setAttribute(Qt::WA_ShowWithoutActivating);
    mdi->addSubWindow(frame);
    frame->show();
    if (previous) mdi->setActiveSubWindow(previous);
    creating_hidden_ = false;
    return id;
}

bool QtWindowSurface::DestroyFrame(FrameId id) {
    auto it = frames_.find(id);
    if (it == frames_.end()) return false;
    QPointer<CChildFrameBase> frame = it->second;
    frames_.erase(it);
    if (!frame) return false;
    frame->DestroyByEngine();
    buttons_changed_ = true;
    ScheduleFlush();
    return true;
}

void QtWindowSurface::SetCaption(FrameId id, const std::string& caption) {
    if (CChildFrameBase* frame = Frame(id)) frame->setWindowTitle(qt::DecodeText(caption));
}

void QtWindowSurface::Activate(FrameId id) {
    CChildFrameBase* frame = Frame(id);
    if (!frame) return;
    if (frame->isMinimized()) frame->showNormal();
    main_.Mdi()->setActiveSubWindow(frame);
}

bool QtWindowSurface::IsMaximized(FrameId id) const {
    CChildFrameBase* frame = Frame(id);
    return frame && frame->isMaximized();
}

void QtWindowSurface::AppendPiece(FrameId id, const std::string& text, Colour colour, bool debug) {
    CChildFrameBase* frame = Frame(id);
    if (!frame) {
        if (app_) app_->platform.dialogs.MessageBox("AppendString: invalid window!");
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
    if (CChildFrameBase* frame = Frame(id)) frame->Output()->MarkMention();
}

void QtWindowSurface::UpdateViews(FrameId id, int hints) {
    CChildFrameBase* frame = Frame(id);
    if (!frame) return;
    const int now = hints & (kHintLineLimit | kHintFont | kHintBackground);
    if (now) frame->ApplyHints(now);
    if ((hints & kHintNicks) && frame->Nicks() && !frame->nicksQueued) {
        frame->nicksQueued = true;
        queued_.push_back(id);
        ScheduleFlush();
    }
}

void QtWindowSurface::SetButton(int index, const std::string& caption) {
    const int width = app_ ? app_->settings.ButtonSize : 80;
    main_.Buttons()->SetButton(index, qt::DecodeText(caption), width);
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

void QtWindowSurface::SetMainTitle(const std::string& title) {
    main_.setWindowTitle(qt::DecodeText(title));
}

bool QtWindowSurface::IsMainMinimized() const { return main_.isMinimized(); }

void QtWindowSurface::FlashTaskbar() { QApplication::alert(&main_, 1000); }

// Queued: the close runs the main window's close handling, which removes
// every window, and must not run inside the engine call that asked for it.
void QtWindowSurface::CloseMainWindow() {
    QTimer::singleShot(0, &main_, [this] { main_.close(); });
}

void QtWindowSurface::SetConnectCommands(bool connectEnabled) {
    main_.SetConnectState(connectEnabled);
}

void QtWindowSurface::SetDebugCommands(bool debugOn) { main_.SetDebugState(debugOn); }

CChildFrameBase* QtWindowSurface::Frame(FrameId id) const {
    auto it = frames_.find(id);
    return it == frames_.end() ? nullptr : it->second.data();
}

CChildFrameBase* QtWindowSurface::ActiveFrame() const {
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
    std::vector<FrameId> ids;
    ids.swap(queued_);
    for (FrameId id : ids) {
        CChildFrameBase* frame = Frame(id);
        if (!frame) continue;
        if (frame->outputQueued) {
            frame->outputQueued = false;
            frame->Output()->Flush();
        }
        if (frame->nicksQueued) {
            frame->nicksQueued = false;
            frame->Nicks()->Refresh();
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
            if (!app_ || !Frame(id)) return;
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
}

}  // namespace zorl::ui
