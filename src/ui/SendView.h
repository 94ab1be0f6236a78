// The input line of a window: Enter hands the text to the document, Up and
// Down walk the input history, Page Up/Down scroll the output pane, and
// Ctrl+B/U/R/O/K insert the formatting codes (Ctrl+K with a colour palette).
#pragma once

#include <QDialog>
#include <QPlainTextEdit>
#include <array>

#include "ui/ViewStyle.h"

namespace zorl {
struct ColourTables;
}

namespace zorl::ui {

class CZorlView;

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

    // Enter: the whole text goes to the document, one line per line break.
    void ExecuteInput();
    void HistoryUp();
    void HistoryDown();
    // Ctrl+K: inserts 0x03, then the number picked in the palette.
    void PickColour();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ShowEntry(const QString& text);
    void InsertCode(char code);

    FrameContext& context_;
    CZorlView* output_ = nullptr;
};

}  // namespace zorl::ui
