#include "ui/SendView.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>

#include "app/CZorlApp.h"
#include "app/Settings.h"
#include "platform/qt/QtText.h"
#include "ui/ZorlView.h"
#include "windows/ZorlDoc.h"

namespace zorl::ui {

// ---- Colour palette ---------------------------------------------------------

CColourPalette::CColourPalette(const ColourTables& tables, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Colour"));
    setFixedSize(2 * kLeft + 8 * kCell, 2 * kTop + 2 * kCell);
    for (int i = 0; i < 16; ++i) {
        auto it = tables.irc.find(std::to_string(i));
        colours_[static_cast<std::size_t>(i)] =
            it == tables.irc.end() ? QColor(Qt::gray) : ToQColor(it->second);
    }
}

int CColourPalette::CellAt(QPoint point) {
    const int x = point.x() - kLeft;
    const int y = point.y() - kTop;
    if (x < 0 || y < 0 || x >= 8 * kCell || y >= 2 * kCell) return -1;
    return (y / kCell) * 8 + x / kCell;
}

QPoint CColourPalette::CellCentre(int cell) {
    return {kLeft + (cell % 8) * kCell + kCell / 2, kTop + (cell / 8) * kCell + kCell / 2};
}

void CColourPalette::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    for (int cell = 0; cell < 16; ++cell) {
        QRect box(kLeft + (cell % 8) * kCell, kTop + (cell / 8) * kCell, kCell, kCell);
        painter.fillRect(box, colours_[static_cast<std::size_t>(cell)]);
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(box.adjusted(0, 0, -1, -1));
    }
}

void CColourPalette::mousePressEvent(QMouseEvent* event) {
    const int cell = CellAt(event->position().toPoint());
    if (cell < 0) return;
    chosen_ = cell;
    accept();
}

// ---- Input line -------------------------------------------------------------

CSendView::CSendView(FrameContext& context, QWidget* parent)
    : QPlainTextEdit(parent), context_(context) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTabChangesFocus(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    document()->setDocumentMargin(2);
}

void CSendView::ApplyHints(int hints) {
    if (!context_.app) return;
    const CSettings& settings = context_.app->settings;
    if (hints & kHintFont) setFont(BaseFont(settings));
    if (hints & (kHintFont | kHintBackground))
        SetPaneColours(this, settings.Color.Normal, settings.BGColor);
}

void CSendView::ExecuteInput() {
    const QString text = toPlainText();
    clear();
    // NOTE: a pasted text may hold line breaks. Each line is executed on its
    // own, so no line break ever travels inside one line to the server (a
    // pasted "hi\nQUIT" would otherwise end the line and send a QUIT).
    QPointer<CSendView> self(this);
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text.at(i) != QLatin1Char('\n') && text.at(i) != QLatin1Char('\r') &&
            text.at(i) != QChar::LineSeparator && text.at(i) != QChar::ParagraphSeparator)
            continue;
        const QString line = text.mid(start, i - start);
        start = i + 1;
        if (line.isEmpty()) continue;
        // The line may close this very window (or open a dialog in which
        // that happens); stop when it did.
        if (!self || !context_.Live()) return;
        context_.doc->ExecuteLine(qt::EncodeText(line));
    }
}

void CSendView::ShowEntry(const QString& text) {
    setPlainText(text);
    moveCursor(QTextCursor::End);
}

void CSendView::HistoryUp() {
    if (!context_.Live()) return;
    const auto& history = context_.doc->History();
    if (history.empty()) return;
    std::size_t pos = std::min(context_.doc->HistoryPosition(), history.size());
    if (pos > 0) --pos;
    context_.doc->SetHistoryPosition(pos);
    ShowEntry(qt::DecodeText(history[pos]));
}

void CSendView::HistoryDown() {
    if (!context_.Live()) return;
    const auto& history = context_.doc->History();
    std::size_t pos = context_.doc->HistoryPosition();
    if (pos >= history.size()) return;
    ++pos;
    context_.doc->SetHistoryPosition(pos);
    ShowEntry(pos < history.size() ? qt::DecodeText(history[pos]) : QString());
}

void CSendView::InsertCode(char code) {
    insertPlainText(QString(QChar(static_cast<char16_t>(code))));
}

void CSendView::PickColour() {
    InsertCode(0x03);
    if (!context_.app) return;
    QPointer<CSendView> self(this);
    CColourPalette palette(context_.app->colours, this);
    const bool picked = palette.exec() == QDialog::Accepted && palette.Chosen() >= 0;
    if (self && picked) insertPlainText(QString::number(palette.Chosen()));
}

void CSendView::keyPressEvent(QKeyEvent* event) {
    const auto mods = event->modifiers() & ~Qt::KeypadModifier;
    if (mods == Qt::ControlModifier) {
        switch (event->key()) {
            case Qt::Key_B: InsertCode(0x02); return;
            case Qt::Key_U: InsertCode(0x1F); return;
            case Qt::Key_R: InsertCode(0x16); return;
            case Qt::Key_O: InsertCode(0x0F); return;
            case Qt::Key_K: PickColour(); return;
            default: break;
        }
    }
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (!event->isAutoRepeat()) ExecuteInput();
            return;
        case Qt::Key_Up:
            if (!event->isAutoRepeat()) HistoryUp();
            return;
        case Qt::Key_Down:
            if (!event->isAutoRepeat()) HistoryDown();
            return;
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            if (!event->isAutoRepeat() && output_) {
                output_->setFocus(Qt::OtherFocusReason);
                output_->ScrollPage(event->key() == Qt::Key_PageUp);
            }
            return;
        default: break;
    }
    QPlainTextEdit::keyPressEvent(event);
}

}  // namespace zorl::ui
