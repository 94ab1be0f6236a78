// The real dialogs, answered by a timer that works the modal window the way
// a user would.
#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <functional>

#include "config/Settings.h"
#include "ui/EditDialog.h"
#include "ui/PropsSheet.h"
#include "ui/QtDialogs.h"

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
    ui::QtDialogs qtDialogs;
    IDialogs& dialogs = qtDialogs;  // as the engine calls it, default arguments and all
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
        EXPECT_EQ(dialogs.MessageBox("Overwrite \x93log\x94?", BoxIcon::Question, c.yesNo),
                  c.answer);
        EXPECT_EQ(shown, QStringLiteral(u"Overwrite \u201Clog\u201D?"));
    }
}

TEST(QtDialogsTest, InputRequestReturnsTheTypedTextOrCancel) {
    ui::QtDialogs dialogs;
    QString title;
    WhenModal([&](QWidget* modal) {
        title = modal->windowTitle();
        auto* dialog = qobject_cast<QInputDialog*>(modal);
        ASSERT_TRUE(dialog);
        dialog->setTextValue(QStringLiteral(u"gr\u00FC\u00DFe"));
        dialog->accept();
    });
    std::string answer;
    EXPECT_TRUE(dialogs.InputRequest("Input request", "Your name:", answer));
    EXPECT_EQ(title, QStringLiteral("Input request"));
    EXPECT_EQ(answer,
              "gr\xC3\xBC\xC3\x9F"
              "e");

    WhenModal([](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); });
    answer = "kept";
    EXPECT_FALSE(dialogs.InputRequest("Input request", "Your name:", answer));
    EXPECT_EQ(answer, "kept");
}

// The field a label names (its buddy), as a screen reader finds it.
template <typename Field>
Field* FieldOf(QWidget* dialog, const QString& label) {
    for (QLabel* each : dialog->findChildren<QLabel*>())
        if (each->text() == label) return qobject_cast<Field*>(each->buddy());
    return nullptr;
}

template <typename Button>
Button* ButtonOf(QWidget* dialog, const QString& text) {
    for (Button* each : dialog->findChildren<Button*>())
        if (each->text() == text) return each;
    return nullptr;
}

// The user changes one control of each kind and presses a Files button;
// only OK hands the changes back.
TEST(QtDialogsTest, PropertiesHandBackEveryControlOnOkOnly) {
    ui::QtDialogs dialogs;
    CSettings given;
    given.m_user_mynick = "joe";
    given.Email = "j\xE9@example.org";
    given.Notify = 1;
    given.MaxLines = 300;
    CSettings expected = given;
    expected.m_user_mynick = "jo\xC3\xAB";
    expected.Notify = 0;
    expected.MaxLines = 5;

    std::vector<FilesEditor> pressed;
    const auto edit = [&pressed](FilesEditor editor) { pressed.push_back(editor); };
    for (const bool ok : {false, true}) {
        SCOPED_TRACE(ok ? "OK" : "Cancel");
        QStringList tabs;
        QWidget* focused = nullptr;
        QLineEdit* nickname = nullptr;
        WhenModal([&](QWidget* modal) {
            focused = modal->focusWidget();
            for (int i = 0; i < modal->findChild<QTabWidget*>()->count(); ++i)
                tabs << modal->findChild<QTabWidget*>()->tabText(i);
            nickname = FieldOf<QLineEdit>(modal, QStringLiteral("* Nickname:"));
            nickname->setText(QStringLiteral(u"jo\u00EB"));
            ButtonOf<QCheckBox>(modal, QStringLiteral("Notify"))->click();
            FieldOf<QSpinBox>(modal, QStringLiteral("Max scrollback lines"))->setValue(5);
            ButtonOf<QPushButton>(modal, QStringLiteral("Aliasses"))->click();
            if (ok) {
                static_cast<QDialog*>(modal)->accept();
            } else {
                static_cast<QDialog*>(modal)->reject();
            }
        });
        CSettings values = given;
        EXPECT_EQ(dialogs.Properties(values, 0, edit), ok);
        EXPECT_TRUE(values == (ok ? expected : given));
        EXPECT_EQ(focused, nickname) << "the keys go to the first field";
        EXPECT_EQ(tabs, QStringList({"Names && Replies", "Font && Colors", "Files", "Options"}));
    }
    EXPECT_EQ(pressed, std::vector<FilesEditor>(2, FilesEditor::Aliases));

    given.Master = 1;
    ui::CPropsSheet sheet(given, 4, nullptr);
    EXPECT_EQ(sheet.Tabs()->count(), 5);
    EXPECT_EQ(sheet.Tabs()->currentIndex(), 4);
    EXPECT_EQ(sheet.Tabs()->tabText(4), QStringLiteral("Master"));
}

TEST(QtDialogsTest, EditShowsLinesAndHandsThemBackWithCrLf) {
    ui::QtDialogs dialogs;
    QString shown;
    WhenModal([&](QWidget* modal) {
        auto* field = modal->findChild<QPlainTextEdit*>();
        shown = field->toPlainText();
        field->setPlainText(shown + QStringLiteral("c\n"));
        static_cast<QDialog*>(modal)->accept();
    });
    std::string text = "a\r\nb\r\n";
    EXPECT_TRUE(dialogs.EditText(text));
    EXPECT_EQ(shown, QStringLiteral("a\nb\n"));
    EXPECT_EQ(text, "a\r\nb\r\nc\r\n");
}

}  // namespace
}  // namespace zorl::qt
