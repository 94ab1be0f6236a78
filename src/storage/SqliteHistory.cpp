#include "storage/SqliteHistory.h"

#include <sqlite3.h>

#include <sys/stat.h>
#include <algorithm>
#include <cstdio>

#include "common/FormatCodes.h"
#include "common/PrivateFiles.h"
#include "common/TimeText.h"

namespace zorl {
namespace {

// Another client of the same folder may hold the write lock for a moment.
constexpr int kBusyMilliseconds = 2000;

// One prepared statement, finalized when it goes out of scope. Text is bound
// by copy, so the caller's strings may go first.
class Statement {
public:
    Statement(sqlite3* db, const std::string& sql) {
        if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt_, nullptr) !=
            SQLITE_OK)
            stmt_ = nullptr;
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Ok() const { return stmt_ != nullptr; }
    Statement& Bind(int index, const std::string& text) {
        sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
        return *this;
    }
    Statement& Bind(int index, std::int64_t value) {
        sqlite3_bind_int64(stmt_, index, value);
        return *this;
    }
    Statement& BindNull(int index) {
        sqlite3_bind_null(stmt_, index);
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int Step() { return stmt_ ? sqlite3_step(stmt_) : SQLITE_ERROR; }
    void Reset() {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }
    std::int64_t Int(int column) const { return sqlite3_column_int64(stmt_, column); }
    std::string Text(int column) const {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
        return text ? std::string(text,
                                  static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)))
                    : std::string();
    }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

constexpr const char* kJoin = " FROM lines JOIN conversations c ON c.id = lines.conversation";
// A line with the network and window of its conversation; the columns are
// those LineOf reads.
const std::string kColumns =
    std::string("lines.id, c.network, c.window, time, kind, sender, text, colour, msgid") + kJoin;

HistoryLine LineOf(const Statement& row) {
    HistoryLine line;
    line.id = row.Int(0);
    line.network = row.Text(1);
    line.window = row.Text(2);
    line.time = static_cast<std::time_t>(row.Int(3));
    line.kind = static_cast<HistoryKind>(row.Int(4));
    line.sender = row.Text(5);
    line.text = row.Text(6);
    line.colour = static_cast<std::uint32_t>(row.Int(7));
    line.msgid = row.Text(8);
    return line;
}

std::vector<HistoryLine> Rows(Statement& statement) {
    std::vector<HistoryLine> lines;
    while (statement.Step() == SQLITE_ROW) lines.push_back(LineOf(statement));
    return lines;
}

// Each step brings a database of the version before it to its own. Step 1
// is the lines; step 2 the word index over what they show, filled from
// the lines already there.
constexpr const char* kMigrations[] = {
    "CREATE TABLE conversations(id INTEGER PRIMARY KEY, network TEXT NOT NULL,"
    " window TEXT NOT NULL, UNIQUE(network, window));"
    "CREATE TABLE lines(id INTEGER PRIMARY KEY, conversation INTEGER NOT NULL,"
    " time INTEGER NOT NULL, kind INTEGER NOT NULL, sender TEXT NOT NULL, text TEXT NOT NULL,"
    " colour INTEGER NOT NULL, msgid TEXT);"
    "CREATE INDEX lines_by_conversation ON lines(conversation, time);"
    "CREATE UNIQUE INDEX lines_by_msgid ON lines(conversation, msgid) WHERE msgid IS NOT NULL;",
    "CREATE VIRTUAL TABLE words USING fts5(plain, content='', tokenize='unicode61');",
};

}  // namespace

CSqliteHistory::CSqliteHistory(std::function<void()> scheduleFlush)
    : schedule_flush_(std::move(scheduleFlush)) {}

CSqliteHistory::~CSqliteHistory() { Close(); }

