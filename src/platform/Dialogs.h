// Dialogs. The message box, the input request, the file dialog, the server
// dialogs, the properties dialog and the "Edit" dialog are modal: each runs
// a nested event loop in the real host, so any socket event or tick may be
// handled before it returns, and callers look their windows and sockets up
// again afterwards instead of keeping pointers.
//
// The questions about a DCC offer are not modal: the call returns at once
// and the answer comes later through the callback, on the same thread, while
// the connection goes on working (a user away from the desk must not be
// dropped by the server's PING timeout). The callback runs at most once; the
// host may also call it from inside the Ask call.
#pragma once

#include <functional>
#include <string>

namespace zorl {

class CServerList;
struct ServerEntry;

enum class BoxIcon { None, Information, Exclamation, Error, Question };
enum class BoxAnswer { Ok, Cancel, Yes, No };
enum class DccAnswer { Accept, Refuse };
enum class OverwriteAnswer { Ok, Cancel, Rename, Resume };
enum class TrustAnswer { Refuse, ThisSession, Always };

// What a question about a DCC offer shows; every text is the engine's.
struct DccOfferDetails {
    std::string from;     // "nick (user@host)"
    std::string address;  // dotted: where accepting connects to
    int port = 0;
    // File offers: the name (editable) and the size as received, or
    // "unknown".
    std::string fileName;
    std::string size;
    // Empty, or a line about where the offer leads; with one, Refuse is the
    // default answer (Enter alone refuses).
    std::string warning;
};

struct CSettings;
// The editors behind the buttons of the properties dialog's "Files" page,
// in the order of the buttons.
enum class FilesEditor {
    Nicks,
    Channel,
    Query,
    Status,
    Aliases,
    Servers,
    Notify,
    Ignore,
    Startup,
    Scripts,
    Textfile
};

enum class PasteAnswer { Send, SendAsOneLine, Cancel };

class IDialogs {
public:
    virtual ~IDialogs() = default;
    // With `noByDefault` a Yes/No question answers No to a bare Enter.
    virtual BoxAnswer MessageBox(const std::string& text, BoxIcon icon = BoxIcon::None,
                                 bool yesNo = false, bool noByDefault = false) = 0;
    // A certificate the system does not trust: refuse it, trust it for this
    // session, or always (pin it). Refuse is the default: Enter alone, or
    // closing the question, refuses.
    virtual TrustAnswer AskCertificateTrust(const std::string& text) = 0;
    // The "$?" prompt and other one-line requests. False on cancel.
    virtual bool InputRequest(const std::string& title, const std::string& prompt,
                              std::string& answer) = 0;
    // The Servers dialog over `list` (config/ServerList.h), already loaded:
    // its Add, Edit and Delete buttons call the list's operations. True on OK.
    virtual bool Servers(CServerList& list) = 0;
    // The Edit server dialog, filled with `entry`; on OK (true) `entry`
    // holds the fields as typed.
    virtual bool EditServer(ServerEntry& entry) = 0;
    // A file-open dialog; `filter` is "Label (*.ext) | *.ext||". `path` names
    // the folder to start in (empty: the working directory) and receives the
    // chosen file. False on cancel.
    virtual bool OpenFile(const std::string& filter, const std::string& defaultExtension,
                          std::string& path) = 0;

    // "DCC chat request": who offers, where it leads, any warning.
    virtual void AskDccChat(const DccOfferDetails& offer,
                            std::function<void(DccAnswer)> answer) = 0;
    // "DCC file transfer request": the same and the file; its name can be
    // edited, and the answer carries it.
    virtual void AskDccSend(const DccOfferDetails& offer,
                            std::function<void(DccAnswer, const std::string& fileName)> answer) = 0;
    // "Overwrite existing file?" with OK, Cancel and Rename, and Resume
    // when `resume` says what is there already ("": the file cannot be
    // resumed).
    virtual void AskOverwrite(const std::string& resume,
                              std::function<void(OverwriteAnswer)> answer) = 0;
    // Closes the DCC questions on screen: they were settled otherwise.
    virtual void WithdrawDccQuestions() = 0;

    // The properties dialog: shows `values` on its pages, opened on `page`,
    // and writes every control back into them on OK (false: Cancel). The
    // "Files" page's buttons call `edit` while it is open; what those
    // editors save stays saved whichever way the dialog ends.
    virtual bool Properties(CSettings& values, int page,
                            const std::function<void(FilesEditor)>& edit) = 0;
    // The "Edit" dialog: one multi-line text field whose lines end in CR LF
    // both ways. False on cancel.
    virtual bool EditText(std::string& text) = 0;
    // The history search window, opened (or brought forward) with `text`
    // searched for; it stays open beside the windows.
    virtual void SearchHistory(const std::string& text) = 0;
    // A paste of several lines into an input line; `question` says how
    // many go where.
    virtual PasteAnswer AskPaste(const std::string& question) = 0;
};

}  // namespace zorl
