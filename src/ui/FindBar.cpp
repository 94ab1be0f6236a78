#include "ui/FindBar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

namespace zorl::ui {

CFindBar::CFindBar(QWidget* parent) : QFrame(parent), field_(new QLineEdit(this)) {
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    field_->setPlaceholderText(QStringLiteral("Find"));
    field_->setClearButtonEnabled(true);
    field_->installEventFilter(this);

    auto button = [this](const QString& text, const QString& tip) {
        auto* b = new QToolButton(this);
        b->setText(text);
        b->setToolTip(tip);
        b->setAutoRaise(true);
        return b;
    };
    QToolButton* previous = button(QStringLiteral("Previous"), QStringLiteral("Older (Enter)"));
    QToolButton* next = button(QStringLiteral("Next"), QStringLiteral("Newer (Shift+Enter)"));
    QToolButton* close = button(QStringLiteral("\u00D7"), QStringLiteral("Close (Escape)"));
    connect(previous, &QToolButton::clicked, this, [this] { emit findRequested(true); });
    connect(next, &QToolButton::clicked, this, [this] { emit findRequested(false); });
    connect(close, &QToolButton::clicked, this, &CFindBar::closeRequested);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(3, 2, 3, 2);
    layout->setSpacing(2);
    layout->addWidget(field_);
    layout->addWidget(previous);
    layout->addWidget(next);
    layout->addWidget(close);
    hide();
}

QString CFindBar::Text() const { return field_->text(); }

void CFindBar::SetFound(bool found) {
    QPalette palette = field_->palette();
    palette.setColor(QPalette::Base,
                     found ? QPalette().color(QPalette::Base) : QColor(255, 200, 200));
    palette.setColor(QPalette::Text, found ? QPalette().color(QPalette::Text) : QColor(Qt::black));
    field_->setPalette(palette);
}

void CFindBar::Place(const QRect& area) {
    const QSize size = sizeHint().boundedTo(area.size());
    setGeometry(area.right() - size.width() + 1, area.top(), size.width(), size.height());
}

bool CFindBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == field_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                emit findRequested(!(key->modifiers() & Qt::ShiftModifier));
                return true;
            case Qt::Key_Escape: emit closeRequested(); return true;
            default: break;
        }
    }
    return QFrame::eventFilter(watched, event);
}

}  // namespace zorl::ui