bool CSqliteHistory::Exec(const char* sql) {
    return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

CSqliteHistory::Opened CSqliteHistory::OpenFile(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 && !CreatePrivateFile(path)) return Opened::Failed;
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW,
                        nullptr) != SQLITE_OK) {
        Close();
        return Opened::Failed;
    }
    sqlite3_busy_timeout(db_, kBusyMilliseconds);
    sqlite3_extended_result_codes(db_, 0);
    // Each read below is done with before the next: a statement still on a
    // row holds a read transaction, in which the journal mode cannot change.
    int found = 0;
    {
        Statement version(db_, "PRAGMA user_version");
        const int step = version.Step();
        if (step == SQLITE_BUSY || step == SQLITE_LOCKED) return Opened::Busy;
        if (step != SQLITE_ROW) return Opened::NotOurs;
        found = static_cast<int>(version.Int(0));
    }
    if (found > kSchemaVersion) return Opened::Newer;
    {
        // A database without a version of ours is used only when it is
        // empty: one with tables is another program's.
        Statement tables(db_, "SELECT count(*) FROM sqlite_master");
        if (tables.Step() != SQLITE_ROW || (found == 0 && tables.Int(0) != 0))
            return Opened::NotOurs;
    }
    {
        Statement mode(db_, "PRAGMA journal_mode=WAL");
        const int modeStep = mode.Step();
        if (modeStep == SQLITE_BUSY) return Opened::Busy;
        if (modeStep != SQLITE_ROW) return Opened::NotOurs;
    }
    Exec("PRAGMA synchronous=NORMAL");
    Exec("PRAGMA cache_size=-16384");
    Exec("PRAGMA wal_autocheckpoint=8192");
    if (found < kSchemaVersion && !Migrate(found)) return Opened::NotOurs;
    Statement check(db_, "SELECT count(*) FROM lines WHERE 0");
    return check.Step() == SQLITE_ROW ? Opened::Ok : Opened::NotOurs;
}

bool CSqliteHistory::Migrate(int from) {
    if (!Exec("BEGIN IMMEDIATE")) return false;
    for (int version = from; version < kSchemaVersion; ++version) {
        if (!Exec(kMigrations[version])) {
            Exec("ROLLBACK");
            return false;
        }
    }
    if (from < 2) {
        // An index made later covers the lines from before it too.
        Statement lines(db_, "SELECT id, text FROM lines");
        Statement insert(db_, "INSERT INTO words(rowid, plain) VALUES(?, ?)");
        while (lines.Step() == SQLITE_ROW) {
            insert.Bind(1, lines.Int(0)).Bind(2, VisibleText(lines.Text(1)));
            insert.Step();
            insert.Reset();
        }
    }
    const std::string version = "PRAGMA user_version=" + std::to_string(kSchemaVersion);
    if (!Exec(version.c_str()) || !Exec("COMMIT")) {
        Exec("ROLLBACK");
        return false;
    }
    return true;
}

bool CSqliteHistory::Open(const std::string& path, std::string& notice) {
    Close();
    notice.clear();
    problem_.clear();
    writing_stopped_ = false;
    switch (OpenFile(path)) {
        case Opened::Ok: return true;
        case Opened::Busy:
            Close();
            notice = "History is off: its database is in use by another program";
            return false;
        case Opened::Newer:
            Close();
            notice = "History is off: its database was written by a newer zorl";
            return false;
        case Opened::Failed:
            Close();
            notice = "History is off: " + path + " cannot be opened";
            return false;
        case Opened::NotOurs: break;
    }
    // Unreadable: kept for whoever wants to look at it, and a new one made.
    Close();
    const std::string aside =
        path + ".broken-" + FormatLocalTime("%Y%m%d-%H%M%S", std::time(nullptr));
    if (std::rename(path.c_str(), aside.c_str()) != 0) {
        notice = "History is off: " + path + " cannot be read";
        return false;
    }
    std::remove((path + "-wal").c_str());
    std::remove((path + "-shm").c_str());
    if (OpenFile(path) != Opened::Ok) {
        Close();
        notice = "History is off: " + path + " cannot be read";
        return false;
    }
    notice = "History: the database could not be read and was set aside as " + aside +
             "; a new one was made";
    return true;
}

void CSqliteHistory::Close() {
    conversations_.clear();
    if (!db_) return;
    Flush();
    sqlite3_close_v2(db_);
    db_ = nullptr;
}

