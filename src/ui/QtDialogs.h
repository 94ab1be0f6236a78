// The engine's dialogs as Qt dialogs. They belong to the widgets, not to the
// Qt platform services: the client window owns them and parents them to
// itself.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QWidget>
#include <vector>

#include "platform/Dialogs.h"

namespace zorl::ui {

class QtDialogs : public IDialogs {
public:
    BoxAnswer MessageBox(const std::string& text, BoxIcon icon, bool yesNo,
                         bool noByDefault) override;
    TrustAnswer AskCertificateTrust(const std::string& text) override;
    bool InputRequest(const std::string& title, const std::string& prompt,
                      std::string& answer) override;
    bool Servers(CServerList& list) override;
    bool EditServer(ServerEntry& entry) override;
    bool OpenFile(const std::string& filter, const std::string& defaultExtension,
                  std::string& path) override;
    void AskDccChat(const DccOfferDetails& offer, std::function<void(DccAnswer)> answer) override;
    void AskDccSend(const DccOfferDetails& offer,
                    std::function<void(DccAnswer, const std::string&)> answer) override;
    void AskOverwrite(const std::string& resume,
                      std::function<void(OverwriteAnswer)> answer) override;
    void WithdrawDccQuestions() override;
    bool Properties(CSettings& values, int page,
                    const std::function<void(FilesEditor)>& edit) override;
    bool EditText(std::string& text) override;
    void SearchHistory(const std::string& text) override;
    PasteAnswer AskPaste(const std::string& question) override;

    // Dialogs are parented to this widget once the main window exists.
    void SetParent(QWidget* parent) { parent_ = parent; }

private:
    // The editors open above the properties dialog.
    QWidget* TopParent() const;

    QPointer<QWidget> parent_;
    std::vector<QPointer<QDialog>> dcc_questions_;  // on screen, or gone
};

}  // namespace zorl::ui
