// The Servers dialog and the Edit server dialog. They only draw: the list,
// its selection and what Add, Edit and Delete do are the engine's
// (config/ServerList.h), which opens the Edit server dialog through the
// platform's dialogs when it needs the fields.
#pragma once

#include <QDialog>
#include <array>

#include "config/ServerList.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace zorl::ui {

class CServersDialog : public QDialog {
    Q_OBJECT
public:
    CServersDialog(CServerList& list, QWidget* parent);
    QComboBox* Names() const { return names_; }

private:
    // Shows the list's names and selection again after a change.
    void ShowList();
    void Run(void (CServerList::*operation)());

    CServerList& list_;
    QComboBox* names_;
};

class CEditServerDialog : public QDialog {
    Q_OBJECT
public:
    enum Field {
        kName,
        kAddress,
        kPorts,
        kPassword,
        kGroup,
        kFingerprint,
        kSaslAccount,
        kSaslPassword,
        kClientCert,
        kStartChannels,
        kProxy,
        kFieldCount
    };

    CEditServerDialog(const ServerEntry& entry, QWidget* parent);
    ServerEntry Entry() const;
    QLineEdit* Edit(Field field) const { return edits_[field]; }
    QCheckBox* WithoutTls() const { return without_tls_; }
    QCheckBox* RequireLogin() const { return require_login_; }
    QCheckBox* ConnectAtStart() const { return connect_at_start_; }

private:
    std::array<QLineEdit*, kFieldCount> edits_{};
    QCheckBox* without_tls_;
    QCheckBox* require_login_;
    QCheckBox* connect_at_start_;
};

// Modal runs for the platform's dialogs; true on OK.
bool RunServersDialog(CServerList& list, QWidget* parent);
bool RunEditServerDialog(ServerEntry& entry, QWidget* parent);

}  // namespace zorl::ui
