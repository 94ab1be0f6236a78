#include "ui/ChildFrames.h"

#include <QCloseEvent>
#include <QPointer>

#include "app/CZorlApp.h"
#include "config/Settings.h"
#include "platform/Platform.h"
#include "session/ServerConnection.h"
#include "ui/ChannelHeader.h"
#include "ui/NicksView.h"
#include "ui/QtWindowSurface.h"
#include "ui/SendView.h"
#include "ui/ZorlView.h"
#include "windows/WindowRegistry.h"
#include "windows/ZorlDoc.h"

namespace zorl::ui {

// ---- Panes --------------------------------------------------------------------

CPaneGrid::CPaneGrid(FrameContext& context, bool withInput, bool withNicks, QWidget* parent)
    : QWidget(parent), context_(context) {
    // Created input line first: a frame activated for the first time gives
    // the focus to the first pane in creation order.
    if (withInput) input_ = new CSendView(context, this);
    output_ = new CZorlView(context, this);
    if (withNicks) {
        nicks_ = new CNicksView(context, this);
        header_ = new CChannelHeader(context, this);
    }
    if (input_) {
        input_->SetOutputPane(output_);
        output_->SetInputLine(input_);
    }
    setFocusProxy(input_ ? static_cast<QWidget*>(input_) : output_);
}

void CPaneGrid::Relayout() {
    int edit = 0;
    int nicks = 0;
    bool headed = false;
    if (context_.app) {
        edit = context_.app->settings.EditSize;
        nicks = context_.app->settings.NicksSize;
        headed = context_.app->settings.ChannelHeader != 0;
    }
    edit_size_ = edit;
    nicks_size_ = nicks;
    if (!input_) edit = 0;
    if (!nicks_) nicks = 0;
    edit = std::max(edit, 0);
    nicks = std::max(nicks, 0);

    const int w = width();
    const int h = height();
    const int top = h - edit > 0 ? h - edit : 0;
    const int left = w - nicks > 0 ? w - nicks : 0;
    const int header = header_ && headed ? std::min(header_->PreferredHeight(), top) : 0;
    if (header_) {
        header_->setVisible(headed);
        header_->setGeometry(0, 0, w, header);
    }
    output_->setGeometry(0, header, nicks_ ? left : w, top - header);
    if (nicks_) nicks_->setGeometry(left, header, w - left, top - header);
    if (input_) input_->setGeometry(0, top, w, h - top);
}

void CPaneGrid::resizeEvent(QResizeEvent*) { Relayout(); }

// The sizes are settings: a change takes effect at the next paint.
void CPaneGrid::paintEvent(QPaintEvent*) {
    if (context_.app && (context_.app->settings.EditSize != edit_size_ ||
                         context_.app->settings.NicksSize != nicks_size_))
        Relayout();
}

// ---- Frame base -----------------------------------------------------------------

CChildFrameBase::CChildFrameBase(CZorlApp* app, QtWindowSurface* surface, CZorlDoc& doc, FrameId id,
                                 WindowType type, bool withInput, bool withNicks)
    : context_{app, &doc, surface, id, type} {
    panes_ = new CPaneGrid(context_, withInput, withNicks, this);
    setWidget(panes_);
    setWindowIcon(AppIcon());
    setMinimumSize(160, 100);
    resize(560, 360);
}

void CChildFrameBase::ApplyHints(int hints) {
    Output()->ApplyHints(hints);
    if (Input()) Input()->ApplyHints(hints);
    if (Nicks()) Nicks()->ApplyHints(hints & ~kHintNicks);
    if (Header()) Header()->Refresh();
    panes_->Relayout();
}

void CChildFrameBase::Detach() { context_.doc = nullptr; }

void CChildFrameBase::DestroyByEngine() {
    destroying_ = true;
    Detach();
    close();
    deleteLater();
}

void CChildFrameBase::FocusNextPane(bool backwards) {
    QWidget* panes[3];
    int count = 0;
    panes[count++] = Output();
    if (Nicks()) panes[count++] = Nicks();
    if (Input()) panes[count++] = Input();
    int at = 0;
    for (int i = 0; i < count; ++i)
        if (panes[i]->hasFocus()) at = i;
    at = (at + (backwards ? count - 1 : 1)) % count;
    panes[at]->setFocus(backwards ? Qt::BacktabFocusReason : Qt::TabFocusReason);
}

void CChildFrameBase::closeEvent(QCloseEvent* event) {
    if (!destroying_) {
        event->ignore();
        QPointer<CChildFrameBase> self(this);
        OnCloseRequest();
        // The engine may have agreed at once and destroyed the frame.
        if (!self || !destroying_) return;
    }
    QMdiSubWindow::closeEvent(event);
}

// ---- Frame classes ----------------------------------------------------------------

CStatusChildFrame::CStatusChildFrame(CZorlApp* app, QtWindowSurface* surface, CZorlDoc& doc,
                                     FrameId id)
    : CChildFrameBase(app, surface, doc, id, kWindowStatus, true, false) {}

void CStatusChildFrame::OnCloseRequest() {
    if (CZorlApp* app = Context().app) app->CloseStatusWindow(Id());
}

CChannelChildFrame::CChannelChildFrame(CZorlApp* app, QtWindowSurface* surface, CZorlDoc& doc,
                                       FrameId id)
    : CChildFrameBase(app, surface, doc, id, kWindowChannel, true, true) {}

// A joined channel is left first while connected; the window goes when the
// server confirms the part. A window kept after the user left goes at once
// (the PART command closes it).
void CChannelChildFrame::OnCloseRequest() {
    CZorlApp* app = Context().app;
    if (!app) return;
    const FrameId frame = Id();
    if (!app->registry.IsFrameRegistered(frame)) {
        app->platform.dialogs.MessageBox("channelchildfrm: Frame not found!");
        return;
    }
    if (app->NetworkOfFrame(frame).State() != IDLE)
        app->SendString(frame, "/PART");
    else
        app->registry.DeleteChannel(frame);
}

CQueryChildFrame::CQueryChildFrame(CZorlApp* app, QtWindowSurface* surface, CZorlDoc& doc,
                                   FrameId id)
    : CChildFrameBase(app, surface, doc, id, kWindowQuery, true, false) {}

void CQueryChildFrame::OnCloseRequest() {
    if (CZorlApp* app = Context().app) app->registry.DeleteChannel(Id());
}

CQueryDccChildFrame::CQueryDccChildFrame(CZorlApp* app, QtWindowSurface* surface, CZorlDoc& doc,
                                         FrameId id)
    : CChildFrameBase(app, surface, doc, id, kWindowDccQuery, true, false) {}

void CQueryDccChildFrame::OnCloseRequest() {
    CZorlApp* app = Context().app;
    if (!app) return;
    const FrameId frame = Id();
    QPointer<CQueryDccChildFrame> self(this);
    if (Context().surface) Context().surface->CloseDccSocket(frame);
    if (self) app->registry.DeleteChannel(frame);
}

CSendDccChildFrm::CSendDccChildFrm(CZorlApp* app, QtWindowSurface* surface, CZorlDoc& doc,
                                   FrameId id)
    : CChildFrameBase(app, surface, doc, id, kWindowDccSend, false, false) {}

void CSendDccChildFrm::OnCloseRequest() {
    CZorlApp* app = Context().app;
    if (!app) return;
    const FrameId frame = Id();
    QPointer<CSendDccChildFrm> self(this);
    if (Context().surface) Context().surface->CloseDccSocket(frame);
    if (self) app->registry.DeleteChannel(frame);
}

CChildFrame::CChildFrame(CZorlApp* app, QtWindowSurface* surface, CZorlDoc& doc, FrameId id)
    : CChildFrameBase(app, surface, doc, id, kWindowDefault, false, false) {}

void CChildFrame::OnCloseRequest() {
    if (CZorlApp* app = Context().app) app->registry.DeleteChannel(Id());
}

CChildFrameBase* NewChildFrame(WindowType type, CZorlApp* app, QtWindowSurface* surface,
                               CZorlDoc& doc, FrameId id) {
    switch (type) {
        case kWindowStatus: return new CStatusChildFrame(app, surface, doc, id);
        case kWindowChannel: return new CChannelChildFrame(app, surface, doc, id);
        case kWindowQuery: return new CQueryChildFrame(app, surface, doc, id);
        case kWindowDccQuery: return new CQueryDccChildFrame(app, surface, doc, id);
        case kWindowDccSend: return new CSendDccChildFrm(app, surface, doc, id);
        case kWindowDefault: break;
    }
    return new CChildFrame(app, surface, doc, id);
}

}  // namespace zorl::ui
