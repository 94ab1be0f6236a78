#include "ui/ViewStyle.h"

#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QWidget>

#include "common/Speakers.h"
#include "config/Settings.h"
#include "platform/qt/QtText.h"

namespace zorl::ui {

QColor ToQColor(Colour colour) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

Colour FromQColor(const QColor& colour) {
    return static_cast<Colour>(colour.red()) | static_cast<Colour>(colour.green()) << 8 |
           static_cast<Colour>(colour.blue()) << 16;
}

QColor MarkColour(Colour mark, const QColor& background) {
    const Colour behind = FromQColor(background);
    return ToQColor(Luminance(behind) < 0.18 ? ReadableOn(mark, behind) : mark);
}

QColor MentionBackground(Colour paneBackground) {
    const QColor pane = ToQColor(paneBackground);
    const QColor amber(255, 190, 0);
    auto mix = [](int a, int b) { return (a * 7 + b * 3) / 10; };
    return QColor(mix(pane.red(), amber.red()), mix(pane.green(), amber.green()),
                  mix(pane.blue(), amber.blue()));
}

QFont BaseFont(const CSettings& settings) {
    QFont font(qt::DecodeText(settings.FontName));
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

QIcon AppIcon() {
    QIcon icon;
    for (int size : {16, 32, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x2B, 0x57, 0x9A));
        painter.drawRoundedRect(QRectF(0, 0, size, size), size / 5.0, size / 5.0);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setBold(true);
        font.setPixelSize(size * 3 / 4);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QRect(0, -size / 16, size, size), Qt::AlignCenter, QStringLiteral("z"));
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace zorl::ui
