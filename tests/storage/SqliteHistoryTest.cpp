// The history store on a real database file in a temporary folder: what it
// keeps and finds, and the files it must not trip over.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <filesystem>

#include "storage/SqliteHistory.h"
#include "support/TempDir.h"

namespace zorl::test {
namespace {

class SqliteHistoryTest : public ::testing::Test {
protected:
    std::string Path() const { return (dir.Path() / "history.db").string(); }
    bool Open() { return store.Open(Path(), notice); }
    static HistoryLine Line(const std::string& window, std::time_t time, const std::string& sender,
                            const std::string& text, const std::string& msgid = "") {
        HistoryLine line;
        line.network = "Net";
        line.window = window;
        line.time = time;
        line.kind = HistoryKind::Message;
        line.sender = sender;
        line.text = text;
        line.colour = 7;
        line.msgid = msgid;
        return line;
    }
    std::vector<std::string> Texts(const std::vector<HistoryLine>& lines) const {
        std::vector<std::string> texts;
        for (const HistoryLine& line : lines) texts.push_back(line.text);
        return texts;
    }
    std::vector<std::string> Found(const std::string& text, const std::string& sender = "") {
        HistoryQuery query;
        query.text = text;
        query.sender = sender;
        return Texts(store.Search(query));
    }
    // A database written by hand: `sql` on a new file of that path.
    void MakeDatabase(const std::string& sql) const {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(Path().c_str(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
    std::vector<std::string> SetAside() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
            if (entry.path().filename().string().find(".broken-") != std::string::npos)
                names.push_back(entry.path().filename().string());
        return names;
    }

    TempDir dir;
    CSqliteHistory store;
    std::string notice;
};

TEST_F(SqliteHistoryTest, KeepsFindsAndForgetsLinesAcrossAReopen) {
    ASSERT_TRUE(Open()) << notice;
    EXPECT_EQ(notice, "");
    struct stat info {};
    ASSERT_EQ(stat(Path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    store.Add(Line("#a", 100, "bob",
                   "<bob> the \x02"
                   "first\x02 line",
                   "m1"));
    store.Add(Line("#a", 100, "bob", "<bob> same msgid, not kept", "m1"));
    store.Add(Line("#a", 90, "carol", "<carol> older, from a playback"));
    store.Add(Line("#b", 110, "bob", "<bob> say \"c++\" isn't it?"));
    store.Add(Line("#a", 120, "me", "<me> last"));
    store.Close();
    ASSERT_TRUE(Open()) << notice;

    EXPECT_EQ(Texts(store.Recent("Net", "#a", 2)), (std::vector<std::string>{"<bob> the \x02"
                                                                             "first\x02 line",
                                                                             "<me> last"}));
    EXPECT_EQ(Texts(store.Recent("Net", "#a", 10)).front(), "<carol> older, from a playback");
    EXPECT_TRUE(store.Recent("Other", "#a", 10).empty());
    EXPECT_TRUE(store.Contains(Line("#a", 1, "x", "other text", "m1")));
    EXPECT_TRUE(store.Contains(Line("#a", 90, "carol", "<carol> older, from a playback")));
    EXPECT_FALSE(store.Contains(Line("#a", 91, "carol", "<carol> older, from a playback")));

    // Words in any case, through formatting codes, punctuation and quotes;
    // the last word also as the start of one; never as SQL or FTS syntax.
    EXPECT_EQ(Found("FIRST"), (std::vector<std::string>{"<bob> the \x02"
                                                        "first\x02 line"}));
    EXPECT_EQ(Found("\"c++\" isn't"), (std::vector<std::string>{"<bob> say \"c++\" isn't it?"}));
    EXPECT_EQ(Found("carol line fir").size(), 0u);
    EXPECT_EQ(Found("line fir").size(), 1u);
    for (const char* odd : {"\"", "'; DROP TABLE lines; --", "a OR b", "NEAR(", "*", "-x ^y"})
        EXPECT_NO_FATAL_FAILURE(Found(odd)) << odd;
    EXPECT_EQ(Found("", "BOB").size(), 2u);
    EXPECT_EQ(Found("last").size(), 1u);

    const std::vector<HistoryLine> all = store.Recent("Net", "#a", 10);
    EXPECT_EQ(Texts(store.Around(all[1].id, 1, 1)), Texts(all));

    store.Clear("Net", "#a");
    EXPECT_TRUE(store.Recent("Net", "#a", 10).empty());
    EXPECT_EQ(Found("last").size(), 0u);
    EXPECT_EQ(Found("isn't").size(), 1u);
    store.Prune(1, 0, 110 + 86400 + 1);
    EXPECT_EQ(Found("isn't").size(), 0u);

    // Over its megabytes: the oldest lines go, the newest stay.
    constexpr int kLines = 8000;
    for (int i = 0; i < kLines; ++i)
        store.Add(Line("#big", 200 + i, "bob", std::string(200, 'x') + " " + std::to_string(i)));
    store.Prune(0, 1, 0);
    const std::vector<HistoryLine> left = store.Recent("Net", "#big", kLines);
    EXPECT_GT(left.size(), 1000u);
    EXPECT_LT(left.size(), static_cast<std::size_t>(kLines));
    ASSERT_FALSE(left.empty());
    EXPECT_EQ(left.back().text, std::string(200, 'x') + " 7999");
}

// A file that is no database is set aside and a new one made; one that is
// busy or from a newer version is left alone and history stays off; an
// older one is brought up to date, its lines found by the new index.
TEST_F(SqliteHistoryTest, FilesItCannotUseAreLeftOrSetAsideNeverLost) {
    dir.WriteFile("history.db", "not a database at all, just text\n");
    ASSERT_TRUE(Open());
    EXPECT_NE(notice.find("set aside"), std::string::npos) << notice;
    ASSERT_EQ(SetAside().size(), 1u);
    EXPECT_EQ(dir.ReadFile(SetAside()[0]), "not a database at all, just text\n");
    store.Close();

    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(Path().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE;", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    EXPECT_FALSE(Open());
    EXPECT_EQ(notice, "History is off: its database is in use by another program");
    sqlite3_close(other);
    EXPECT_EQ(SetAside().size(), 1u);

    std::filesystem::remove(Path());
    MakeDatabase("PRAGMA user_version=99; CREATE TABLE lines(x);");
    EXPECT_FALSE(Open());
    EXPECT_EQ(notice, "History is off: its database was written by a newer zorl");

    std::filesystem::remove(Path());
    MakeDatabase(
        "CREATE TABLE conversations(id INTEGER PRIMARY KEY, network TEXT NOT NULL,"
        " window TEXT NOT NULL, UNIQUE(network, window));"
        "CREATE TABLE lines(id INTEGER PRIMARY KEY, conversation INTEGER NOT NULL,"
        " time INTEGER NOT NULL, kind INTEGER NOT NULL, sender TEXT NOT NULL, text TEXT NOT NULL,"
        " colour INTEGER NOT NULL, msgid TEXT);"
        "CREATE INDEX lines_by_conversation ON lines(conversation, time);"
        "CREATE UNIQUE INDEX lines_by_msgid ON lines(conversation, msgid)"
        " WHERE msgid IS NOT NULL;"
        "INSERT INTO conversations VALUES(1, 'Net', '#a');"
        "INSERT INTO lines VALUES(1, 1, 5, 1, 'bob', '<bob> kept before', 0, NULL);"
        "PRAGMA user_version=1;");
    ASSERT_TRUE(Open()) << notice;
    EXPECT_EQ(Found("before"), (std::vector<std::string>{"<bob> kept before"}));
    EXPECT_EQ(SetAside().size(), 1u);
}

}  // namespace
}  // namespace zorl::test
