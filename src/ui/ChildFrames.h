// The child frames: one class per window type, each arranging its panes and
// routing its close request.
//
//   CStatusChildFrame    output pane above the input line; cannot be closed
//   CChannelChildFrame   output pane and nick list above the input line;
//                        closing a joined channel parts it first
//   CQueryChildFrame     output pane above the input line
//   CQueryDccChildFrame  output pane above the input line (DCC chat)
//   CSendDccChildFrm     output pane only (DCC file transfer)
//   CChildFrame          output pane only (private output windows)
//
// Frames are created and destroyed only at the registry's request. A close
// request from the user never closes a frame by itself: it asks the engine,
// which destroys the frame through the surface when it agrees.
#pragma once

#include <QMdiSubWindow>
#include <memory>

#include "ui/ViewStyle.h"

namespace zorl::ui {

class CZorlView;
class CSendView;
class CNicksView;
class CChannelHeader;

// The fixed arrangement of the panes: the input line EditSize pixels high
// along the bottom, the nick list NicksSize pixels wide at the right of the
// top row, the output pane in the rest. Nothing can be dragged.
class CPaneGrid : public QWidget {
    Q_OBJECT
public:
    CPaneGrid(FrameContext& context, bool withInput, bool withNicks, QWidget* parent);

    CZorlView* Output() const { return output_; }
    CSendView* Input() const { return input_; }
    CNicksView* Nicks() const { return nicks_; }
    CChannelHeader* Header() const { return header_; }
    void Relayout();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    FrameContext& context_;
    CZorlView* output_ = nullptr;
    CSendView* input_ = nullptr;
    CNicksView* nicks_ = nullptr;
    CChannelHeader* header_ = nullptr;  // channels only
    int edit_size_ = -1;
    int nicks_size_ = -1;
};

class CChildFrameBase : public QMdiSubWindow {
    Q_OBJECT
public:
    CChildFrameBase(CZorlApp* app, QtWindowSurface* surface, CZorlDoc& doc, FrameId id,
                    WindowType type, bool withInput, bool withNicks);

    FrameId Id() const { return context_.frame; }
    WindowType Type() const { return context_.type; }
    CZorlView* Output() const { return panes_->Output(); }
    CSendView* Input() const { return panes_->Input(); }
    CNicksView* Nicks() const { return panes_->Nicks(); }
    CChannelHeader* Header() const { return panes_->Header(); }

    void ApplyHints(int hints);
    // The registry let the window go: the panes stop talking to the engine.
    void Detach();
    // Closes and deletes the frame without asking the engine again.
    void DestroyByEngine();
    // F6 / Shift+F6.
    void FocusNextPane(bool backwards);

    // Queued output / nick-list refresh waiting for the surface's flush.
    bool outputQueued = false;
    bool nicksQueued = false;

protected:
    void closeEvent(QCloseEvent* event) override;
    // The user asked to close the window.
    virtual void OnCloseRequest() = 0;
    FrameContext& Context() { return context_; }

private:
    FrameContext context_;
    CPaneGrid* panes_;
    bool destroying_ = false;
};

class CStatusChildFrame final : public CChildFrameBase {
    Q_OBJECT
public:
    CStatusChildFrame(CZorlApp* app, QtWindowSurface* surface, CZorlDoc& doc, FrameId id);

protected:
    void OnCloseRequest() override;
};

class CChannelChildFrame final : public CChildFrameBase {
    Q_OBJECT
public:
    CChannelChildFrame(CZorlApp* app, QtWindowSurface* surface, CZorlDoc& doc, FrameId id);

protected:
    void OnCloseRequest() override;
};

class CQueryChildFrame final : public CChildFrameBase {
    Q_OBJECT
public:
    CQueryChildFrame(CZorlApp* app, QtWindowSurface* surface, CZorlDoc& doc, FrameId id);

protected:
    void OnCloseRequest() override;
};

class CQueryDccChildFrame final : public CChildFrameBase {
    Q_OBJECT
public:
    CQueryDccChildFrame(CZorlApp* app, QtWindowSurface* surface, CZorlDoc& doc, FrameId id);

protected:
    void OnCloseRequest() override;
};

class CSendDccChildFrm final : public CChildFrameBase {
    Q_OBJECT
public:
    CSendDccChildFrm(CZorlApp* app, QtWindowSurface* surface, CZorlDoc& doc, FrameId id);

protected:
    void OnCloseRequest() override;
};

class CChildFrame final : public CChildFrameBase {
    Q_OBJECT
public:
    CChildFrame(CZorlApp* app, QtWindowSurface* surface, CZorlDoc& doc, FrameId id);

protected:
    void OnCloseRequest() override;
};

// The frame class of a window type.
CChildFrameBase* NewChildFrame(WindowType type, CZorlApp* app, QtWindowSurface* surface,
                               CZorlDoc& doc, FrameId id);

}  // namespace zorl::ui
