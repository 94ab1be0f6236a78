#include "ui/SendView.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QTextBlock>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/CZorlApp.h"
#include "common/FormatCodes.h"
#include "config/Settings.h"
#include "platform/qt/QtText.h"
#include "ui/Spelling.h"
#include "ui/ZorlView.h"
#include "windows/ZorlDoc.h"

namespace zorl::ui {

namespace {

constexpr char16_t kPictures = 0x2400;  // U+2400 + n is the picture of control character n

bool IsCode(char16_t c) { return c < 0x20 && IsFormatCode(static_cast<char>(c)); }

bool IsCodePicture(QChar c) {
    return c.unicode() >= kPictures && IsCode(static_cast<char16_t>(c.unicode() - kPictures));
}

QString ShowCodes(QString text) {
    for (QChar& c : text)
        if (IsCode(c.unicode())) c = QChar(static_cast<char16_t>(kPictures + c.unicode()));
    return text;
}

QString HideCodes(QString text) {
    for (QChar& c : text)
        if (IsCodePicture(c)) c = QChar(static_cast<char16_t>(c.unicode() - kPictures));
    return text;
}

// The letter a code's mark shows: the key that inserts it where there is one.
QChar MarkLetter(char16_t c) {
    switch (static_cast<char>(c)) {
        case code::kBold: return QLatin1Char('B');
        case code::kColour: return QLatin1Char('K');
        case code::kPlain: return QLatin1Char('O');
        case code::kReverse: return QLatin1Char('R');
        case code::kItalic: return QLatin1Char('I');
        case code::kStrike: return QLatin1Char('S');
        case code::kUnderline: return QLatin1Char('U');
        case code::kMonospace: return QLatin1Char('M');
        default: return QLatin1Char('E');
    }
}

// What ends the word a Tab completes: no nick holds these.
bool EndsWord(QChar c) {
    return c.isSpace() || c == QLatin1Char(',') || c == QLatin1Char(':') || IsCodePicture(c);
}

}  // namespace

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
    setAccessibleName(QStringLiteral("Message to send"));
}

void CSendView::ApplyHints(int hints) {
    if (!context_.app) return;
    const CSettings& settings = context_.app->settings;
    if (hints & kHintFont) {
        setFont(BaseFont(settings));
        FollowSpelling(settings);
    }
    if (hints & (kHintFont | kHintBackground))
        SetPaneColours(this, settings.Color.Normal, settings.BGColor);
}

QString CSendView::Line() const { return HideCodes(toPlainText()); }

void CSendView::FollowSpelling(const CSettings& settings) {
    CSpelling& spelling = TheSpelling();
    if (settings.SpellCheck)
        spelling.Follow(
            qt::DecodeText(settings.SpellLanguage),
            QString::fromStdString(context_.app->config_dir) + QStringLiteral("dictionary.txt"));
    if (!settings.SpellCheck || !spelling.Ready()) {
        delete spell_;
        spell_ = nullptr;
    } else if (!spell_) {
        spell_ = new CSpellHighlighter(
            document(), spelling, [this](const QString& word) { return IsNickOfWindow(word); });
    } else {
        spell_->rehighlight();
    }
}

bool CSendView::IsNickOfWindow(const QString& word) const {
    return context_.Live() && context_.doc->HasNick(qt::EncodeText(word));
}

void CSendView::contextMenuEvent(QContextMenuEvent* event) {
    std::unique_ptr<QMenu> menu(createStandardContextMenu(event->pos()));
    const QTextCursor at = cursorForPosition(event->pos());
    const QString text = at.block().text();
    const int column = at.positionInBlock();
    CSpelling& spelling = TheSpelling();
    for (const SpelledWord& word :
         spell_ ? WordsToCheck(text, [this](const QString& w) { return IsNickOfWindow(w); })
                : std::vector<SpelledWord>{}) {
        const QString spelt = text.mid(word.start, word.length);
        if (column < word.start || column > word.start + word.length || spelling.Knows(spelt))
            continue;
        QAction* first = menu->actions().value(0);
        const int blockStart = at.block().position();
        for (const QString& suggestion : spelling.Suggestions(spelt)) {
            QAction* put = new QAction(suggestion, menu.get());
            connect(put, &QAction::triggered, this, [this, blockStart, word, suggestion] {
                QTextCursor replace(document());
                replace.setPosition(blockStart + word.start);
                replace.setPosition(blockStart + word.start + word.length, QTextCursor::KeepAnchor);
                replace.insertText(suggestion);
            });
            menu->insertAction(first, put);
        }
        QAction* add = new QAction(QStringLiteral("Add to dictionary"), menu.get());
        connect(add, &QAction::triggered, this, [this, spelt] {
            TheSpelling().Add(spelt);
            if (spell_) spell_->rehighlight();
        });
        menu->insertAction(first, add);
        menu->insertSeparator(first);
        break;
    }
    menu->exec(event->globalPos());
}

namespace {

// The non-empty lines of a text, at every kind of line break.
std::vector<std::string> LinesOf(const QString& text) {
    std::vector<std::string> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text.at(i) != QLatin1Char('\n') && text.at(i) != QLatin1Char('\r') &&
            text.at(i) != QChar::LineSeparator && text.at(i) != QChar::ParagraphSeparator)
            continue;
        const QString line = text.mid(start, i - start);
        start = i + 1;
        if (!line.isEmpty()) lines.push_back(qt::EncodeText(line));
    }
    return lines;
}

}  // namespace

