#include "ui/PropsSheet.h"

#include <algorithm>

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "platform/qt/QtText.h"
#include "ui/Spelling.h"
#include "ui/ViewStyle.h"

namespace zorl::ui {
namespace {

using qt::DecodeText;
using qt::EncodeText;

QGroupBox* Group(const char* title, QLayout* layout) {
    auto* box = new QGroupBox(QString::fromLatin1(title));
    box->setLayout(layout);
    return box;
}

// A page of group boxes from the top, the rest left empty below them.
QWidget* Page(std::initializer_list<QWidget*> parts) {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    for (QWidget* part : parts) layout->addWidget(part);
    layout->addStretch();
    return page;
}

}  // namespace

CPropsSheet::CPropsSheet(const CSettings& values, int page, std::function<void(FilesEditor)> edit,
                         QWidget* parent)
    : QDialog(parent), values_(values), edit_(std::move(edit)), tabs_(new QTabWidget) {
    setWindowTitle(QStringLiteral("Properties"));
    tabs_->addTab(NamesPage(), QStringLiteral("Names && Replies"));
    tabs_->addTab(ColoursPage(), QStringLiteral("Font && Colors"));
    tabs_->addTab(FilesPage(), QStringLiteral("Files"));
    tabs_->addTab(OptionsPage(), QStringLiteral("Options"));
    if (values_.Master != 0) tabs_->addTab(MasterPage(), QStringLiteral("Master"));
    tabs_->setCurrentIndex(page >= 0 && page < tabs_->count() ? page : 0);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buttons);
    RefreshSamples();
    FocusFirstField();
}

// The keys go to the first field of the page opened on, as in any dialog,
// not to the row of tabs.
void CPropsSheet::FocusFirstField() {
    QWidget* page = tabs_->currentWidget();
    for (QWidget* next = page->nextInFocusChain(); next && next != page;
         next = next->nextInFocusChain()) {
        if (page->isAncestorOf(next) && (next->focusPolicy() & Qt::TabFocus)) {
            next->setFocus();
            return;
        }
    }
}

QWidget* CPropsSheet::NamesPage() {
    auto* user = new QFormLayout;
    AddText(user, "* Nickname:", values_.m_user_mynick);
    AddText(user, "Real name:", values_.RealName);
    AddText(user, "Email:", values_.Email);
    AddText(user, "* User:", values_.User);
    auto* replies = new QFormLayout;
    AddText(replies, "Finger reply:", values_.Finger);
    AddText(replies, "Quit message:", values_.Quit);
    return Page({Group(" User information ", user), Group(" Replies ", replies), LoginGroup(),
                 ProxyGroup(), new QLabel(QStringLiteral("* = obligatory field"))});
}

// The chosen server's account login; the server list keeps one per server.
QWidget* CPropsSheet::LoginGroup() {
    auto* form = new QFormLayout;
    AddText(form, "Account:", values_.SaslAccount);
    AddText(form, "Password:", values_.SaslPassword)->setEchoMode(QLineEdit::Password);
    auto* box = new QVBoxLayout;
    box->addLayout(form);
    AddCheck(box, "Allow the login over a connection without TLS", &CSettings::SaslWithoutTls);
    return Group(" Login to the server (SASL) ", box);
}

// The installed dictionaries; the stored value stays as it is until one is
// chosen, so a dictionary installed later is taken when it comes.
QComboBox* CPropsSheet::SpellingChoice() {
    auto* choice = new QComboBox;
    choice->addItem(QStringLiteral("The desktop's language"), QString());
    for (const QString& language : CSpelling::Languages()) choice->addItem(language, language);
    choice->setCurrentIndex(std::max(0, choice->findData(DecodeText(values_.SpellLanguage))));
    connect(choice, &QComboBox::currentIndexChanged, this, [this, choice] {
        values_.SpellLanguage = EncodeText(choice->currentData().toString());
    });
    return choice;
}

