#include "ui/QtDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

#include "platform/qt/QtText.h"
#include "ui/DccDialogs.h"
#include "ui/EditDialog.h"
#include "ui/MainFrame.h"
#include "ui/PropsSheet.h"
#include "ui/ServersDialog.h"

namespace zorl::ui {
namespace {

using qt::ConvertFileFilter;
using qt::DecodeText;
using qt::EncodeText;

const QString kBoxTitle = QStringLiteral("ZORL");

QMessageBox::Icon ToQtIcon(BoxIcon icon) {
    switch (icon) {
        case BoxIcon::Information: return QMessageBox::Information;
        case BoxIcon::Exclamation: return QMessageBox::Warning;
        case BoxIcon::Error: return QMessageBox::Critical;
        case BoxIcon::Question: return QMessageBox::Question;
        case BoxIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

BoxAnswer QtDialogs::MessageBox(const std::string& text, BoxIcon icon, bool yesNo,
                                bool noByDefault) {
    QMessageBox box(ToQtIcon(icon), kBoxTitle, DecodeText(text),
                    yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent_);
    if (yesNo && noByDefault) box.setDefaultButton(QMessageBox::No);
    switch (box.exec()) {
        case QMessageBox::Yes: return BoxAnswer::Yes;
        case QMessageBox::No: return BoxAnswer::No;
        case QMessageBox::Cancel: return BoxAnswer::Cancel;
        default: return yesNo ? BoxAnswer::No : BoxAnswer::Ok;
    }
}

TrustAnswer QtDialogs::AskCertificateTrust(const std::string& text) {
    QMessageBox box(QMessageBox::Warning, kBoxTitle, DecodeText(text), QMessageBox::NoButton,
                    parent_);
    QPushButton* refuse = box.addButton(QStringLiteral("Refuse"), QMessageBox::RejectRole);
    QPushButton* session =
        box.addButton(QStringLiteral("Trust for this session"), QMessageBox::AcceptRole);
    QPushButton* always = box.addButton(QStringLiteral("Always trust"), QMessageBox::AcceptRole);
    box.setDefaultButton(refuse);
    box.setEscapeButton(refuse);
    box.exec();
    if (box.clickedButton() == session) return TrustAnswer::ThisSession;
    if (box.clickedButton() == always) return TrustAnswer::Always;
    return TrustAnswer::Refuse;
}

bool QtDialogs::InputRequest(const std::string& title, const std::string& prompt,
                             std::string& answer) {
    bool ok = false;
    QString text = QInputDialog::getText(parent_, DecodeText(title), DecodeText(prompt),
                                         QLineEdit::Normal, DecodeText(answer), &ok);
    if (!ok) return false;
    answer = EncodeText(text);
    return true;
}

bool QtDialogs::Servers(CServerList& list) { return RunServersDialog(list, parent_); }

bool QtDialogs::EditServer(ServerEntry& entry) { return RunEditServerDialog(entry, parent_); }

bool QtDialogs::OpenFile(const std::string& filter, const std::string& defaultExtension,
                         std::string& path) {
    const QString folder =
        path.empty() ? QDir::currentPath() : QFile::decodeName(QByteArray::fromStdString(path));
    QFileDialog dialog(parent_, QString(), folder, ConvertFileFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    std::string suffix = defaultExtension;
    if (!suffix.empty() && suffix.front() == '.') suffix.erase(0, 1);
    dialog.setDefaultSuffix(QString::fromStdString(suffix));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    path = QFile::encodeName(dialog.selectedFiles().front()).toStdString();
    return true;
}

// The DCC questions show and return; each dialog answers when the user
// gets to it and then deletes itself.
void QtDialogs::AskDccChat(const DccOfferDetails& offer, std::function<void(DccAnswer)> answer) {
    dcc_questions_.emplace_back(new CDccChatDialog(offer, std::move(answer), parent_));
}
void QtDialogs::AskDccSend(const DccOfferDetails& offer,
                           std::function<void(DccAnswer, const std::string&)> answer) {
    dcc_questions_.emplace_back(new CDccSendDialog(offer, std::move(answer), parent_));
}
void QtDialogs::AskOverwrite(const std::string& resume,
                             std::function<void(OverwriteAnswer)> answer) {
    dcc_questions_.emplace_back(new COverwriteDialog(resume, std::move(answer), parent_));
}
void QtDialogs::WithdrawDccQuestions() {
    for (const QPointer<QDialog>& dialog : std::exchange(dcc_questions_, {}))
        if (dialog) dialog->close();
}

bool QtDialogs::Properties(CSettings& values, int page,
                           const std::function<void(FilesEditor)>& edit) {
    CPropsSheet sheet(values, page, edit, TopParent());
    if (sheet.exec() != QDialog::Accepted) return false;
    values = sheet.Values();
    return true;
}

bool QtDialogs::EditText(std::string& text) {
    CEditDlg dialog(text, TopParent());
    if (dialog.exec() != QDialog::Accepted) return false;
    text = dialog.Text();
    return true;
}

void QtDialogs::SearchHistory(const std::string& text) {
    if (auto* main = qobject_cast<CMainFrame*>(parent_.data()))
        main->ShowHistorySearch(qt::DecodeText(text));
}

PasteAnswer QtDialogs::AskPaste(const std::string& question) {
    QMessageBox box(QMessageBox::Question, kBoxTitle, DecodeText(question), QMessageBox::NoButton,
                    parent_);
    QPushButton* send = box.addButton(QStringLiteral("Send"), QMessageBox::AcceptRole);
    QPushButton* one = box.addButton(QStringLiteral("Send as one line"), QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(send);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == send) return PasteAnswer::Send;
    if (box.clickedButton() == one) return PasteAnswer::SendAsOneLine;
    return PasteAnswer::Cancel;
}

QWidget* QtDialogs::TopParent() const {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return parent_;
}

}  // namespace zorl::ui
