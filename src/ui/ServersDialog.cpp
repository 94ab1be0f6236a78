#include "ui/ServersDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt/QtText.h"

namespace zorl::ui {

CServersDialog::CServersDialog(CServerList& list, QWidget* parent)
    : QDialog(parent), list_(list), names_(new QComboBox(this)) {
    setWindowTitle(QStringLiteral("Servers"));
    names_->setMinimumContentsLength(28);
    names_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    auto* label = new QLabel(QStringLiteral("&Server:"), this);
    label->setBuddy(names_);

    auto* add = new QPushButton(QStringLiteral("&Add"), this);
    auto* edit = new QPushButton(QStringLiteral("&Edit"), this);
    auto* remove = new QPushButton(QStringLiteral("&Delete"), this);
    for (QPushButton* button : {add, edit, remove}) button->setAutoDefault(false);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* connectNew =
        buttons->addButton(QStringLiteral("&Connect"), QDialogButtonBox::ActionRole);
    connectNew->setToolTip(QStringLiteral("Connect to this server beside the open networks"));

    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(names_, 1);
    auto* actions = new QHBoxLayout;
    actions->addStretch(1);
    for (QPushButton* button : {add, edit, remove}) actions->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addLayout(actions);
    layout->addSpacing(8);
    layout->addWidget(buttons);

    connect(names_, &QComboBox::currentIndexChanged, this,
            [this](int index) { list_.Select(index); });
    connect(add, &QPushButton::clicked, this, [this] { Run(&CServerList::Add); });
    connect(edit, &QPushButton::clicked, this, [this] { Run(&CServerList::Edit); });
    connect(remove, &QPushButton::clicked, this, [this] { Run(&CServerList::Delete); });
    connect(connectNew, &QPushButton::clicked, this, [this] {
        list_.openAsNetwork = true;
        accept();
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    ShowList();
    names_->setFocus(Qt::OtherFocusReason);
}

void CServersDialog::ShowList() {
    const QSignalBlocker quiet(names_);
    names_->clear();
    for (const std::string& name : list_.Names()) names_->addItem(qt::DecodeText(name));
    names_->setCurrentIndex(list_.Selected());
}

// The operation opens message boxes and the Edit server dialog, each with an
// event loop of its own.
void CServersDialog::Run(void (CServerList::*operation)()) {
    QPointer<CServersDialog> self(this);
    (list_.*operation)();
    if (self) ShowList();
}

CEditServerDialog::CEditServerDialog(const ServerEntry& entry, QWidget* parent)
    : QDialog(parent),
      without_tls_(new QCheckBox(QStringLiteral("Allow the login &without TLS"), this)),
      require_login_(new QCheckBox(QStringLiteral("&Disconnect when the login fails"), this)),
      connect_at_start_(new QCheckBox(QStringLiteral("Connect when zorl &starts"), this)) {
    setWindowTitle(QStringLiteral("Edit server"));
    const char* labels[kFieldCount] = {"&Name:",
                                       "&Address:",
                                       "&Ports:",
                                       "Pass&word:",
                                       "&Group:",
                                       "&Fingerprint:",
                                       "Login a&ccount:",
                                       "Login pa&ssword:",
                                       "Client c&ertificate:",
                                       "C&hannels to join:",
                                       "Pro&xy:"};
    const std::string* values[kFieldCount] = {&entry.name,
                                              &entry.address,
                                              &entry.ports,
                                              &entry.password,
                                              &entry.group,
                                              &entry.extras.fingerprint,
                                              &entry.extras.saslAccount,
                                              &entry.extras.saslPassword,
                                              &entry.extras.clientCert,
                                              &entry.extras.startChannels,
                                              &entry.extras.proxy};
    auto* form = new QFormLayout;
    for (int i = 0; i < kFieldCount; ++i) {
        auto* edit = new QLineEdit(qt::DecodeText(*values[i]), this);
        auto* label = new QLabel(QString::fromLatin1(labels[i]), this);
        label->setBuddy(edit);
        form->addRow(label, edit);
        edits_[static_cast<std::size_t>(i)] = edit;
    }
    edits_[kName]->setMinimumWidth(260);
    edits_[kPorts]->setPlaceholderText(QStringLiteral("6667,7000 or +6697 for TLS"));
    edits_[kFingerprint]->setPlaceholderText(QStringLiteral("SHA-256 of a certificate to trust"));
    edits_[kFingerprint]->setCursorPosition(0);  // a long print shows its start
    edits_[kPassword]->setEchoMode(QLineEdit::PasswordEchoOnEdit);
    edits_[kSaslPassword]->setEchoMode(QLineEdit::PasswordEchoOnEdit);
    edits_[kClientCert]->setPlaceholderText(
        QStringLiteral("PEM file with certificate and key (Tools > New client certificate)"));
    edits_[kStartChannels]->setPlaceholderText(QStringLiteral("#a,#b after connecting at start"));
    edits_[kProxy]->setPlaceholderText(
        QStringLiteral("socks5:host:port, http:host:port or none; empty: the one of Properties"));
    without_tls_->setChecked(entry.extras.saslWithoutTls);
    connect_at_start_->setChecked(entry.extras.connectAtStart);
    require_login_->setChecked(entry.extras.requireLogin);
    form->addRow(without_tls_);
    form->addRow(require_login_);
    form->addRow(connect_at_start_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

ServerEntry CEditServerDialog::Entry() const {
    auto text = [this](Field field) { return qt::EncodeText(edits_[field]->text()); };
    ServerEntry entry{text(kName), text(kAddress), text(kPorts), text(kPassword), text(kGroup)};
    entry.extras = {text(kFingerprint),
                    text(kSaslAccount),
                    text(kSaslPassword),
                    without_tls_->isChecked(),
                    text(kClientCert),
                    require_login_->isChecked(),
                    connect_at_start_->isChecked(),
                    text(kStartChannels),
                    text(kProxy)};
    return entry;
}

bool RunServersDialog(CServerList& list, QWidget* parent) {
    CServersDialog dialog(list, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool RunEditServerDialog(ServerEntry& entry, QWidget* parent) {
    CEditServerDialog dialog(entry, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    entry = dialog.Entry();
    return true;
}

}  // namespace zorl::ui