// The way to every server; the type's stored names are "socks5" and "http".
QWidget* CPropsSheet::ProxyGroup() {
    auto* form = new QFormLayout;
    auto* type = new QComboBox;
    type->addItem(QStringLiteral("None"), QString());
    type->addItem(QStringLiteral("SOCKS5"), QStringLiteral("socks5"));
    type->addItem(QStringLiteral("HTTP CONNECT"), QStringLiteral("http"));
    type->setCurrentIndex(std::max(0, type->findData(DecodeText(values_.ProxyType).toLower())));
    connect(type, &QComboBox::currentIndexChanged, this,
            [this, type] { values_.ProxyType = EncodeText(type->currentData().toString()); });
    form->addRow(QStringLiteral("Type:"), type);
    AddText(form, "Host:", values_.ProxyHost);
    AddNumber(form, "Port:", &CSettings::ProxyPort);
    AddText(form, "User:", values_.ProxyUser);
    AddText(form, "Password:", values_.ProxyPassword)->setEchoMode(QLineEdit::Password);
    return Group(" Proxy (DCC goes direct, and tells your address) ", form);
}

QWidget* CPropsSheet::ColoursPage() {
    auto* background = new QGridLayout;
    font_sample_ = AddSample(
        background, 0, 0, "Font", [this] { ChooseFont(); }, &values_.Color.Normal,
        &values_.BGColor);
    AddColour(background, 1, 0, "Back Color", &values_.BGColor, &values_.BGColor);
    AddColour(background, 2, 0, "Scrollback", &values_.BGColor2, &values_.BGColor2);

    // The text colours in two columns, Normal to Notify and Status to Time stamp.
    CSettings::ColourClasses& c = values_.Color;
    const struct {
        const char* label;
        Colour* setting;
    } texts[] = {
        {"Normal", &c.Normal},      {"Own", &c.Own},         {"Action", &c.Action},
        {"Notice", &c.Notice},      {"CTCP", &c.CTCP},       {"Notify", &c.Notify},
        {"Status", &c.Status},      {"Info", &c.Info},       {"Error", &c.UError},
        {"System error", &c.Error}, {"Connection", &c.Flow}, {"Time stamp", &c.Time},
    };
    auto* grid = new QGridLayout;
    const int rows = static_cast<int>(std::size(texts) + 1) / 2;
    for (int i = 0; i < static_cast<int>(std::size(texts)); ++i) {
        AddColour(grid, i % rows, 2 * (i / rows), texts[i].label, texts[i].setting,
                  &values_.BGColor);
    }
    return Page({Group("Font and background colors", background), Group(" Text colors ", grid)});
}

QWidget* CPropsSheet::FilesPage() {
    auto buttonRow = [this](std::initializer_list<std::pair<const char*, FilesEditor>> entries) {
        auto* row = new QHBoxLayout;
        for (const auto& [label, editor] : entries) {
            auto* button = new QPushButton(QString::fromLatin1(label));
            button->setAutoDefault(false);
            connect(button, &QPushButton::clicked, this, [this, editor = editor] {
                if (edit_) edit_(editor);
            });
            row->addWidget(button);
        }
        row->addStretch();
        return row;
    };
    auto* nicks = new QFormLayout;
    AddText(nicks, "Nick doubleclick:", values_.NickCommand);
    return Page({Group(" Popup menus ", buttonRow({{"Nicks", FilesEditor::Nicks},
                                                   {"Channel", FilesEditor::Channel},
                                                   {"Query", FilesEditor::Query},
                                                   {"Status", FilesEditor::Status}})),
                 Group(" Lists ", buttonRow({{"Aliasses", FilesEditor::Aliases},
                                             {"Servers", FilesEditor::Servers},
                                             {"Notify", FilesEditor::Notify},
                                             {"Ignore", FilesEditor::Ignore},
                                             {"Startup", FilesEditor::Startup}})),
                 Group(" Script ", buttonRow({{"Scripts", FilesEditor::Scripts},
                                              {"Textfile", FilesEditor::Textfile}})),
                 Group(" Nicks list ", nicks)});
}

