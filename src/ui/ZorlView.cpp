#include "ui/ZorlView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "app/CZorlApp.h"
#include "app/Settings.h"
#include "platform/qt/QtText.h"
#include "ui/SendView.h"
#include "windows/WindowRegistry.h"

namespace zorl::ui {

namespace {

// Keys that belong to the input line even while the output pane has the
// focus: typed characters, Enter and the formatting shortcuts.
bool BelongsToInputLine(const QKeyEvent* event) {
    const auto mods = event->modifiers();
    if (mods & Qt::ControlModifier) {
        switch (event->key()) {
            case Qt::Key_B:
            case Qt::Key_U:
            case Qt::Key_R:
            case Qt::Key_O:
            case Qt::Key_K: return !(mods & (Qt::AltModifier | Qt::ShiftModifier));
            default: return false;
        }
    }
    if (mods & (Qt::AltModifier | Qt::MetaModifier)) return false;
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Backspace: return true;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Escape: return false;
        default: break;
    }
    const QString text = event->text();
    return !text.isEmpty() && text.at(0).isPrint();
}

}  // namespace

CZorlView::CZorlView(FrameContext& context, QWidget* parent)
    : QPlainTextEdit(parent), context_(context) {
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setTabChangesFocus(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);  // lines wrap
    setFrameShape(QFrame::StyledPanel);
    document()->setDocumentMargin(2);

    // Only the user's own scrolling decides back-scroll mode; the pane's
    // scrolling to the end after adding text does not.
    QScrollBar* bar = verticalScrollBar();
    connect(bar, &QScrollBar::actionTriggered, this, [this](int) { CheckBackScroll(); });
    connect(bar, &QScrollBar::sliderReleased, this, &CZorlView::CheckBackScroll);
}

void CZorlView::Enqueue(std::string_view text, Colour colour, bool debug) {
    if (!context_.app) return;
    QueuedPiece piece;
    piece.runs = ParsePiece(text, colour, debug, context_.app->colours);
    for (const TextRun& run : piece.runs)
        for (char c : run.text) piece.breaks += c == '\n';
    queue_.Push(std::move(piece), limit_);
}

bool CZorlView::Flush() {
    if (!live_ || queue_.Empty()) return false;
    QTextDocument* doc = document();
    const FlushPlan plan = queue_.Plan(doc->blockCount(), limit_);

    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    if (plan.clearPane) {
        cursor.select(QTextCursor::Document);
        cursor.removeSelectedText();
    } else if (plan.removeLines > 0) {
        // Positions, not cursor moves: every move lays out the block it
        // passes, which costs more than everything else here together.
        const QTextBlock keep = doc->findBlockByNumber(static_cast<int>(plan.removeLines));
        cursor.setPosition(0);
        cursor.setPosition(keep.position(), QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
    cursor.setPosition(doc->characterCount() - 1);

    // Neighbouring runs of one style go in with one call: a flood of plain
    // lines becomes a handful of insertions.
    long long skip = plan.skipBreaks;
    QString batch;
    RunStyle batchStyle;
    bool haveBatch = false;
    for (const QueuedPiece& piece : queue_.Pieces()) {
        for (const TextRun& run : piece.runs) {
            std::string_view text = run.text;
            while (skip > 0 && !text.empty()) {
                std::size_t at = text.find('\n');
                if (at == std::string_view::npos) {
                    text = {};
                } else {
                    text.remove_prefix(at + 1);
                    --skip;
                }
            }
            if (text.empty()) continue;
            if (haveBatch && !(run.style == batchStyle)) {
                cursor.insertText(batch, FormatFor(batchStyle));
                batch.clear();
            }
            batchStyle = run.style;
            haveBatch = true;
            batch += qt::DecodeText(text);
        }
    }
    if (haveBatch && !batch.isEmpty()) cursor.insertText(batch, FormatFor(batchStyle));
    cursor.endEditBlock();
    queue_.Clear();
    ScrollToEnd();
    return true;
}

void CZorlView::ApplyHints(int hints) {
    if (!context_.app) return;
    const CSettings& settings = context_.app->settings;
    if (hints & kHintLineLimit) limit_ = settings.MaxLines;
    if (hints & kHintFont) setFont(BaseFont(settings));
    // A pane in back-scroll mode keeps showing that it is.
    if (hints & kHintBackground) SetBackground(live_ ? settings.BGColor : settings.BGColor2);
}

const QTextCharFormat& CZorlView::FormatFor(const RunStyle& style) {
    auto [it, added] = formats_.try_emplace(style.Key());
    if (added) {
        QTextCharFormat& format = it->second;
        format.setForeground(ToQColor(style.colour));
        format.setFontWeight(style.bold ? QFont::Bold : QFont::Normal);
        format.setFontUnderline(style.underline);
        format.setFontStrikeOut(style.strike);
    }
    return it->second;
}

void CZorlView::ScrollToEnd() {
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->maximum());
}

void CZorlView::SetBackground(Colour colour) {
    if (context_.app) SetPaneColours(this, context_.app->settings.Color.Normal, colour);
}

CZorlView::ScrollNumbers CZorlView::Scroll() const {
    const QScrollBar* bar = verticalScrollBar();
    const int page = bar->pageStep();
    // Qt's maximum is the last reachable position (the scroll limit); the
    // range maximum counts the page on top of it.
    return {bar->sliderPosition(), bar->maximum(), bar->maximum() + page - 1, page};
}

void CZorlView::CheckBackScroll() {
    if (!context_.Live()) return;
    const QScrollBar* bar = verticalScrollBar();
    const ScrollNumbers s = Scroll();
    const bool back = bar->isSliderDown() || (s.pos != s.max && s.limit - s.pos > 1 &&
                                              s.limit > 2 && s.page != 0 && s.page != 1);
    CZorlApp& app = *context_.app;
    const FrameId frame = context_.frame;
    if (back) {
        if (live_) SetBackground(app.settings.BGColor2);
        live_ = false;
        app.registry.UpdateCR(frame, "1", kUpdateBackScroll);
        return;
    }
    const bool wasLive = live_;
    live_ = true;
    app.registry.UpdateCR(frame, "0", kUpdateBackScroll);
    if (!wasLive) SetBackground(app.settings.BGColor);
    Flush();
}

void CZorlView::ScrollPage(bool up) {
    verticalScrollBar()->triggerAction(up ? QAbstractSlider::SliderPageStepSub
                                          : QAbstractSlider::SliderPageStepAdd);
}

QString CZorlView::SelectedText() const {
    QString text = textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

void CZorlView::keyPressEvent(QKeyEvent* event) {
    if (input_ && BelongsToInputLine(event)) {
        input_->setFocus(Qt::OtherFocusReason);
        QApplication::sendEvent(input_, event);
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void CZorlView::keyReleaseEvent(QKeyEvent* event) {
    QPlainTextEdit::keyReleaseEvent(event);
    CheckBackScroll();
}

}  // namespace zorl::ui
