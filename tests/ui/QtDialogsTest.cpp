// The real dialogs, answered by a timer that works the modal window the way
// a user would.
#include <gtest/gtest.h>
#include <QApplication>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "platform/qt/QtPlatform.h"

namespace zorl::qt {
namespace {

// Runs `act` on the modal dialog as soon as it is up.
void WhenModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            act(modal);
        } else {
            WhenModal(act);
        }
    });
}

TEST(QtDialogsTest, MessageBoxAnswersAsTheButtonPressed) {
    QtPlatformServices services;
    const struct {
        const char* what;
        bool yesNo;
        QMessageBox::StandardButton press;  // NoButton: Escape
        BoxAnswer answer;
    } cases[] = {
        {"OK", false, QMessageBox::Ok, BoxAnswer::Ok},
        {"Yes", true, QMessageBox::Yes, BoxAnswer::Yes},
        {"No", true, QMessageBox::No, BoxAnswer::No},
        {"Escape on a question is no", true, QMessageBox::NoButton, BoxAnswer::No},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QString shown;
        WhenModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_TRUE(box);
            shown = box->text();
            if (c.press == QMessageBox::NoButton) {
                box->reject();
            } else {
                box->button(c.press)->click();
            }
        });
        EXPECT_EQ(
            services.Dialogs().MessageBox("Overwrite \x93log\x94?", BoxIcon::Question, c.yesNo),
            c.answer);
        EXPECT_EQ(shown, QStringLiteral(u"Overwrite \u201Clog\u201D?"));
    }
}

TEST(QtDialogsTest, InputRequestReturnsTheTypedTextOrCancel) {
    QtPlatformServices services;
    QString title;
    WhenModal([&](QWidget* modal) {
        title = modal->windowTitle();
        auto* dialog = qobject_cast<QInputDialog*>(modal);
        ASSERT_TRUE(dialog);
        dialog->setTextValue(QStringLiteral(u"gr\u00FC\u00DFe"));
        dialog->accept();
    });
    std::string answer;
    EXPECT_TRUE(services.Dialogs().InputRequest("Input request", "Your name:", answer));
    EXPECT_EQ(title, QStringLiteral("Input request"));
    EXPECT_EQ(answer,
              "gr\xC3\xBC\xC3\x9F"
              "e");

    WhenModal([](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); });
    answer = "kept";
    EXPECT_FALSE(services.Dialogs().InputRequest("Input request", "Your name:", answer));
    EXPECT_EQ(answer, "kept");
}

}  // namespace
}  // namespace zorl::qt
