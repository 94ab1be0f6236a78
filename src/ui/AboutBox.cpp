#include "ui/AboutBox.h"

#include <QDialogButtonBox>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "platform/Shell.h"
#include "platform/qt/QtText.h"

namespace zorl::ui {

CHyperLink::CHyperLink(const QString& label, const QString& target, IShell* shell, QWidget* parent)
    : QLabel(label, parent), target_(target), shell_(shell) {
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setCursor(Qt::PointingHandCursor);
    setToolTip(target);
    SetColour(kLinkColour);
}

void CHyperLink::SetColour(QRgb colour) {
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, QColor::fromRgb(colour));
    setPalette(palette);
}

void CHyperLink::Open() {
    if (shell_) shell_->Open(qt::EncodeText(target_));
    visited_ = true;
    SetColour(underMouse() ? kHoverColour : kVisitedColour);
}

void CHyperLink::enterEvent(QEnterEvent* event) {
    SetColour(kHoverColour);
    QLabel::enterEvent(event);
}

void CHyperLink::leaveEvent(QEvent* event) {
    SetColour(visited_ ? kVisitedColour : kLinkColour);
    QLabel::leaveEvent(event);
}

void CHyperLink::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) Open();
    QLabel::mouseReleaseEvent(event);
}

CAboutDlg::CAboutDlg(IShell* shell, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Zorl"));
    auto* layout = new QVBoxLayout(this);

    auto* name = new QLabel(QStringLiteral("Zorl Version 0.1.0"), this);
    QFont big = name->font();
    big.setBold(true);
    big.setPointSize(big.pointSize() + 2);
    name->setFont(big);
    layout->addWidget(name);
    layout->addWidget(new QLabel(QStringLiteral("An IRC client for the desktop."), this));
    layout->addSpacing(8);
    layout->addWidget(
        new CHyperLink(QString::fromLatin1(kWebPage), QString::fromLatin1(kWebPage), shell, this));
    layout->addWidget(new CHyperLink(QStringLiteral("zorl@example.org"), QString::fromLatin1(kMail),
                                     shell, this));
    layout->addSpacing(8);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace zorl::ui
