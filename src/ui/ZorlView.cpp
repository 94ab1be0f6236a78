#include "ui/ZorlView.h"

#include <QAccessible>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <optional>
#include <utility>

#include "app/CZorlApp.h"
#include "common/Links.h"
#include "common/Speakers.h"
#include "config/Settings.h"
#include "incoming/NumericReplies.h"
#include "platform/Platform.h"
#include "platform/qt/QtText.h"
#include "script/PopupMenus.h"
#include "ui/FileDrops.h"
#include "ui/FindBar.h"
#include "ui/HangingLayout.h"
#include "ui/PopupMenuView.h"
#include "ui/QtWindowSurface.h"
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
    auto* pane = new QTextDocument(this);
    layout_ = new CHangingLayout(pane, viewport());
    pane->setDocumentLayout(layout_);
    setDocument(pane);
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setTabChangesFocus(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);  // lines wrap
    setFrameShape(QFrame::StyledPanel);
    document()->setDocumentMargin(2);
    setAccessibleName(QStringLiteral("Messages"));

    // Only the user's own scrolling decides back-scroll mode; the pane's
    // scrolling to the end after adding text does not.
    QScrollBar* bar = verticalScrollBar();
    connect(bar, &QScrollBar::actionTriggered, this, [this](int) { CheckBackScroll(); });
    connect(bar, &QScrollBar::sliderReleased, this, &CZorlView::CheckBackScroll);
    viewport()->setMouseTracking(true);
    // Read-only text takes no drops of its own; files for a query's peer.
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
}

void CZorlView::Enqueue(std::string_view text, Colour colour, bool debug) {
    if (!context_.app) return;
    queue_.Push(MakePiece(text, colour, debug, context_.app->colours, queue_.SpareText()), limit_);
}

void CZorlView::Adopt(PieceQueue&& pieces) {
    for (const QueuedPiece& piece : pieces.Pieces()) queue_.Push(piece, limit_);
    pieces.Clear();
}

void CZorlView::MarkMention() { queue_.MarkLastMention(); }

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
    const int insertedFrom = cursor.position();

    // Neighbouring runs of one style go in with one call: a flood of plain
    // lines becomes a handful of insertions. A line that mentions the user
    // gets its background from its block: a new block takes the format of
    // the one it was split from, so the format is set wherever it changes.
    long long skip = plan.skipBreaks;
    QString batch;
    RunStyle batchStyle;
    auto insertBatch = [&] {
        if (!batch.isEmpty()) cursor.insertText(batch, FormatFor(batchStyle));
        batch.clear();
    };
    const bool columns = Columns();
    PlaceColumns(columns);
    QTextBlockFormat lineBlock;
    QTextBlockFormat mentionBlock;
    if (context_.app) mentionBlock.setBackground(MentionBackground(context_.app->settings.BGColor));
    bool inMention = false;
    auto put = [&](std::string_view text, const RunStyle& style) {
        if (style.link) {
            insertBatch();
            QTextCharFormat format = FormatFor(style);
            const QString address = qt::DecodeText(text);
            format.setAnchorHref(address);
            cursor.insertText(address, format);
            return;
        }
        if (!(style == batchStyle)) insertBatch();
        batchStyle = style;
        batch += qt::DecodeText(text);
    };
    // The columns: where the next text goes in its line.
    bool lineStart = doc->lastBlock().length() <= 1;
    bool afterStamp = false;
    const CSettings* settings = context_.app ? &context_.app->settings : nullptr;
    auto head = [&](const QueuedPiece& piece, std::string_view& text, const RunStyle& style) {
        const std::size_t speaker = SpeakerLength(text.substr(0, text.find('\n')));
        batch += QLatin1Char('\t');
        if (speaker > 0) {
            RunStyle nick = style;
            // Chat of others gets its nick's colour; the own nick, a line
            // that calls the user and every other class keep theirs.
            if (!piece.mention && style.colour == settings->Color.Normal)
                nick.colour = NickColour(SpeakerNick(text.substr(0, speaker)), settings->BGColor);
            put(text.substr(0, speaker), nick);
            text.remove_prefix(speaker);
            // The blank after the speaker goes before the text's tab, so
            // that the text starts at the column its wrapped lines hang at.
            if (text.starts_with(' ')) {
                put(text.substr(0, 1), style);
                text.remove_prefix(1);
            }
        }
        batch += QLatin1Char('\t');
        lineStart = afterStamp = false;
    };
    auto add = [&](const QueuedPiece& piece, std::string_view text, const RunStyle& style) {
        while (skip > 0 && !text.empty()) {
            std::size_t at = text.find('\n');
            if (at == std::string_view::npos) {
                text = {};
            } else {
                text.remove_prefix(at + 1);
                --skip;
                lineStart = true;
            }
        }
        if (text.empty()) return;
        if (piece.mention != inMention) {
            insertBatch();
            cursor.setBlockFormat(piece.mention ? mentionBlock : lineBlock);
            inMention = piece.mention;
        }
        if (!columns) {
            put(text, style);
            return;
        }
        // The time stamp is a piece of its own before its line.
        if (lineStart && !style.link && style.colour == settings->Color.Time &&
            text.starts_with('[') && text.ends_with(' ') &&
            text.find('\n') == std::string_view::npos) {
            put(text, style);
            lineStart = false;
            afterStamp = true;
            return;
        }
        while (!text.empty()) {
            if (lineStart || afterStamp) {
                head(piece, text, style);
                if (text.empty()) break;
            }
            const std::size_t end = std::min(text.find('\n'), text.size() - 1) + 1;
            put(text.substr(0, end), style);
            lineStart = text[end - 1] == '\n';
            text.remove_prefix(end);
        }
    };
    for (const QueuedPiece& piece : queue_.Pieces()) {
        if (!piece.plain.empty()) {
            RunStyle plain;
            plain.colour = piece.colour;
            add(piece, piece.plain, plain);
        }
        for (const TextRun& run : piece.runs)
            add(piece, run.text, Readable(run.style, piece.colour));
    }
    insertBatch();
    if (inMention) cursor.setBlockFormat(lineBlock);
    cursor.endEditBlock();
    queue_.Clear();
    ScrollToEnd();
    AnnounceFrom(insertedFrom);
    return true;
}

