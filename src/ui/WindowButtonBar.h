// The bar of window buttons along the bottom of the main window: up to 50
// buttons, 20 pixels high and ButtonSize wide, left to right in button
// order (continuing on a further row when the window is too narrow), the
// buttons of one network together and a small gap before the next. A
// button's caption is red while its window has unseen output.
#pragma once

#include <QAbstractButton>
#include <QWidget>
#include <array>
#include <functional>
#include <vector>

#include "common/SharedTypes.h"

namespace zorl::ui {

class CWindowButton : public QAbstractButton {
    Q_OBJECT
public:
    CWindowButton(int index, QWidget* parent);

    int Index() const { return index_; }
    int Network() const { return network_; }
    void SetNetwork(int network) { network_ = network; }
    void SetHighlight(Colour colour);
    Colour Highlight() const { return highlight_; }
    void SetCurrent(bool current);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int index_;
    int network_ = 0;
    Colour highlight_ = 0;
    bool current_ = false;
};

class CWindowButtonBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kButtons = 50;
    static constexpr int kHeight = 20;

    explicit CWindowButtonBar(QWidget* parent);

    static constexpr int kNetworkGap = 6;

    // Creates or recreates button `index` (highlight cleared).
    void SetButton(int index, const QString& caption, int width, int network = 0);
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
    // The buttons by network, then by number.
    std::vector<CWindowButton*> InOrder() const;
    // Where each button goes in a bar `width` wide; the number of rows.
    int Place(int width, const std::function<void(CWindowButton*, int, int)>& put) const;

    std::array<CWindowButton*, kButtons> buttons_{};
    int current_ = -1;
};

}  // namespace zorl::ui
