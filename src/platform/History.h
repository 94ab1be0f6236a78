// The lasting history of conversations: every line a channel, query or DCC
// chat window showed, kept in one database of the configuration folder, read
// back when such a window opens again and searched across all of them.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace zorl {

// What a stored line was. The numbers are stored: never change one.
enum class HistoryKind : int {
    Other = 0,
    Message = 1,
    Action = 2,
    Notice = 3,
    Join = 4,
    Part = 5,
    Quit = 6,
    Kick = 7,
    Nick = 8,
    Mode = 9,
    Topic = 10,
    Own = 11,
};

struct HistoryLine {
    std::int64_t id = 0;  // the store's; 0 until stored
    std::string network;  // the network's name
    std::string window;   // the window's name in lower case
    std::time_t time = 0;
    HistoryKind kind = HistoryKind::Other;
    std::string sender;  // a nick; empty for the client's own texts
    std::string text;    // as shown, formatting codes included, without CR LF
    std::uint32_t colour = 0;
    std::string msgid;  // the server's message id, when it gave one
};

// A search over every window: the words of `text` (each must occur, any
// letter case; punctuation and quotes are only text), narrowed by the
// fields that are set.
struct HistoryQuery {
    std::string text;
    std::string network;
    std::string window;
    std::string sender;
    std::time_t from = 0;  // 0: no bound
    std::time_t to = 0;
    std::size_t limit = 50;
};

class IHistoryStore {
public:
    virtual ~IHistoryStore() = default;

    // Opens the database at `path`, making it when there is none. A file
    // that is no database of ours, or broken, is set aside under a new name
    // and a new one is made. False when none could be had; `notice` is one
    // line to show the user either way (empty: nothing to say).
    virtual bool Open(const std::string& path, std::string& notice) = 0;
    virtual bool IsOpen() const = 0;
    virtual void Close() = 0;

    // Queued; the queue is written in one go once the event loop is idle.
    virtual void Add(const HistoryLine& line) = 0;
    virtual void Flush() = 0;

    // The newest `limit` lines of a window, the oldest first.
    virtual std::vector<HistoryLine> Recent(const std::string& network, const std::string& window,
                                            std::size_t limit) = 0;
    // Up to `before` lines before the stored line `id`, it, and up to
    // `after` after it, in the same window.
    virtual std::vector<HistoryLine> Around(std::int64_t id, std::size_t before,
                                            std::size_t after) = 0;
    // Whether the line is stored already: by its msgid when it has one,
    // else by its time, sender and text.
    virtual bool Contains(const HistoryLine& line) = 0;
    // Newest first.
    virtual std::vector<HistoryLine> Search(const HistoryQuery& query) = 0;

    // Forgets a window's lines, or with an empty window all of a network's.
    virtual void Clear(const std::string& network, const std::string& window) = 0;
    // Forgets lines older than `days` (0: keep any age) and the oldest
    // beyond `megabytes` of text (0: any size).
    virtual void Prune(int days, int megabytes, std::time_t now) = 0;

    // A problem met while writing (a full disk): one line for the user,
    // given once; storing stops until the store is opened again.
    virtual std::string TakeProblem() = 0;
};

}  // namespace zorl
