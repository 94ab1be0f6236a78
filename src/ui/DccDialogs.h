// The questions about a DCC offer, as ordinary dialogs that do not block:
// each shows itself without taking the keyboard from the line the user is
// typing in, answers once through its callback (closing it refuses), and
// deletes itself afterwards. Both offer questions show where accepting
// connects to, and the engine's warning when it gave one: then Refuse is
// the default button.
//
//   CDccChatDialog      "DCC chat request"           Accept / Refuse
//   CDccSendDialog      "DCC file transfer request"  Accept / Refuse, name editable
//   COverwriteDialog    "DCC file transfer request"  OK / Cancel / Rename
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "platform/Dialogs.h"

class QDialogButtonBox;
class QLineEdit;
class QFormLayout;

namespace zorl::ui {

class CDccChatDialog : public QDialog {
    Q_OBJECT
public:
    CDccChatDialog(const DccOfferDetails& offer, std::function<void(DccAnswer)> answer,
                   QWidget* parent);

private:
    std::function<void(DccAnswer)> answer_;
};

class CDccSendDialog : public QDialog {
    Q_OBJECT
public:
    CDccSendDialog(const DccOfferDetails& offer,
                   std::function<void(DccAnswer, const std::string&)> answer, QWidget* parent);

private:
    QLineEdit* file_name_;
    std::function<void(DccAnswer, const std::string&)> answer_;
};

class COverwriteDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kRename = 4;
    static constexpr int kResume = 5;

    // With `resume`, a Resume button, the default, and that text above it.
    COverwriteDialog(const std::string& resume, std::function<void(OverwriteAnswer)> answer,
                     QWidget* parent);

private:
    std::function<void(OverwriteAnswer)> answer_;
};

}  // namespace zorl::ui
