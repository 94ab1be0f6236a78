// The bar of window buttons along the bottom of the main window: up to 50
// buttons, 20 pixels high and ButtonSize wide, left to right in button
// order (continuing on a further row when the window is too narrow). A
// button's caption is red while its window has unseen output.
#pragma once

#include <QAbstractButton>
#include <QWidget>
#include <array>
#include <functional>

#include "common/SharedTypes.h"

namespace zorl::ui {

class CWindowButton : public QAbstractButton {
    Q_OBJECT
public:
    CWindowButton(int index, QWidget* parent);

    int Index() const { return index_; }
    void SetHighlight(Colour colour);
    Colour Highlight() const { return highlight_; }
    void SetCurrent(bool current);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int index_;
    Colour highlight_ = 0;
    bool current_ = false;
};

class CWindowButtonBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kButtons = 50;
    static constexpr int kHeight = 20;

    explicit CWindowButtonBar(QWidget* parent);

    // Creates or recreates button `index` (highlight cleared).
    void SetButton(int index, const QString& caption, int width);
    void RemoveButton(int index);
    void SetHighlight(int index, Colour colour);
    // Marks the button of the window the user works in (-1: none).
    void SetCurrent(int index);

    CWindowButton* Button(int index) const;
    int Count() const;

    // Called with the button's number when it is clicked.
    std::function<void(int)> onClicked;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Layout();
    int Rows(int width) const;

    std::array<CWindowButton*, kButtons> buttons_{};
    int current_ = -1;
};

}  // namespace zorl::ui