QWidget* CPropsSheet::OptionsPage() {
    auto* display = new QVBoxLayout;
    AddCheck(display, "Timestamp", &CSettings::TimeStamp);
    AddCheck(display, "Disconnect messages in channels", &CSettings::ChanConnect);
    AddCheck(display, "Notice messages in channels", &CSettings::ChanNotice);
    AddCheck(display, "CTCP messages in channels", &CSettings::ChanCTCP);
    AddCheck(display, "Ignore ping/pong messages", &CSettings::NoPing);
    AddCheck(display, "Extended mode messages", &CSettings::ExtMode);
    AddCheck(display, "Extended /who output", &CSettings::ExtWho);
    AddCheck(display, "Blink Taskbar button", &CSettings::TaskbarBlink);
    AddCheck(display, "Windows as tabs", &CSettings::Tabs);
    AddCheck(display, "Tree of windows by network", &CSettings::WindowTree);
    AddCheck(display, "Replies in the window that asked", &CSettings::RepliesInWindow);
    AddCheck(display, "Ask before sending pasted lines", &CSettings::PasteGuard);
    AddCheck(display, "Topic and user count above channels", &CSettings::ChannelHeader);
    AddCheck(display, "Icon in the tray", &CSettings::Tray);
    AddCheck(display, "Keep running in the tray when closed", &CSettings::TrayOnClose);
    AddCheck(display, "Check spelling", &CSettings::SpellCheck);
    AddCheck(display, "Channel list as a table to sort and filter", &CSettings::ChannelBrowser);
    AddCheck(display, "Conversation view: time, nick and text in columns",
             &CSettings::ConversationView);
    AddCheck(display, "Colors follow the desktop's light or dark scheme",
             &CSettings::FollowDesktop);
    auto* sizes = new QFormLayout;
    sizes->addRow(QStringLiteral("Spelling dictionary"), SpellingChoice());
    AddNumber(sizes, "Button width", &CSettings::ButtonSize);
    AddNumber(sizes, "Edit window heigth", &CSettings::EditSize);
    AddNumber(sizes, "Nicks window width", &CSettings::NicksSize);
    AddNumber(sizes, "Max scrollback lines", &CSettings::MaxLines);
    display->addLayout(sizes);

    auto* logging = new QVBoxLayout;
    AddCheck(logging, "Log channels", &CSettings::LogChannels);
    AddCheck(logging, "Log queries", &CSettings::LogQuery);
    AddCheck(logging, "Keep history", &CSettings::History);
    AddCheck(logging, "Keep history of status windows", &CSettings::HistoryStatus);
    auto* historySizes = new QFormLayout;
    AddNumber(historySizes, "Lines shown again", &CSettings::HistoryLines);
    AddNumber(historySizes, "Days kept (0: all)", &CSettings::HistoryDays);
    AddNumber(historySizes, "MiB kept (0: all)", &CSettings::HistoryMegabytes);
    logging->addLayout(historySizes);
    auto* functions = new QVBoxLayout;
    AddCheck(functions, "Notify", &CSettings::Notify);
    AddCheck(functions, "Auto rejoin", &CSettings::AutoRejoin);
    AddCheck(functions, "Auto reconnect", &CSettings::AutoReconnect);
    AddCheck(functions, "Allow sound requests", &CSettings::AllowSound);
    AddCheck(functions, "Allow scripts in queries", &CSettings::ScriptsQuery);
    AddCheck(functions, "Notify of lines that call me", &CSettings::AlertMention);
    AddCheck(functions, "Notify of private messages", &CSettings::AlertPrivate);
    AddCheck(functions, "Notify of DCC offers", &CSettings::AlertDcc);

    auto* right = new QVBoxLayout;
    right->addWidget(Group("Logging ", logging));
    right->addWidget(Group(" Functions ", functions));
    right->addStretch();
    auto* page = new QWidget;
    auto* columns = new QHBoxLayout(page);
    auto* left = new QVBoxLayout;
    left->addWidget(Group(" Display ", display));
    left->addStretch();
    columns->addLayout(left);
    columns->addLayout(right);
    return page;
}

