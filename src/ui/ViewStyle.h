// What every pane of a window shares: the window's context and the look the
// settings give (font, text colour, background).
#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>

#include "common/SharedTypes.h"

class QWidget;

namespace zorl {
class CZorlApp;
class CZorlDoc;
struct CSettings;
}  // namespace zorl

namespace zorl::ui {

class QtWindowSurface;

// The panes of one window reach the engine through this. `doc` becomes
// null when the registry lets the window go; the panes then do nothing more.
struct FrameContext {
    CZorlApp* app = nullptr;
    CZorlDoc* doc = nullptr;
    QtWindowSurface* surface = nullptr;
    FrameId frame = 0;
    WindowType type = kWindowDefault;

    bool Live() const { return app != nullptr && doc != nullptr; }
};

// 0x00BBGGRR, red in the low byte.
QColor ToQColor(Colour colour);
Colour FromQColor(const QColor& colour);

// A window's mark (red for a mention) on a dark desktop's `background`,
// lightened until it reads there; on a light one, as it is.
QColor MarkColour(Colour mark, const QColor& background);

// The background of a line that mentions the user: the pane's background
// tinted towards amber, so it reads on light and dark panes alike.
QColor MentionBackground(Colour paneBackground);

// FontName at FontSize points. The character set has no meaning for Qt's
// Unicode fonts; a missing face falls back to a fixed-pitch one.
QFont BaseFont(const CSettings& settings);

// Text and background colours of an editor or list pane.
void SetPaneColours(QWidget* pane, Colour text, Colour background);

// The program's icon, drawn rather than shipped: a rounded square with a "z".
QIcon AppIcon();

}  // namespace zorl::ui
