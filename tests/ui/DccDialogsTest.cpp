// The DCC questions as the user meets them: they do not block, every field
// is named by its label, and each way of closing gives one answer.
#include <gtest/gtest.h>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <optional>

#include "ui/QtDialogs.h"

namespace zorl::qt {
namespace {

QDialog* OpenDialog() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible())
            return dialog;
    return nullptr;
}

QPushButton* Button(QDialog* dialog, const QString& text) {
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
        if (button->text().remove(QLatin1Char('&')) == text) return button;
    return nullptr;
}

// Every field has a label that names it and shows the whole of its text.
void ExpectLabelled(QDialog* dialog) {
    for (QLineEdit* field : dialog->findChildren<QLineEdit*>()) {
        EXPECT_GE(field->width(), field->fontMetrics().horizontalAdvance(field->text()))
            << field->text().toStdString();
        bool named = false;
        for (QLabel* label : dialog->findChildren<QLabel*>()) named |= label->buddy() == field;
        EXPECT_TRUE(named) << field->text().toStdString();
    }
}

// The text of every read-only field, in order.
QStringList ReadOnlyTexts(QDialog* dialog) {
    QStringList texts;
    for (QLineEdit* field : dialog->findChildren<QLineEdit*>())
        if (field->isReadOnly()) texts << field->text();
    return texts;
}

void PressEnter(QDialog* dialog) {
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(dialog, &enter);
}

const DccOfferDetails kChatOffer{"alice (a@host)", "203.0.113.7", 5000, "", "", ""};

TEST(DccDialogsTest, EachQuestionAnswersOnceAsTheUserClosesIt) {
    ui::QtDialogs dialogs;

    // Chat: Accept, or any other way out refuses.
    for (const char* press : {"Accept", "Refuse", "Escape"}) {
        SCOPED_TRACE(press);
        std::vector<DccAnswer> answers;
        dialogs.AskDccChat(kChatOffer, [&](DccAnswer a) { answers.push_back(a); });
        QDialog* dialog = OpenDialog();
        ASSERT_TRUE(dialog);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("DCC chat request"));
        EXPECT_FALSE(dialog->isModal());
        ExpectLabelled(dialog);
        if (QString(press) == "Escape")
            dialog->reject();
        else
            Button(dialog, press)->click();
        dialog->close();
        const DccAnswer want = QString(press) == "Accept" ? DccAnswer::Accept : DccAnswer::Refuse;
        EXPECT_EQ(answers, std::vector<DccAnswer>{want});
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // File: the answer carries the name as the user left it.
    std::optional<std::pair<DccAnswer, std::string>> file;
    dialogs.AskDccSend({"a_long_nick_name (~someone@a.long.host.example.net)", "203.0.113.7", 5000,
                        "notes.txt", "5.0 GiB (5368709120 bytes)", ""},
                       [&](DccAnswer a, const std::string& name) {
                           file = {a, name};
                       });
    QDialog* dialog = OpenDialog();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("DCC file transfer request"));
    ExpectLabelled(dialog);
    auto fields = dialog->findChildren<QLineEdit*>();
    ASSERT_EQ(fields.size(), 5);
    EXPECT_FALSE(fields[1]->isReadOnly());
    EXPECT_EQ(ReadOnlyTexts(dialog),
              (QStringList{"a_long_nick_name (~someone@a.long.host.example.net)",
                           "5.0 GiB (5368709120 bytes)", "203.0.113.7", "5000"}));
    fields[1]->setText(QStringLiteral(u"n\u00f6tes.txt"));
    Button(dialog, "Accept")->click();
    ASSERT_TRUE(file);
    EXPECT_EQ(file->first, DccAnswer::Accept);
    EXPECT_EQ(file->second, "n\xC3\xB6tes.txt");
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // Overwrite: four buttons, four answers; closing cancels.
    const std::pair<const char*, OverwriteAnswer> presses[] = {{"OK", OverwriteAnswer::Ok},
                                                               {"Rename", OverwriteAnswer::Rename},
                                                               {"Resume", OverwriteAnswer::Resume},
                                                               {"Cancel", OverwriteAnswer::Cancel},
                                                               {"Escape", OverwriteAnswer::Cancel}};
    for (const auto& [press, want] : presses) {
        SCOPED_TRACE(press);
        std::vector<OverwriteAnswer> answers;
        dialogs.AskOverwrite("Resume: 1.0 KiB of 2.0 KiB are here already",
                             [&](OverwriteAnswer a) { answers.push_back(a); });
        QDialog* overwrite = OpenDialog();
        ASSERT_TRUE(overwrite);
        if (QString(press) == "Escape")
            overwrite->reject();
        else
            Button(overwrite, press)->click();
        EXPECT_EQ(answers, std::vector<OverwriteAnswer>{want});
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // A file that cannot be resumed offers no Resume; a question settled
    // otherwise goes from the screen.
    std::vector<OverwriteAnswer> answers;
    dialogs.AskOverwrite("", [&](OverwriteAnswer a) { answers.push_back(a); });
    ASSERT_TRUE(OpenDialog());
    EXPECT_EQ(Button(OpenDialog(), "Resume"), nullptr);
    dialogs.WithdrawDccQuestions();
    EXPECT_EQ(OpenDialog(), nullptr);
    EXPECT_EQ(answers, std::vector<OverwriteAnswer>{OverwriteAnswer::Cancel});
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Both questions show where the offer leads; with the engine's warning
// shown, Enter alone refuses, without it Enter accepts.
TEST(DccDialogsTest, AWarnedOfferIsRefusedByEnter) {
    ui::QtDialogs dialogs;
    const std::string warning = "Warning: 127.0.0.1 is this computer";
    for (const bool chat : {true, false}) {
        for (const std::string& shown : {warning, std::string()}) {
            SCOPED_TRACE((chat ? "chat " : "file ") + shown);
            const DccOfferDetails offer{"alice (a@host)", "127.0.0.1", 6379, "f", "1", shown};
            std::vector<DccAnswer> answers;
            if (chat)
                dialogs.AskDccChat(offer, [&](DccAnswer a) { answers.push_back(a); });
            else
                dialogs.AskDccSend(offer,
                                   [&](DccAnswer a, const std::string&) { answers.push_back(a); });
            QDialog* dialog = OpenDialog();
            ASSERT_TRUE(dialog);
            EXPECT_TRUE(ReadOnlyTexts(dialog).contains(QStringLiteral("127.0.0.1")));
            EXPECT_TRUE(ReadOnlyTexts(dialog).contains(QStringLiteral("6379")));
            bool warned = false;
            for (QLabel* label : dialog->findChildren<QLabel*>())
                warned |= label->text() == QString::fromStdString(warning);
            EXPECT_EQ(warned, !shown.empty());
            PressEnter(dialog);
            const DccAnswer want = shown.empty() ? DccAnswer::Accept : DccAnswer::Refuse;
            EXPECT_EQ(answers, std::vector<DccAnswer>{want});
            dialog->close();
            QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }
}

}  // namespace
}  // namespace zorl::qt