void CSqliteHistory::Add(const HistoryLine& line) {
    if (!db_ || writing_stopped_) return;
    queue_.push_back(line);
    if (queue_.size() >= kMaxQueued) {
        FlushSome(kSlice);
    } else if (queue_.size() == 1 && schedule_flush_) {
        schedule_flush_();
    }
}

void CSqliteHistory::WriteFailed(int code) {
    writing_stopped_ = true;
    queue_.clear();
    conversations_.clear();  // rows made in a rolled back transaction are gone
    problem_ = code == SQLITE_FULL ? "History: the disk is full; lines are no longer stored"
                                   : std::string("History: lines are no longer stored (") +
                                         sqlite3_errstr(code) + ")";
}

// A line of a server's playback may come again: its msgid keeps the index
// from taking it twice, and then it goes into no word index either.
void CSqliteHistory::Flush() { FlushSome(queue_.size()); }

std::size_t CSqliteHistory::FlushSome(std::size_t most) {
    if (!db_ || queue_.empty()) return queue_.size();
    const auto end = queue_.begin() + static_cast<std::ptrdiff_t>(std::min(most, queue_.size()));
    if (!Exec("BEGIN IMMEDIATE")) {
        WriteFailed(sqlite3_errcode(db_));
        return 0;
    }
    auto fail = [this](int code) {
        Exec("ROLLBACK");
        WriteFailed(code);
        return std::size_t{0};
    };
    Statement insert(db_,
                     "INSERT OR IGNORE INTO lines(conversation, time, kind, sender, text,"
                     " colour, msgid) VALUES(?, ?, ?, ?, ?, ?, ?)");
    Statement words(db_, "INSERT INTO words(rowid, plain) VALUES(?, ?)");
    for (auto it = queue_.begin(); it != end; ++it) {
        const HistoryLine& line = *it;
        const std::int64_t conversation = ConversationOf(line.network, line.window);
        if (conversation == 0) return fail(sqlite3_errcode(db_));
        insert.Bind(1, conversation).Bind(2, std::int64_t{line.time});
        insert.Bind(3, static_cast<std::int64_t>(line.kind)).Bind(4, line.sender);
        insert.Bind(5, line.text).Bind(6, std::int64_t{line.colour});
        if (line.msgid.empty())
            insert.BindNull(7);
        else
            insert.Bind(7, line.msgid);
        const int done = insert.Step();
        insert.Reset();
        if (done != SQLITE_DONE) return fail(done);
        if (sqlite3_changes(db_) == 0) continue;
        words.Bind(1, std::int64_t{sqlite3_last_insert_rowid(db_)}).Bind(2, VisibleText(line.text));
        const int indexed = words.Step();
        words.Reset();
        if (indexed != SQLITE_DONE) return fail(indexed);
    }
    if (!Exec("COMMIT")) return fail(sqlite3_errcode(db_));
    queue_.erase(queue_.begin(), end);
    return queue_.size();
}

// Kept in memory while the database is open: a flood of one window asks
// for its row once.
std::int64_t CSqliteHistory::ConversationOf(const std::string& network, const std::string& window) {
    std::string key = network;
    key += '\0';
    key += window;
    if (auto it = conversations_.find(key); it != conversations_.end()) return it->second;
    Statement insert(db_, "INSERT OR IGNORE INTO conversations(network, window) VALUES(?, ?)");
    insert.Bind(1, network).Bind(2, window);
    if (insert.Step() != SQLITE_DONE) return 0;
    Statement select(db_, "SELECT id FROM conversations WHERE network = ? AND window = ?");
    select.Bind(1, network).Bind(2, window);
    if (select.Step() != SQLITE_ROW) return 0;
    return conversations_[key] = select.Int(0);
}

std::vector<HistoryLine> CSqliteHistory::Recent(const std::string& network,
                                                const std::string& window, std::size_t limit) {
    if (!db_) return {};
    Flush();
    Statement select(db_, std::string("SELECT * FROM (SELECT ") + kColumns +
                              " WHERE c.network = ? AND c.window = ?"
                              " ORDER BY time DESC, lines.id DESC LIMIT ?) ORDER BY 4, 1");
    select.Bind(1, network).Bind(2, window).Bind(3, static_cast<std::int64_t>(limit));
    return Rows(select);
}

