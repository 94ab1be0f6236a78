// The input line of a window: Enter hands the text to the document, Up and
// Down walk the input history, Page Up/Down scroll the output pane,
// Ctrl+B/U/R/O/K insert the formatting codes (Ctrl+K with a colour palette)
// and Tab completes a nick of the window.
//
// The formatting codes are held in the editor as their control pictures
// (U+2402 for 0x02 and so on), so that copying, pasting and completion see
// one character per code; Line() gives them back as codes. Few fonts draw
// those pictures, so the input line paints each as a small letter on a
// block of the text's colour (B, K for colour, O, R, I, S, U, M, E).
#pragma once

#include <QDialog>
#include <QPlainTextEdit>
#include <QStringList>
#include <array>
#include <optional>

#include "ui/ViewStyle.h"

namespace zorl {
struct ColourTables;
}

namespace zorl::ui {

class CZorlView;
class CSpellHighlighter;

// Sixteen colour cells, 16 x 16 pixels, in two rows of eight: row 0 from
// (5, 5) holds colours 0..7, row 1 from (5, 21) colours 8..15. A click on a
// cell closes the dialog with that colour's number.
class CColourPalette : public QDialog {
    Q_OBJECT
public:
    static constexpr int kCell = 16;
    static constexpr int kLeft = 5;
    static constexpr int kTop = 5;

    CColourPalette(const ColourTables& tables, QWidget* parent);
    int Chosen() const { return chosen_; }
    // The cell under a point, or -1.
    static int CellAt(QPoint point);
    static QPoint CellCentre(int cell);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    std::array<QColor, 16> colours_;
    int chosen_ = -1;
};

class CSendView : public QPlainTextEdit {
    Q_OBJECT
public:
    CSendView(FrameContext& context, QWidget* parent);

    void ApplyHints(int hints);
    void SetOutputPane(CZorlView* output) { output_ = output; }

    // The text as it will be executed, formatting codes as codes.
    QString Line() const;
    // Tab: replaces the word before the caret with the first nick of the
    // window that begins with it ("bo" -> "bob: " at the start of the line,
    // "bob " elsewhere); Tab again, with nothing changed in between, puts
    // the next match there. False when there is no word to complete.
    bool CompleteNick();

    // Enter: the whole text goes to the document, one line per line break.
    void ExecuteInput();
    void HistoryUp();
    void HistoryDown();
    // Ctrl+K: inserts 0x03, then the number picked in the palette.
    void PickColour();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    // Suggestions and "Add to dictionary" above the usual entries, on a
    // misspelt word.
    void contextMenuEvent(QContextMenuEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    QMimeData* createMimeDataFromSelection() const override;

private:
    struct Completion {
        QStringList matches;
        int index = 0;
        int start = 0;   // where the completed word begins
        int length = 0;  // of what stands there now, suffix included
        QString suffix;
        QString result;  // the whole text after the last Tab
    };

    void ShowEntry(const QString& text);
    void PaintCodeMarks();
    void InsertCode(char code);
    void PutCompletion(int index);
    // Spelling on or off, and its dictionary, as the settings say.
    void FollowSpelling(const CSettings& settings);
    bool IsNickOfWindow(const QString& word) const;

    FrameContext& context_;
    CZorlView* output_ = nullptr;
    std::optional<Completion> completion_;
    CSpellHighlighter* spell_ = nullptr;  // a child of the document
};

}  // namespace zorl::ui
