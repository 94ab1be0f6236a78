#include "ui/DccDialogs.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "platform/qt/QtText.h"

namespace zorl::ui {
namespace {

// Shown beside the main window, without taking the keyboard: a key meant
// for the input line must never answer an offer.
// Wide enough for "nick (user@a.long.host.name)" and a long file name.
void MakeWide(QDialog& dialog) {
    dialog.setMinimumWidth(dialog.fontMetrics().averageCharWidth() * 64);
}

void ShowQuietly(QDialog& dialog) {
    dialog.setAttribute(Qt::WA_DeleteOnClose);
    dialog.setAttribute(Qt::WA_ShowWithoutActivating);
    dialog.setModal(false);
    dialog.show();
}

// A read-only field whose label names it for the keyboard and screen readers.
// It is wide enough for its whole text (up to a long line's worth) and shows
// its start: a nick cut to "r (~root@host)" tells nothing.
QLineEdit* AddField(QFormLayout& form, const QString& label, const QString& text, bool editable,
                    QWidget* parent) {
    auto* field = new QLineEdit(text, parent);
    field->setReadOnly(!editable);
    const QFontMetrics metrics = field->fontMetrics();
    const int margins = 4 * metrics.averageCharWidth();
    field->setMinimumWidth(
        std::min(metrics.horizontalAdvance(text), 80 * metrics.averageCharWidth()) + margins);
    field->setCursorPosition(0);
    auto* name = new QLabel(label, parent);
    name->setBuddy(field);
    form.addRow(name, field);
    return field;
}

// Where accepting connects to, both questions alike.
void AddDestination(QFormLayout& form, const DccOfferDetails& offer, QWidget* parent) {
    AddField(form, QStringLiteral("Address:"), qt::DecodeText(offer.address), false, parent);
    // A passive offer names no port: its sender connects to us instead.
    AddField(form, QStringLiteral("Port:"),
             offer.port != 0 ? QString::number(offer.port)
                             : QStringLiteral("none (passive: the sender connects to you)"),
             false, parent);
}

// The warning, if any, above the buttons; with one, Enter alone refuses.
void AddAnswers(QVBoxLayout& layout, QDialog& dialog, const DccOfferDetails& offer) {
    if (!offer.warning.empty()) {
        auto* warning = new QLabel(qt::DecodeText(offer.warning), &dialog);
        warning->setWordWrap(true);
        warning->setTextFormat(Qt::PlainText);
        layout.addWidget(warning);
    }
    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* accept =
        buttons->addButton(QStringLiteral("&Accept"), QDialogButtonBox::AcceptRole);
    QPushButton* refuse =
        buttons->addButton(QStringLiteral("&Refuse"), QDialogButtonBox::RejectRole);
    if (!offer.warning.empty()) {
        accept->setAutoDefault(false);
        refuse->setDefault(true);
        refuse->setFocus();
    }
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout.addWidget(buttons);
}

}  // namespace

CDccChatDialog::CDccChatDialog(const DccOfferDetails& offer, std::function<void(DccAnswer)> answer,
                               QWidget* parent)
    : QDialog(parent), answer_(std::move(answer)) {
    setWindowTitle(QStringLiteral("DCC chat request"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    form->setRowWrapPolicy(QFormLayout::WrapAllRows);
    AddField(*form, QStringLiteral("Incoming DCC Chat request from:"), qt::DecodeText(offer.from),
             false, this);
    AddDestination(*form, offer, this);
    layout->addLayout(form);
    AddAnswers(*layout, *this, offer);
    MakeWide(*this);
    connect(this, &QDialog::finished, this, [this](int result) {
        if (auto reply = std::exchange(answer_, nullptr))
            reply(result == QDialog::Accepted ? DccAnswer::Accept : DccAnswer::Refuse);
    });
    ShowQuietly(*this);
}

CDccSendDialog::CDccSendDialog(const DccOfferDetails& offer,
                               std::function<void(DccAnswer, const std::string&)> answer,
                               QWidget* parent)
    : QDialog(parent), answer_(std::move(answer)) {
    setWindowTitle(QStringLiteral("DCC file transfer request"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    AddField(*form, QStringLiteral("Incoming DCC File SEND request from:"),
             qt::DecodeText(offer.from), false, this);
    file_name_ =
        AddField(*form, QStringLiteral("&File name:"), qt::DecodeText(offer.fileName), true, this);
    AddField(*form, QStringLiteral("File size:"), qt::DecodeText(offer.size), false, this);
    AddDestination(*form, offer, this);
    layout->addLayout(form);
    AddAnswers(*layout, *this, offer);
    MakeWide(*this);
    connect(this, &QDialog::finished, this, [this](int result) {
        if (auto reply = std::exchange(answer_, nullptr))
            reply(result == QDialog::Accepted ? DccAnswer::Accept : DccAnswer::Refuse,
                  qt::EncodeText(file_name_->text()));
    });
    ShowQuietly(*this);
}

COverwriteDialog::COverwriteDialog(const std::string& resume,
                                   std::function<void(OverwriteAnswer)> answer, QWidget* parent)
    : QDialog(parent), answer_(std::move(answer)) {
    setWindowTitle(QStringLiteral("DCC file transfer request"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Overwrite existing file?"), this));
    if (!resume.empty()) {
        auto* here = new QLabel(qt::DecodeText(resume), this);
        here->setTextFormat(Qt::PlainText);
        layout->addWidget(here);
    }
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    QPushButton* rename =
        buttons->addButton(QStringLiteral("&Rename"), QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(rename, &QPushButton::clicked, this, [this] { done(kRename); });
    if (!resume.empty()) {
        // Going on from where it stopped is what a user who sees the file
        // again wants most often.
        QPushButton* resumeButton =
            buttons->addButton(QStringLiteral("Re&sume"), QDialogButtonBox::ActionRole);
        connect(resumeButton, &QPushButton::clicked, this, [this] { done(kResume); });
        ok->setAutoDefault(false);
        resumeButton->setDefault(true);
    }
    layout->addWidget(buttons);
    connect(this, &QDialog::finished, this, [this](int result) {
        auto reply = std::exchange(answer_, nullptr);
        if (!reply) return;
        reply(result == QDialog::Accepted ? OverwriteAnswer::Ok
              : result == kRename         ? OverwriteAnswer::Rename
              : result == kResume         ? OverwriteAnswer::Resume
                                          : OverwriteAnswer::Cancel);
    });
    ShowQuietly(*this);
}

}  // namespace zorl::ui