std::vector<HistoryLine> CSqliteHistory::Around(std::int64_t id, std::size_t before,
                                                std::size_t after) {
    if (!db_) return {};
    Flush();
    Statement centre(db_, std::string("SELECT ") + kColumns + " WHERE lines.id = ?");
    centre.Bind(1, id);
    if (centre.Step() != SQLITE_ROW) return {};
    const HistoryLine line = LineOf(centre);
    // Ordered as Recent orders: by time, then by the order they came in.
    const std::string same =
        std::string("SELECT ") + kColumns + " WHERE c.network = ? AND c.window = ? AND ";
    Statement older(db_, "SELECT * FROM (" + same +
                             "(time < ? OR (time = ? AND lines.id < ?))"
                             " ORDER BY time DESC, lines.id DESC LIMIT ?) ORDER BY 4, 1");
    Statement newer(db_, same +
                             "(time > ? OR (time = ? AND lines.id > ?))"
                             " ORDER BY time, lines.id LIMIT ?");
    std::vector<HistoryLine> lines;
    for (auto [statement, count] : {std::pair{&older, before}, std::pair{&newer, after}}) {
        statement->Bind(1, line.network).Bind(2, line.window).Bind(3, std::int64_t{line.time});
        statement->Bind(4, std::int64_t{line.time}).Bind(5, id);
        statement->Bind(6, static_cast<std::int64_t>(count));
        std::vector<HistoryLine> part = Rows(*statement);
        if (statement == &newer) lines.push_back(line);
        lines.insert(lines.end(), part.begin(), part.end());
    }
    return lines;
}

bool CSqliteHistory::Contains(const HistoryLine& line) {
    if (!db_) return false;
    Flush();
    if (!line.msgid.empty()) {
        Statement select(db_, std::string("SELECT 1") + kJoin +
                                  " WHERE c.network = ? AND c.window = ? AND msgid = ?");
        select.Bind(1, line.network).Bind(2, line.window).Bind(3, line.msgid);
        return select.Step() == SQLITE_ROW;
    }
    Statement select(db_, std::string("SELECT 1") + kJoin +
                              " WHERE c.network = ? AND c.window = ? AND time = ? AND"
                              " sender = ? AND text = ?");
    select.Bind(1, line.network).Bind(2, line.window).Bind(3, std::int64_t{line.time});
    select.Bind(4, line.sender).Bind(5, line.text);
    return select.Step() == SQLITE_ROW;
}

std::string CSqliteHistory::MatchExpression(const std::string& text, bool lastAsPrefix) {
    std::string expression;
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
        const std::size_t end = text.find_first_of(" \t", pos);
        const std::string word = text.substr(pos, end == std::string::npos ? end : end - pos);
        pos = end == std::string::npos ? text.size() : end;
        if (word.empty()) continue;
        if (!expression.empty()) expression += ' ';
        expression += '"';
        for (char c : word) {
            if (c == '"') expression += '"';
            expression += c;
        }
        expression += '"';
    }
    // Only a word of letters or digits at its end can be a prefix: the
    // index splits at anything else.
    if (lastAsPrefix && !expression.empty() && static_cast<unsigned char>(text.back()) > ' ')
        expression += '*';
    return expression;
}

// Whole words first: a common word's newest lines come at once. Only when
// they are fewer than asked for is the last word also taken as the start of
// one (a word being typed), which has to gather every word it begins.
std::vector<HistoryLine> CSqliteHistory::Search(const HistoryQuery& query) {
    if (!db_) return {};
    Flush();
    const std::string words = MatchExpression(query.text, false);
    std::vector<HistoryLine> lines = SearchMatching(query, words);
    if (lines.size() < query.limit) {
        const std::string prefix = MatchExpression(query.text, true);
        if (prefix != words) lines = SearchMatching(query, prefix);
    }
    return lines;
}