// A screen reader hears the new lines of the window the user is in; the
// others wait until the user goes there.
void CZorlView::AnnounceFrom(int position) {
    if (!QAccessible::isActive() || !context_.Live() ||
        context_.app->registry.pLastFrm != context_.frame)
        return;
    QTextCursor added(document());
    added.setPosition(position);
    added.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    QString text = added.selectedText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.remove(QLatin1Char('\t'));  // the columns' own, not the line's
    if (text.trimmed().isEmpty()) return;
    QAccessibleTextInsertEvent event(this, position, text);
    QAccessible::updateAccessibility(&event);
}

void CZorlView::ApplyHints(int hints) {
    if (!context_.app) return;
    const CSettings& settings = context_.app->settings;
    if (hints & kHintLineLimit) limit_ = settings.MaxLines;
    if (hints & kHintFont) setFont(BaseFont(settings));
    // A pane in back-scroll mode keeps showing that it is.
    if (hints & kHintBackground) {
        SetBackground(live_ ? settings.BGColor : settings.BGColor2);
        formats_.clear();  // reverse video is drawn with the background
    }
}

const QTextCharFormat& CZorlView::FormatFor(const RunStyle& style) {
    auto [it, added] = formats_.try_emplace(style.Key());
    if (!added) return it->second;
    QTextCharFormat& format = it->second;
    QColor text = ToQColor(style.colour);
    std::optional<QColor> behind;
    if (style.hasBackground) behind = ToQColor(style.background);
    if (style.reverse) {
        const QColor pane =
            context_.app ? ToQColor(context_.app->settings.BGColor) : QColor(Qt::white);
        behind = std::exchange(text, behind.value_or(pane));
    }
    format.setForeground(text);
    if (behind) format.setBackground(*behind);
    format.setFontWeight(style.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(style.italic);
    format.setFontUnderline(style.underline || style.link);
    format.setFontStrikeOut(style.strike);
    if (style.monospace) {
        format.setFontFixedPitch(true);
        format.setFontFamilies({QStringLiteral("monospace")});
    }
    if (style.link) format.setAnchor(true);
    return format;
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

void CZorlView::Recolour(const std::vector<std::pair<Colour, Colour>>& changes,
                         Colour oldBackground, Colour newBackground) {
    std::unordered_map<QRgb, QColor> to;
    for (const auto& [from, colour] : changes) to.emplace(ToQColor(from).rgb(), ToQColor(colour));
    const QRgb oldTint = MentionBackground(oldBackground).rgb();
    const QBrush newTint(MentionBackground(newBackground));
    // What to change is found first: a change splits and joins fragments.
    struct Change {
        int position, length;
        QColor colour;
    };
    std::vector<Change> texts;
    std::vector<int> tinted;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        const QBrush background = block.blockFormat().background();
        if (background.style() != Qt::NoBrush && background.color().rgb() == oldTint)
            tinted.push_back(block.position());
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const auto found = to.find(fragment.charFormat().foreground().color().rgb());
            if (found != to.end())
                texts.push_back({fragment.position(), fragment.length(), found->second});
        }
    }
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    for (int position : tinted) {
        cursor.setPosition(position);
        QTextBlockFormat format = cursor.blockFormat();
        format.setBackground(newTint);
        cursor.setBlockFormat(format);
    }
    for (const Change& change : texts) {
        QTextCharFormat format;
        format.setForeground(change.colour);
        cursor.setPosition(change.position);
        cursor.setPosition(change.position + change.length, QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(format);
    }
    cursor.endEditBlock();
    formats_.clear();
}

// Without the columns' tabs: the text as the log has it.
QString CZorlView::SelectedText() const {
    QString text = textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    text.remove(QLatin1Char('\t'));
    return text;
}

QMimeData* CZorlView::createMimeDataFromSelection() const {
    auto* mime = new QMimeData;
    mime->setText(SelectedText());
    return mime;
}

// A formatting code's colour on the pane's own background, with the option
// to follow the desktop: black text sent for a white pane reads on a dark
// one. Text on a background of its own keeps what the sender chose.
RunStyle CZorlView::Readable(RunStyle style, Colour classColour) const {
    if (!context_.app || !context_.app->settings.FollowDesktop || style.hasBackground ||
        style.reverse || style.colour == classColour)
        return style;
    style.colour = ReadableOn(style.colour, context_.app->settings.BGColor);
    return style;
}

bool CZorlView::Columns() const {
    return context_.app && context_.app->settings.ConversationView != 0;
}

// The speaker's column holds "<" a nick of 12 ">"; a longer one pushes its
// line's text to the right, and its wrapped lines still hang at the column.
void CZorlView::PlaceColumns(bool columns) {
    QList<QTextOption::Tab> tabs;
    qreal indent = 0;
    if (columns) {
        constexpr int kNickColumn = 14;
        const QFontMetricsF metrics(font());
        const qreal stamp = context_.app->settings.TimeStamp != 0
                                ? metrics.horizontalAdvance(QStringLiteral("[00:00] "))
                                : 0;
        // The speaker and its blank end at one edge, one blank before the
        // text: a tab at its own position would jump to the next.
        const qreal blank = metrics.horizontalAdvance(QLatin1Char(' '));
        const qreal speaker = stamp + metrics.averageCharWidth() * kNickColumn + blank;
        indent = speaker + blank;
        tabs = {QTextOption::Tab(speaker, QTextOption::RightTab),
                QTextOption::Tab(indent, QTextOption::LeftTab)};
    }
    QTextOption option = document()->defaultTextOption();
    if (option.tabs() != tabs) {
        option.setTabs(tabs);
        document()->setDefaultTextOption(option);
    }
    layout_->SetIndent(indent);
}

// ---- Find ------------------------------------------------------------------------

void CZorlView::OpenFind() {
    if (!find_bar_) {
        find_bar_ = new CFindBar(this);
        connect(find_bar_, &CFindBar::findRequested, this,
                [this](bool older) { find_bar_->SetFound(Find(find_bar_->Text(), older)); });
        connect(find_bar_, &CFindBar::closeRequested, this, &CZorlView::CloseFind);
    }
    if (!find_bar_->isVisible()) find_from_end_ = true;
    find_bar_->Place(viewport()->geometry());
    find_bar_->show();
    find_bar_->raise();
    find_bar_->Field()->setFocus(Qt::ShortcutFocusReason);
    find_bar_->Field()->selectAll();
}

namespace {

// The columns' tabs are not part of the text the user looks for: "bob> hi"
// matches "<bob> \thi", any letter case.
QRegularExpression FindPattern(const QString& text) {
    QString pattern;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (i > 0) pattern += QStringLiteral("\\t*");
        pattern += QRegularExpression::escape(text.mid(i, 1));
    }
    return QRegularExpression(pattern, QRegularExpression::CaseInsensitiveOption);
}

}  // namespace