QWidget* CPropsSheet::MasterPage() {
    auto* checks = new QVBoxLayout;
    AddCheck(checks, "Extended connect messages", &CSettings::ExtConnect);
    AddCheck(checks, "Extended debug", &CSettings::ExtDebug);
    AddCheck(checks, "Raw debug", &CSettings::RawDebug);
    AddCheck(checks, "Timer debug", &CSettings::TimerDebug);
    AddCheck(checks, "Debug in own window", &CSettings::DebugWindow);
    AddCheck(checks, "Debug log", &CSettings::DebugLog);
    auto* page = new QWidget;
    checks->addStretch();
    page->setLayout(checks);
    return page;
}

// QFormLayout makes the label the field's buddy, which screen readers use
// to name the field.
QLineEdit* CPropsSheet::AddText(QFormLayout* form, const char* label, std::string& setting) {
    auto* edit = new QLineEdit(DecodeText(setting));
    connect(edit, &QLineEdit::textChanged, this,
            [&setting](const QString& text) { setting = EncodeText(text); });
    form->addRow(QString::fromLatin1(label), edit);
    return edit;
}

void CPropsSheet::AddCheck(QBoxLayout* box, const char* label, int CSettings::*setting) {
    auto* check = new QCheckBox(QString::fromLatin1(label));
    check->setChecked(values_.*setting != 0);
    connect(check, &QCheckBox::toggled, this,
            [this, setting](bool on) { values_.*setting = on ? 1 : 0; });
    box->addWidget(check);
}

void CPropsSheet::AddNumber(QFormLayout* form, const char* label, int CSettings::*setting) {
    auto* number = new QSpinBox;
    number->setRange(0, 99'999'999);
    number->setValue(values_.*setting);
    connect(number, &QSpinBox::valueChanged, this,
            [this, setting](int value) { values_.*setting = value; });
    form->addRow(QString::fromLatin1(label), number);
}

QLabel* CPropsSheet::AddSample(QGridLayout* grid, int row, int column, const char* label,
                               std::function<void()> choose, Colour* text, Colour* background) {
    auto* button = new QPushButton(QString::fromLatin1(label));
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, std::move(choose));
    auto* sample = new QLabel(QStringLiteral("Sample"));
    sample->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    sample->setAutoFillBackground(true);
    sample->setMinimumWidth(120);
    sample->setAccessibleName(QString::fromLatin1(label) + QStringLiteral(" sample"));
    grid->addWidget(button, row, column);
    grid->addWidget(sample, row, column + 1);
    samples_.push_back({sample, text, background});
    return sample;
}

void CPropsSheet::AddColour(QGridLayout* grid, int row, int column, const char* label,
                            Colour* setting, Colour* background) {
    const QString title = QString::fromLatin1(label);
    // The background buttons show the Normal text on the colour they set.
    Colour* text = setting == background ? &values_.Color.Normal : setting;
    AddSample(
        grid, row, column, label, [this, title, setting] { ChooseColour(title, setting); }, text,
        background);
}

void CPropsSheet::ChooseFont() {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, BaseFont(values_), this);
    if (!ok) return;
    values_.FontName = EncodeText(chosen.family());
    if (chosen.pointSize() > 0) values_.FontSize = chosen.pointSize();
    RefreshSamples();
}

void CPropsSheet::ChooseColour(const QString& title, Colour* setting) {
    const QColor chosen = QColorDialog::getColor(ToQColor(*setting), this, title);
    if (!chosen.isValid()) return;
    *setting = FromQColor(chosen);
    RefreshSamples();
}

void CPropsSheet::RefreshSamples() {
    for (const Sample& sample : samples_) {
        QPalette palette = sample.box->palette();
        palette.setColor(QPalette::Window, ToQColor(*sample.background));
        palette.setColor(QPalette::WindowText, ToQColor(*sample.text));
        sample.box->setPalette(palette);
    }
    if (font_sample_) font_sample_->setFont(BaseFont(values_));
}

}  // namespace zorl::ui