// With words, the index is walked from its newest entry down and stops at
// the limit.
std::vector<HistoryLine> CSqliteHistory::SearchMatching(const HistoryQuery& query,
                                                        const std::string& match) {
    std::string sql = std::string("SELECT ") + kColumns;
    std::vector<std::string> texts;
    if (match.empty()) {
        sql += " WHERE 1";
    } else {
        sql += " JOIN words ON words.rowid = lines.id WHERE words MATCH ?";
        texts.push_back(match);
    }
    for (auto [value, column] : {std::pair{&query.network, " AND c.network = ?"},
                                 std::pair{&query.window, " AND c.window = ?"},
                                 std::pair{&query.sender, " AND sender = ? COLLATE NOCASE"}}) {
        if (value->empty()) continue;
        sql += column;
        texts.push_back(*value);
    }
    if (query.from) sql += " AND time >= " + std::to_string(query.from);
    if (query.to) sql += " AND time <= " + std::to_string(query.to);
    sql += match.empty() ? " ORDER BY lines.id DESC" : " ORDER BY words.rowid DESC";
    sql += " LIMIT " + std::to_string(query.limit);
    Statement select(db_, sql);
    for (std::size_t i = 0; i < texts.size(); ++i) select.Bind(static_cast<int>(i + 1), texts[i]);
    std::vector<HistoryLine> lines;
    while (select.Step() == SQLITE_ROW) lines.push_back(LineOf(select));
    return lines;
}

void CSqliteHistory::DeleteWhere(const std::string& where, const std::vector<std::string>& bind) {
    if (!db_ || !Exec("BEGIN IMMEDIATE")) return;
    Statement lines(db_, "SELECT id, text FROM lines WHERE " + where);
    Statement forget(db_, "INSERT INTO words(words, rowid, plain) VALUES('delete', ?, ?)");
    for (std::size_t i = 0; i < bind.size(); ++i) lines.Bind(static_cast<int>(i + 1), bind[i]);
    while (lines.Step() == SQLITE_ROW) {
        forget.Bind(1, lines.Int(0)).Bind(2, VisibleText(lines.Text(1)));
        forget.Step();
        forget.Reset();
    }
    Statement remove(db_, "DELETE FROM lines WHERE " + where);
    for (std::size_t i = 0; i < bind.size(); ++i) remove.Bind(static_cast<int>(i + 1), bind[i]);
    if (remove.Step() != SQLITE_DONE || !Exec("COMMIT")) Exec("ROLLBACK");
}

void CSqliteHistory::Clear(const std::string& network, const std::string& window) {
    Flush();
    if (window.empty())
        DeleteWhere("conversation IN (SELECT id FROM conversations WHERE network = ?)", {network});
    else
        DeleteWhere(
            "conversation IN (SELECT id FROM conversations WHERE network = ? AND"
            " window = ?)",
            {network, window});
}

void CSqliteHistory::Prune(int days, int megabytes, std::time_t now) {
    if (!db_) return;
    Flush();
    if (days > 0)
        DeleteWhere("time < " + std::to_string(now - static_cast<std::time_t>(days) * 86400), {});
    if (megabytes <= 0) return;
    // The pages in use, not the file: freed pages are reused, not returned.
    // Over the limit, the oldest share of the lines goes, as much as the
    // excess is of the whole; reading every line's length would hold up the
    // start of a large history.
    Statement pages(db_,
                    "SELECT (SELECT page_count FROM pragma_page_count()) -"
                    " (SELECT freelist_count FROM pragma_freelist_count()),"
                    " (SELECT page_size FROM pragma_page_size())");
    if (pages.Step() != SQLITE_ROW) return;
    const double used = static_cast<double>(pages.Int(0)) * static_cast<double>(pages.Int(1));
    const double limit = static_cast<double>(megabytes) * 1024 * 1024;
    if (used <= limit) return;
    Statement ids(db_, "SELECT min(id), max(id) FROM lines");
    if (ids.Step() != SQLITE_ROW) return;
    const std::int64_t first = ids.Int(0);
    const std::int64_t last = ids.Int(1);
    const auto cut = first + static_cast<std::int64_t>(static_cast<double>(last - first) *
                                                       (used - limit) / used);
    DeleteWhere("id <= " + std::to_string(cut), {});
}

std::string CSqliteHistory::TakeProblem() {
    std::string problem;
    problem.swap(problem_);
    return problem;
}

}  // namespace zorl