void CSendView::ExecuteInput() {
    const QString text = Line();
    clear();
    // NOTE: a pasted text may hold line breaks. Each line is executed on its
    // own, so no line break ever travels inside one line to the server (a
    // pasted "hi\nQUIT" would otherwise end the line and send a QUIT).
    QPointer<CSendView> self(this);
    for (const std::string& line : LinesOf(text)) {
        // The line may close this very window (or open a dialog in which
        // that happens); stop when it did.
        if (!self || !context_.Live()) return;
        context_.doc->ExecuteLine(line);
    }
}

void CSendView::ShowEntry(const QString& text) {
    setPlainText(ShowCodes(text));
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
    insertPlainText(QString(QChar(static_cast<char16_t>(kPictures + code))));
}

// Several pasted lines may be asked about before they go (PasteGuard).
void CSendView::insertFromMimeData(const QMimeData* source) {
    if (!source || !source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    const QString text = source->text();
    const std::vector<std::string> lines = LinesOf(text);
    if (lines.size() > 1 && context_.Live()) {
        QPointer<CSendView> self(this);
        if (context_.app->GuardPaste(context_.frame, lines)) return;
        if (!self) return;
    }
    insertPlainText(ShowCodes(text));
}

QMimeData* CSendView::createMimeDataFromSelection() const {
    auto* copied = new QMimeData;
    QString text = textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    copied->setText(HideCodes(text));
    return copied;
}

// ---- Nick completion ----------------------------------------------------------

bool CSendView::CompleteNick() {
    if (!context_.Live()) return false;
    const QString text = toPlainText();
    const int caret = textCursor().position();
    if (completion_ && completion_->result == text &&
        completion_->start + completion_->length == caret) {
        PutCompletion((completion_->index + 1) % static_cast<int>(completion_->matches.size()));
        return true;
    }
    completion_.reset();
    int start = caret;
    while (start > 0 && !EndsWord(text.at(start - 1))) --start;
    if (start == caret) return false;

    Completion completion;
    for (const std::string& nick :
         context_.doc->NickCompletions(qt::EncodeText(text.mid(start, caret - start))))
        completion.matches << qt::DecodeText(nick);
    if (completion.matches.isEmpty()) return true;
    completion.start = start;
    completion.length = caret - start;
    const bool lineStart = start == 0 || text.at(start - 1) == QLatin1Char('\n');
    const bool blankFollows = caret < text.size() && text.at(caret).isSpace();
    completion.suffix = lineStart      ? QStringLiteral(": ")
                        : blankFollows ? QString()
                                       : QStringLiteral(" ");
    completion_ = std::move(completion);
    PutCompletion(0);
    return true;
}

void CSendView::PutCompletion(int index) {
    Completion& c = *completion_;
    c.index = index;
    QTextCursor cursor = textCursor();
    cursor.setPosition(c.start);
    cursor.setPosition(c.start + c.length, QTextCursor::KeepAnchor);
    const QString put = c.matches.at(index) + c.suffix;
    cursor.insertText(put);
    setTextCursor(cursor);
    c.length = static_cast<int>(put.size());
    c.result = toPlainText();
}

bool CSendView::event(QEvent* event) {
    // Tab would move the focus before keyPressEvent ever saw it.
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool plainTab = key->key() == Qt::Key_Tab &&
                              !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier |
                                                    Qt::ShiftModifier | Qt::MetaModifier));
        if (plainTab && CompleteNick()) return true;
    }
    return QPlainTextEdit::event(event);
}

void CSendView::paintEvent(QPaintEvent* event) {
    QPlainTextEdit::paintEvent(event);
    PaintCodeMarks();
}

// Drawn over whatever the font made of the picture (usually an empty box),
// one block per character cell.
void CSendView::PaintCodeMarks() {
    const QString text = toPlainText();
    if (std::none_of(text.begin(), text.end(), IsCodePicture)) return;
    QPainter painter(viewport());
    QFont small = font();
    small.setBold(true);
    small.setPointSizeF(font().pointSizeF() * 0.7);
    painter.setFont(small);
    const QTextCursor selection = textCursor();
    QTextCursor at(document());
    for (int i = 0; i < text.size(); ++i) {
        if (!IsCodePicture(text.at(i))) continue;
        at.setPosition(i);
        const QRect before = cursorRect(at);
        at.setPosition(i + 1);
        const int right = cursorRect(at).left();
        const QRect cell(before.left(), before.top(), std::max(right - before.left(), 4),
                         before.height());
        const bool selected = i >= selection.selectionStart() && i < selection.selectionEnd();
        const QColor paper = palette().color(selected ? QPalette::Highlight : QPalette::Base);
        const QColor ink = palette().color(selected ? QPalette::HighlightedText : QPalette::Text);
        painter.fillRect(cell, paper);
        const QRect mark = cell.adjusted(0, 2, -1, -2);
        painter.fillRect(mark, ink);
        painter.setPen(paper);
        painter.drawText(
            mark, Qt::AlignCenter,
            QString(MarkLetter(static_cast<char16_t>(text.at(i).unicode() - kPictures))));
    }
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
