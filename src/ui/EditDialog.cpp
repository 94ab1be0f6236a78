#include "ui/EditDialog.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "platform/qt/QtText.h"

namespace zorl::ui {

CEditDlg::CEditDlg(const std::string& text, QWidget* parent)
    : QDialog(parent), field_(new QPlainTextEdit) {
    setWindowTitle(QStringLiteral("Edit"));
    QString shown = qt::DecodeText(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    field_->setPlainText(shown);
    field_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    field_->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Tab leaves the field for the buttons, as everywhere else in a dialog.
    field_->setTabChangesFocus(true);
    field_->setAccessibleName(QStringLiteral("Text"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(field_);
    layout->addWidget(buttons);
    resize(560, 420);
}

std::string CEditDlg::Text() const {
    QString text = field_->toPlainText();
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return qt::EncodeText(text);
}

}  // namespace zorl::ui