bool CZorlView::Find(const QString& text, bool older) {
    if (text.isEmpty()) return true;
    QTextDocument::FindFlags flags;
    if (older) flags |= QTextDocument::FindBackward;
    QTextCursor from = textCursor();
    if (find_from_end_) from.movePosition(QTextCursor::End);
    const QRegularExpression pattern = FindPattern(text);
    QTextCursor found = document()->find(pattern, from, flags);
    if (found.isNull()) {
        from.movePosition(older ? QTextCursor::End : QTextCursor::Start);
        found = document()->find(pattern, from, flags);
    }
    if (found.isNull()) {
        setExtraSelections({});
        return false;
    }
    find_from_end_ = false;
    setTextCursor(found);
    QTextEdit::ExtraSelection match;
    match.cursor = found;
    match.format.setBackground(QColor(255, 230, 0));
    match.format.setForeground(QColor(Qt::black));
    setExtraSelections({match});
    // The view moved by itself: back-scroll mode follows where it is now.
    CheckBackScroll();
    return true;
}

void CZorlView::CloseFind() {
    if (!find_bar_) return;
    find_bar_->hide();
    setExtraSelections({});
    find_from_end_ = true;
    if (input_)
        input_->setFocus(Qt::OtherFocusReason);
    else
        setFocus(Qt::OtherFocusReason);
}

