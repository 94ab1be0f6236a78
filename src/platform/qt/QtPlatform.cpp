#include "platform/qt/QtPlatform.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <chrono>

#include "platform/qt/QtCrypto.h"
#include "platform/qt/QtSecretStore.h"
#include "platform/qt/QtSocket.h"
#include "platform/qt/QtText.h"
#include "platform/qt/QtTlsSocket.h"
#include "ui/DccDialogs.h"
#include "ui/EditDialog.h"
#include "ui/PropsSheet.h"
#include "ui/ServersDialog.h"

namespace zorl::qt {
namespace {

const QString kBoxTitle = QStringLiteral("ZORL");

class QtSocketFactory : public ISocketFactory {
public:
    std::unique_ptr<IAsyncSocket> NewSocket() override { return std::make_unique<QtSocket>(); }
    std::unique_ptr<IAsyncSocket> NewTlsSocket() override {
        return std::make_unique<QtTlsSocket>();
    }
};

class QtClock : public IClock {
public:
    std::time_t Now() const override { return std::time(nullptr); }
    uint64_t TickCount() const override {
        using namespace std::chrono;
        return static_cast<uint64_t>(
            duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
    void Sleep(int milliseconds) override {
        if (milliseconds > 0) QThread::msleep(static_cast<unsigned long>(milliseconds));
    }
};

class QtTicker : public ITicker {
public:
    QtTicker() {
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
            // A copy: the tick may Start() the ticker again, replacing it.
            auto tick = on_tick_;
            if (tick) tick();
        });
    }
    int Start(int periodMs, std::function<void()> onTick) override {
        on_tick_ = std::move(onTick);
        timer_.start(periodMs > 0 ? periodMs : 100);
        return 1;
    }
    void Stop() override { timer_.stop(); }

private:
    QTimer timer_;
    std::function<void()> on_tick_;
};

// Plays through the desktop's command-line player, when there is one.
class QtSound : public ISound {
public:
    bool PlayWave(const std::string& path) override {
        const QString file = QFile::decodeName(QByteArray::fromStdString(path));
        if (!QFileInfo(file).isFile()) return false;
        for (const char* player : {"pw-play", "paplay", "aplay"}) {
            QString program = QStandardPaths::findExecutable(QString::fromLatin1(player));
            if (program.isEmpty()) continue;
            QProcess process;
            process.setProgram(program);
            process.setArguments({file});
            process.setStandardOutputFile(QProcess::nullDevice());
            process.setStandardErrorFile(QProcess::nullDevice());
            return process.startDetached();
        }
        return false;
    }
    void Beep() override {
        if (qobject_cast<QApplication*>(QCoreApplication::instance())) QApplication::beep();
    }
};

class QtShell : public IShell {
public:
    bool Open(const std::string& target) override {
        // An existing file is opened as a file; anything else is read the
        // way a browser's address bar reads it ("www.x.org" is a web link).
        QUrl url = QUrl::fromUserInput(DecodeText(target), QDir::currentPath());
        return url.isValid() && QDesktopServices::openUrl(url);
    }
    bool Execute(const std::string& program, const std::vector<std::string>& arguments) override {
        if (program.empty()) return false;
        QStringList list;
        for (const std::string& argument : arguments) list << DecodeText(argument);
        return QProcess::startDetached(QFile::decodeName(QByteArray::fromStdString(program)), list,
                                       QDir::currentPath());
    }
};

class QtDialogs : public IDialogs {
public:
    BoxAnswer MessageBox(const std::string& text, BoxIcon icon, bool yesNo,
                         bool noByDefault) override {
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

    TrustAnswer AskCertificateTrust(const std::string& text) override {
        QMessageBox box(QMessageBox::Warning, kBoxTitle, DecodeText(text), QMessageBox::NoButton,
                        parent_);
        QPushButton* refuse = box.addButton(QStringLiteral("Refuse"), QMessageBox::RejectRole);
        QPushButton* session =
            box.addButton(QStringLiteral("Trust for this session"), QMessageBox::AcceptRole);
        QPushButton* always =
            box.addButton(QStringLiteral("Always trust"), QMessageBox::AcceptRole);
        box.setDefaultButton(refuse);
        box.setEscapeButton(refuse);
        box.exec();
        if (box.clickedButton() == session) return TrustAnswer::ThisSession;
        if (box.clickedButton() == always) return TrustAnswer::Always;
        return TrustAnswer::Refuse;
    }

    bool InputRequest(const std::string& title, const std::string& prompt,
                      std::string& answer) override {
        bool ok = false;
        QString text = QInputDialog::getText(parent_, DecodeText(title), DecodeText(prompt),
                                             QLineEdit::Normal, DecodeText(answer), &ok);
        if (!ok) return false;
        answer = EncodeText(text);
        return true;
    }

    bool Servers(CServerList& list) override { return ui::RunServersDialog(list, parent_); }

    bool EditServer(ServerEntry& entry) override { return ui::RunEditServerDialog(entry, parent_); }

    bool OpenFile(const std::string& filter, const std::string& defaultExtension,
                  std::string& path) override {
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
    void AskDccChat(const DccOfferDetails& offer, std::function<void(DccAnswer)> answer) override {
        new ui::CDccChatDialog(offer, std::move(answer), parent_);
    }
    void AskDccSend(const DccOfferDetails& offer,
                    std::function<void(DccAnswer, const std::string&)> answer) override {
        new ui::CDccSendDialog(offer, std::move(answer), parent_);
    }
    void AskOverwrite(std::function<void(OverwriteAnswer)> answer) override {
        new ui::COverwriteDialog(std::move(answer), parent_);
    }

    bool Properties(CSettings& values, int page,
                    const std::function<void(FilesEditor)>& edit) override {
        ui::CPropsSheet sheet(values, page, edit, TopParent());
        if (sheet.exec() != QDialog::Accepted) return false;
        values = sheet.Values();
        return true;
    }

    bool EditText(std::string& text) override {
        ui::CEditDlg dialog(text, TopParent());
        if (dialog.exec() != QDialog::Accepted) return false;
        text = dialog.Text();
        return true;
    }

    void SetParent(QWidget* parent) { parent_ = parent; }

private:
    static QMessageBox::Icon ToQtIcon(BoxIcon icon) {
        switch (icon) {
            case BoxIcon::Information: return QMessageBox::Information;
            case BoxIcon::Exclamation: return QMessageBox::Warning;
            case BoxIcon::Error: return QMessageBox::Critical;
            case BoxIcon::Question: return QMessageBox::Question;
            case BoxIcon::None: break;
        }
        return QMessageBox::NoIcon;
    }

    // The editors open above the properties dialog.
    QWidget* TopParent() const {
        if (QWidget* modal = QApplication::activeModalWidget()) return modal;
        return parent_;
    }

    QPointer<QWidget> parent_;
};

}  // namespace

struct QtPlatformServices::Impl {
    QtSocketFactory sockets;
    QtClock clock;
    QtTicker ticker;
    QtSound sound;
    QtShell shell;
    QtDialogs dialogs;
    QtCrypto crypto;
    QtSecretStore secrets;
};

QtPlatformServices::QtPlatformServices() : impl_(std::make_unique<Impl>()) {}
QtPlatformServices::~QtPlatformServices() = default;

void QtPlatformServices::SetDialogParent(QWidget* parent) { impl_->dialogs.SetParent(parent); }

ISocketFactory& QtPlatformServices::Sockets() { return impl_->sockets; }
IClock& QtPlatformServices::Clock() { return impl_->clock; }
ITicker& QtPlatformServices::Ticker() { return impl_->ticker; }
ISound& QtPlatformServices::Sound() { return impl_->sound; }
IShell& QtPlatformServices::Shell() { return impl_->shell; }
IDialogs& QtPlatformServices::Dialogs() { return impl_->dialogs; }
ICrypto& QtPlatformServices::Crypto() { return impl_->crypto; }
ISecretStore& QtPlatformServices::Secrets() { return impl_->secrets; }

}  // namespace zorl::qt
