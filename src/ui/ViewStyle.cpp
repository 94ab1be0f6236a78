#include "ui/ViewStyle.h"

#include <QPalette>
#include <QWidget>

#include "app/Settings.h"
#include "ui/DisplayText.h"

namespace zorl::ui {

QColor ToQColor(Colour colour) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

QFont BaseFont(const CSettings& settings) {
    QFont font(DecodeForDisplay(settings.FontName));
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(settings.FontSize > 0 && settings.FontSize < 200 ? settings.FontSize : 11);
    return font;
}

void SetPaneColours(QWidget* pane, Colour text, Colour background) {
    QPalette palette = pane->palette();
    const QColor base = ToQColor(background);
    const QColor fore = ToQColor(text);
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, base);
        palette.setColor(group, QPalette::Text, fore);
    }
    pane->setPalette(palette);
}

}  // namespace zorl::ui
