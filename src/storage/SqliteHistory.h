// The history store on SQLite: one database file, made for the user alone,
// in WAL mode so that reading never waits for the writer. Lines are queued
// and written in slices of one transaction each, when the owner's event
// loop has time for them: a flood is shown at full speed and stored in the
// quiet after it. Whoever owns the store schedules the slices. Every value from the user or a
// server goes in as a bound parameter, never as SQL.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/History.h"

struct sqlite3;
struct sqlite3_stmt;

namespace zorl {

class CSqliteHistory : public IHistoryStore {
public:
    // The schema this build writes; older databases are brought up to it.
    static constexpr int kSchemaVersion = 2;
    // One slice: about 25 ms of writing.
    static constexpr std::size_t kSlice = 2000;
    // Beyond this many queued lines a slice is written at once.
    static constexpr std::size_t kMaxQueued = 100000;

    // `scheduleFlush` is called when a line is queued into an empty queue,
    // so that slices are written (FlushSome) once the event loop has time;
    // without one the queue is written when it is full, read from or closed.
    explicit CSqliteHistory(std::function<void()> scheduleFlush = {});
    ~CSqliteHistory() override;
    CSqliteHistory(const CSqliteHistory&) = delete;
    CSqliteHistory& operator=(const CSqliteHistory&) = delete;

    bool Open(const std::string& path, std::string& notice) override;
    bool IsOpen() const override { return db_ != nullptr; }
    void Close() override;
    void Add(const HistoryLine& line) override;
    void Flush() override;
    // Writes up to `most` of the oldest queued lines; returns how many wait.
    std::size_t FlushSome(std::size_t most);
    std::vector<HistoryLine> Recent(const std::string& network, const std::string& window,
                                    std::size_t limit) override;
    std::vector<HistoryLine> Around(std::int64_t id, std::size_t before,
                                    std::size_t after) override;
    bool Contains(const HistoryLine& line) override;
    std::vector<HistoryLine> Search(const HistoryQuery& query) override;
    void Clear(const std::string& network, const std::string& window) override;
    void Prune(int days, int megabytes, std::time_t now) override;
    std::string TakeProblem() override;

    // The words of a search as an FTS5 query: each a quoted string, with
    // `lastAsPrefix` the last one also as the start of a word, so that
    // results come while it is typed.
    static std::string MatchExpression(const std::string& text, bool lastAsPrefix);

private:
    enum class Opened { Ok, NotOurs, Busy, Newer, Failed };
    Opened OpenFile(const std::string& path);
    bool Migrate(int from);
    bool Exec(const char* sql);
    // Deletes the lines `where` selects (bound to `bind`) with their index
    // entries; the text is needed to take a line out of the index.
    std::vector<HistoryLine> SearchMatching(const HistoryQuery& query, const std::string& match);
    void DeleteWhere(const std::string& where, const std::vector<std::string>& bind);
    void WriteFailed(int code);
    // The conversation row of a network's window, made when it is new; 0 on
    // a failure to write.
    std::int64_t ConversationOf(const std::string& network, const std::string& window);

    std::function<void()> schedule_flush_;
    sqlite3* db_ = nullptr;
    std::deque<HistoryLine> queue_;
    std::unordered_map<std::string, std::int64_t> conversations_;  // network NUL window -> id
    std::string problem_;
    bool writing_stopped_ = false;
};

}  // namespace zorl
