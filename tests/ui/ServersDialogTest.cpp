// The Servers dialog worked as a user would: Add opens the Edit server
// dialog, the new entry shows selected and is saved, OK chooses it.
#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "config/IniStore.h"
#include "config/ServerList.h"
#include "support/TempDir.h"
#include "ui/QtDialogs.h"
#include "ui/ServersDialog.h"

namespace zorl::test {
namespace {

// Runs `act` on the modal dialog titled `title` as soon as it is up.
void WhenShown(const QString& title, std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [title, act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->windowTitle() == title)
            act(modal);
        else
            WhenShown(title, act);
    });
}

QPushButton* Button(QWidget* dialog, const QString& text) {
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
        if (button->text().remove(QLatin1Char('&')) == text) return button;
    return nullptr;
}

TEST(ServersDialogTest, AddShowsTheEntryAndOkChoosesIt) {
    TempDir dir;
    dir.WriteFile("servers.ini", "[Servers]\nn0=OFTCSERVER:irc.oftc.net:6667GROUP:Open source\n");
    ui::QtDialogs dialogs;
    CIniStore ini(dialogs);
    ini.SetDirectory(dir.Path().string());
    CServerList list(ini, dialogs);
    list.LoadList();

    QStringList fieldLabels;
    WhenShown(QStringLiteral("Edit server"), [&](QWidget* edit) {
        for (QLabel* label : edit->findChildren<QLabel*>()) {
            auto* field = qobject_cast<QLineEdit*>(label->buddy());
            ASSERT_TRUE(field) << label->text().toStdString();
            fieldLabels << label->text().remove(QLatin1Char('&'));
        }
        const QStringList typed = {"Local test",
                                   "127.0.0.1",
                                   "6667",
                                   "letmein",
                                   "",
                                   "",
                                   "joe",
                                   "pw",
                                   "joe.pem",
                                   "#a,#b",
                                   "socks5:127.0.0.1:9050"};
        auto* dialog = static_cast<ui::CEditServerDialog*>(edit);
        for (int i = 0; i < ui::CEditServerDialog::kFieldCount; ++i)
            dialog->Edit(static_cast<ui::CEditServerDialog::Field>(i))->setText(typed[i]);
        dialog->WithoutTls()->setChecked(true);
        dialog->RequireLogin()->setChecked(true);
        dialog->ConnectAtStart()->setChecked(true);
        edit->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    QStringList shown;
    WhenShown(QStringLiteral("Servers"), [&](QWidget* servers) {
        auto* names = servers->findChild<QComboBox*>();
        ASSERT_TRUE(names);
        ASSERT_TRUE(Button(servers, "Add"));
        Button(servers, "Add")->click();  // returns once the Edit server dialog closed
        for (int i = 0; i < names->count(); ++i) shown << names->itemText(i);
        EXPECT_EQ(names->currentText(), QStringLiteral("Local test"));
        servers->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    ASSERT_TRUE(dialogs.Servers(list));

    EXPECT_EQ(fieldLabels, QStringList({"Name:", "Address:", "Ports:", "Password:", "Group:",
                                        "Fingerprint:", "Login account:", "Login password:",
                                        "Client certificate:", "Channels to join:", "Proxy:"}));
    EXPECT_EQ(shown, QStringList({"OFTC", "Local test"}));
    list.TakeSelection();
    EXPECT_EQ(list.result, (ServerEntry{"Local test",
                                        "127.0.0.1",
                                        "6667",
                                        "letmein",
                                        "",
                                        {"", "joe", "pw", true, "joe.pem", true, true, "#a,#b",
                                         "socks5:127.0.0.1:9050"}}));
    EXPECT_EQ(
        ini.ReadList("servers.ini", "Servers"),
        (std::vector<std::string>{
            "Local testSERVER:127.0.0.1:6667:letmeinAUTO:#a,#bCERT:joe.pemPROXY:socks5:127.0.0.1:"
            "9050REQLOGIN:NOTLS:SASL:joe:pw",
            "OFTCSERVER:irc.oftc.net:6667GROUP:Open source"}));
}

}  // namespace
}  // namespace zorl::test