std::string CZorlView::DropNick() const {
    if (!context_.Live() || context_.type != kWindowQuery) return {};
    const ChannelRecord* record = context_.app->registry.FindByFrame(context_.frame);
    return record ? record->name : std::string();
}

void CZorlView::dragEnterEvent(QDragEnterEvent* event) {
    if (!DropNick().empty() && !DroppedFiles(event->mimeData()).empty())
        event->acceptProposedAction();
    else
        QPlainTextEdit::dragEnterEvent(event);
}

void CZorlView::dragMoveEvent(QDragMoveEvent* event) {
    if (!DropNick().empty() && !DroppedFiles(event->mimeData()).empty())
        event->acceptProposedAction();
    else
        QPlainTextEdit::dragMoveEvent(event);
}

void CZorlView::dropEvent(QDropEvent* event) {
    const std::string nick = DropNick();
    std::vector<std::string> files = DroppedFiles(event->mimeData());
    if (nick.empty() || files.empty()) {
        QPlainTextEdit::dropEvent(event);
        return;
    }
    event->acceptProposedAction();
    context_.app->OfferFiles(context_.frame, nick, files);
}

void CZorlView::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    if (find_bar_) find_bar_->Place(viewport()->geometry());
}

// ---- Mouse ---------------------------------------------------------------------

void CZorlView::mousePressEvent(QMouseEvent* event) {
    pressed_link_ =
        event->button() == Qt::LeftButton ? anchorAt(event->position().toPoint()) : QString();
    QPlainTextEdit::mousePressEvent(event);
}

void CZorlView::mouseMoveEvent(QMouseEvent* event) {
    const bool overLink = !anchorAt(event->position().toPoint()).isEmpty();
    viewport()->setCursor(overLink ? Qt::PointingHandCursor : Qt::IBeamCursor);
    QPlainTextEdit::mouseMoveEvent(event);
}

// A click on an address opens it; a drag that selects text does not.
void CZorlView::mouseReleaseEvent(QMouseEvent* event) {
    QPlainTextEdit::mouseReleaseEvent(event);
    const QString link = std::exchange(pressed_link_, QString());
    if (event->button() != Qt::LeftButton || link.isEmpty()) return;
    if (anchorAt(event->position().toPoint()) != link || textCursor().hasSelection()) return;
    OpenLink(link);
}

void CZorlView::OpenLink(const QString& href) {
    if (!context_.app) return;
    const std::string address = qt::EncodeText(href);
    // Only what the pane itself marked as a web address goes to the desktop;
    // a file link opens the folder it is in.
    if (IsWebLink(address))
        context_.app->platform.shell.Open(address);
    else if (const std::string folder = FolderLinkOf(address); !folder.empty())
        context_.app->platform.shell.Open(folder);
}

void CZorlView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (context_.Live() && event->button() == Qt::LeftButton) {
        const QString row =
            cursorForPosition(event->position().toPoint()).block().text().remove(QLatin1Char('\t'));
        if (context_.app->numerics.JoinListedChannel(context_.frame, qt::EncodeText(row))) return;
    }
    QPlainTextEdit::mouseDoubleClickEvent(event);
}

// The script's entries for the window, then the client's own: forgetting
// what history keeps of the window (of the network, in a status window).
void CZorlView::contextMenuEvent(QContextMenuEvent* event) {
    if (!context_.Live()) return;
    const char* section = PopupSection(context_.type);
    CZorlApp& app = *context_.app;
    const FrameId frame = context_.frame;
    const PopupMenu menu = section ? BuildPopupMenu(app.ini, section) : PopupMenu{};
    std::vector<BuiltInEntry> own;
    if (context_.type == kWindowChannel && context_.surface) {
        QtWindowSurface* surface = context_.surface;
        own.push_back({QStringLiteral("Bans, exceptions and invites..."),
                       [surface, frame] { surface->OpenChannelLists(frame); }});
    }
    if (app.settings.History != 0 && app.platform.history.IsOpen()) {
        own.push_back({context_.type == kWindowStatus ? QStringLiteral("Clear network's history")
                                                      : QStringLiteral("Clear history"),
                       [&app, frame] { app.ForgetHistoryOf(frame); }});
    }
    const int entry = ExecPopupMenu(menu, event->globalPos(), this, own);
    // The frame may have closed while the menu was open; the engine finds
    // the window by its frame, or not at all.
    if (entry >= 0) RunPopupEntry(app.scriptContext, frame, menu, entry);
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
