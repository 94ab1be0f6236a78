#include "platform/qt/QtSecretStore.h"

#include <qt6keychain/keychain.h>

#include <QByteArray>
#include <QEventLoop>
#include <QTimer>

#include "platform/qt/QtText.h"

// libsecret answers through GLib's main context, which Qt's event loop runs
// with its GLib dispatcher, the default on Linux (QT_NO_GLIB would starve it).
namespace zorl::qt {
namespace {

// Secrets that are UTF-8 text go to the keyring as text, so the desktop's
// keyring manager shows them as typed; anything else as binary data, which
// QtKeychain stores encoded (base64). A read gives the bytes back either way.
bool IsPlainText(const QByteArray& bytes) {
    return !bytes.contains('\0') && QString::fromUtf8(bytes).toUtf8() == bytes;
}

}  // namespace

struct QtSecretStore::Answer {
    bool answered = false;
    QKeychain::Error error = QKeychain::NoError;
    QString text;
    QByteArray data;
};

QtSecretStore::Answer QtSecretStore::Wait(QKeychain::Job* job) {
    Answer answer;
    QEventLoop loop;
    // The loop is the context of both: an answer that comes after the time-out
    // finds no receiver, and the job still deletes itself.
    QObject::connect(job, &QKeychain::Job::finished, &loop, [&](QKeychain::Job* done) {
        answer.answered = true;
        answer.error = done->error();
        answer.text = done->errorString();
        if (auto* read = qobject_cast<QKeychain::ReadPasswordJob*>(done))
            answer.data = read->binaryData();
        loop.quit();
    });
    QTimer::singleShot(timeout_ms_, &loop, &QEventLoop::quit);
    job->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return answer;
}

SecretResult QtSecretStore::Conclude(const Answer& answer) {
    if (!answer.answered) {
        // QtKeychain runs one job at a time: every later one would wait behind
        // this one, so the keyring is taken as gone.
        available_ = false;
        last_error_ = "the keyring did not answer within " +
                      std::to_string((timeout_ms_ + 999) / 1000) + " s";
        return SecretResult::Failed;
    }
    if (answer.error != QKeychain::NoError) last_error_ = EncodeText(answer.text);
    switch (answer.error) {
        case QKeychain::NoError: return SecretResult::Ok;
        case QKeychain::EntryNotFound: return SecretResult::NotFound;
        case QKeychain::NoBackendAvailable: return SecretResult::NoService;
        case QKeychain::CouldNotDeleteEntry:
        case QKeychain::AccessDeniedByUser:
        case QKeychain::AccessDenied:
        case QKeychain::NotImplemented:
        case QKeychain::OtherError: break;
    }
    return SecretResult::Failed;
}

// The Secret Service backend reports an unreachable bus or keyring only as
// OtherError, so the question is whether a lookup of the empty key, which
// is never stored, gets an answer at all.
bool QtSecretStore::Available() {
    if (!available_) {
        auto* probe = new QKeychain::ReadPasswordJob(QString::fromLatin1(kService));
        probe->setKey(QString());
        const Answer answer = Wait(probe);
        available_ = answer.answered && (answer.error == QKeychain::NoError ||
                                         answer.error == QKeychain::EntryNotFound);
        if (!*available_) Conclude(answer);  // for its words
    }
    return *available_;
}

std::optional<SecretResult> QtSecretStore::Refusal(const std::string& key) {
    if (key.empty()) {
        last_error_ = "a secret needs a key";
        return SecretResult::Failed;
    }
    if (!Available()) return SecretResult::NoService;
    return std::nullopt;
}

SecretResult QtSecretStore::Read(const std::string& key, std::string& secret) {
    if (auto refused = Refusal(key)) return *refused;
    auto* job = new QKeychain::ReadPasswordJob(QString::fromLatin1(kService));
    job->setKey(DecodeText(key));
    const Answer answer = Wait(job);
    const SecretResult result = Conclude(answer);
    if (result == SecretResult::Ok) secret = answer.data.toStdString();
    return result;
}

// The Secret Service backend files text and binary secrets as two items and
// reads the text one first, so an older text secret would hide a newer
// binary one: the old item goes first, leaving one item per key.
SecretResult QtSecretStore::Write(const std::string& key, const std::string& secret) {
    const SecretResult removed = Remove(key);
    if (removed != SecretResult::Ok) return removed;
    auto* job = new QKeychain::WritePasswordJob(QString::fromLatin1(kService));
    job->setKey(DecodeText(key));
    const QByteArray bytes = QByteArray::fromStdString(secret);
    if (IsPlainText(bytes))
        job->setTextData(QString::fromUtf8(bytes));
    else
        job->setBinaryData(bytes);
    return Conclude(Wait(job));
}

SecretResult QtSecretStore::Remove(const std::string& key) {
    if (auto refused = Refusal(key)) return *refused;
    auto* job = new QKeychain::DeletePasswordJob(QString::fromLatin1(kService));
    job->setKey(DecodeText(key));
    const SecretResult result = Conclude(Wait(job));
    return result == SecretResult::NotFound ? SecretResult::Ok : result;
}

}  // namespace zorl::qt
