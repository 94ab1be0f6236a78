#include "ui/WindowButtonBar.h"

#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>

#include "ui/ViewStyle.h"

namespace zorl::ui {

CWindowButton::CWindowButton(int index, QWidget* parent) : QAbstractButton(parent), index_(index) {
    // Clicking a button must not take the focus from the input line.
    setFocusPolicy(Qt::TabFocus);
}

void CWindowButton::SetHighlight(Colour colour) {
    if (highlight_ == colour) return;
    highlight_ = colour;
    update();
}

void CWindowButton::SetCurrent(bool current) {
    if (current_ == current) return;
    current_ = current;
    update();
}

QSize CWindowButton::sizeHint() const { return {width(), CWindowButtonBar::kHeight}; }

void CWindowButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    option.initFrom(this);
    option.features = QStyleOptionButton::None;
    if (isDown() || current_)
        option.state |= QStyle::State_Sunken;
    else
        option.state |= QStyle::State_Raised;
    painter.drawControl(QStyle::CE_PushButtonBevel, option);

    QRect box = rect().adjusted(4, 0, -4, 0);
    QFont font = painter.font();
    font.setBold(current_);
    painter.setFont(font);
    painter.setPen(highlight_ != 0 ? MarkColour(highlight_, palette().color(QPalette::Button))
                                   : palette().color(QPalette::ButtonText));
    const QString caption = painter.fontMetrics().elidedText(text(), Qt::ElideRight, box.width());
    painter.drawText(box, Qt::AlignCenter, caption);

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(3, 3, -3, -3);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

CWindowButtonBar::CWindowButtonBar(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setAccessibleName(QStringLiteral("Window buttons"));
}

void CWindowButtonBar::SetButton(int index, const QString& caption, int width, int network) {
    if (index < 0 || index >= kButtons) return;
    CWindowButton*& button = buttons_[static_cast<std::size_t>(index)];
    if (!button) {
        button = new CWindowButton(index, this);
        connect(button, &QAbstractButton::clicked, this, [this, index] {
            if (onClicked) onClicked(index);
        });
    }
    button->setText(caption);
    button->setToolTip(caption);
    button->SetNetwork(network);
    button->SetHighlight(0);
    button->SetCurrent(index == current_);
    button->resize(std::max(width, 1), kHeight);
    button->show();
    Layout();
    updateGeometry();
}

void CWindowButtonBar::RemoveButton(int index) {
    if (index < 0 || index >= kButtons) return;
    CWindowButton*& button = buttons_[static_cast<std::size_t>(index)];
    if (!button) return;
    button->hide();
    button->deleteLater();  // it may be the one whose click got us here
    button = nullptr;
    Layout();
    updateGeometry();
}

void CWindowButtonBar::SetHighlight(int index, Colour colour) {
    if (CWindowButton* button = Button(index)) button->SetHighlight(colour);
}

void CWindowButtonBar::SetCurrent(int index) {
    current_ = index;
    for (CWindowButton* button : buttons_)
        if (button) button->SetCurrent(button->Index() == index);
}

CWindowButton* CWindowButtonBar::Button(int index) const {
    if (index < 0 || index >= kButtons) return nullptr;
    return buttons_[static_cast<std::size_t>(index)];
}

int CWindowButtonBar::Count() const {
    int count = 0;
    for (CWindowButton* button : buttons_) count += button != nullptr;
    return count;
}

std::vector<CWindowButton*> CWindowButtonBar::InOrder() const {
    std::vector<CWindowButton*> order;
    for (CWindowButton* button : buttons_)
        if (button) order.push_back(button);
    std::stable_sort(
        order.begin(), order.end(),
        [](const CWindowButton* a, const CWindowButton* b) { return a->Network() < b->Network(); });
    return order;
}

int CWindowButtonBar::Place(int width,
                            const std::function<void(CWindowButton*, int, int)>& put) const {
    int rows = 1;
    int x = 0;
    const CWindowButton* last = nullptr;
    for (CWindowButton* button : InOrder()) {
        if (last && last->Network() != button->Network() && x > 0) x += kNetworkGap;
        if (x > 0 && x + button->width() > width) {
            ++rows;
            x = 0;
        }
        if (put) put(button, x, (rows - 1) * kHeight);
        x += button->width();
        last = button;
    }
    return rows;
}

int CWindowButtonBar::Rows(int width) const { return Place(width, nullptr); }

int CWindowButtonBar::heightForWidth(int width) const { return Rows(width) * kHeight; }

QSize CWindowButtonBar::sizeHint() const { return {200, heightForWidth(width())}; }

QSize CWindowButtonBar::minimumSizeHint() const { return {0, kHeight}; }

void CWindowButtonBar::resizeEvent(QResizeEvent*) {
    Layout();
    if (height() != heightForWidth(width())) updateGeometry();
}

void CWindowButtonBar::Layout() {
    Place(width(), [](CWindowButton* button, int x, int y) { button->move(x, y); });
}

}  // namespace zorl::ui
