// Logging: which windows are logged, the session lines, and file names that
// stay inside log/ whatever the window is called.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "common/Format.h"
#include "config/Settings.h"
#include "platform/Platform.h"
#include "session/IrcSocket.h"
#include "support/AppFixture.h"
#include "windows/Logger.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"

namespace zorl {
namespace {

class Logging : public test::AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        host.clock.now = test::LocalTime(2024, 3, 9, 9, 5, 7);  // a Saturday
    }
    std::string Log(const std::string& name) { return dir.ReadFile("log/" + name + ".log"); }
    static constexpr const char* kStart = "\r\nSession Start: Sat 09-Mar-2024 09:05:07\r\n";
    static constexpr const char* kClose = "Session Close: Sat 09-Mar-2024 09:05:07\r\n\r\n";
};

TEST_F(Logging, SessionLinesFrameTheWindowsLines) {
    app.settings.LogChannels = 1;
    FrameId chan = Open("#Chan", kWindowChannel);
    app.output.Print(Server(), "#chan", Cls::Normal, "<bob> hi");
    app.registry.DeleteChannel(chan);
    EXPECT_EQ(Log("#chan"), std::string(kStart) + "<bob> hi\r\n" + kClose);

    // Reopening appends a second session to the same file.
    Open("#CHAN", kWindowChannel);
    app.output.Print(Server(), "#chan", Cls::Normal, "again");
    EXPECT_EQ(Log("#chan"), std::string(kStart) + "<bob> hi\r\n" + kClose + kStart + "again\r\n");
}

TEST_F(Logging, TimeStampAndLineAreWrittenAsShown) {
    app.settings.LogQuery = 1;
    app.settings.TimeStamp = 1;
    Open("bob", kWindowQuery);
    app.output.Print(Server(), "bob", Cls::Normal, "<bob> one\r\n<bob> two");
    EXPECT_EQ(Log("bob"), std::string(kStart) + "[9:05] <bob> one\r\n[9:05] <bob> two\r\n");
}

TEST_F(Logging, OptionsDecidePerWindowType) {
    struct Row {
        const char* name;
        WindowType type;
        int logChannels, logQuery, debugLog;
        bool logged;
    };
    const std::vector<Row> rows = {
        {"#c1", kWindowChannel, 1, 0, 0, true},    {"#c2", kWindowChannel, 0, 1, 1, false},
        {"q1", kWindowQuery, 0, 1, 0, true},       {"q2", kWindowQuery, 1, 0, 1, false},
        {"d1", kWindowDccQuery, 0, 1, 0, true},    {"d2", kWindowDccQuery, 1, 0, 0, false},
        {"s1", kWindowDccSend, 1, 1, 1, false},    {"p1", kWindowDefault, 1, 1, 1, false},
        {"~debug", kWindowDefault, 0, 0, 1, true}, {"~debug", kWindowDefault, 1, 1, 0, false},
        {"~dump", kWindowDefault, 1, 1, 1, false}, {"~chan", kWindowChannel, 1, 1, 1, false},
        {"~debug", kWindowQuery, 1, 1, 1, false},  {"status2", kWindowStatus, 1, 1, 1, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Format("%s type %d LogChannels=%d LogQuery=%d DebugLog=%d", row.name,
                            static_cast<int>(row.type), row.logChannels, row.logQuery,
                            row.debugLog));
        std::filesystem::remove_all(dir.Path() / "log");
        std::filesystem::create_directory(dir.Path() / "log");
        app.settings.LogChannels = row.logChannels;
        app.settings.LogQuery = row.logQuery;
        app.settings.DebugLog = row.debugLog;
        FrameId frame = Open(row.name, row.type);
        app.output.Print(Server(), row.name, Cls::Normal, "line");
        app.registry.DeleteChannel(frame);
        EXPECT_EQ(Log(row.name), row.logged ? std::string(kStart) + "line\r\n" + kClose : "");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path() / "log"),
                                std::filesystem::directory_iterator()),
                  row.logged ? 1 : 0);
    }
}

TEST_F(Logging, TheStatusWindowIsNeverLogged) {
    app.settings.LogChannels = app.settings.LogQuery = app.settings.DebugLog = 1;
    app.output.Print(Server(), "", Cls::Status, "status line");
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path() / "log"));
}

TEST_F(Logging, HostileNamesStayInsideTheLogFolder) {
    app.settings.LogChannels = 1;
    std::filesystem::create_directories(dir.Path() / "a" / "b");
    // A fresh start one level deeper, so "../.." would still be inside the
    // temporary folder if it escaped.
    test::HeadlessHost host2;
    CZorlApp app2(host2.platform);
    app2.UseConfigDirectory((dir.Path() / "a" / "b").string());
    app2.LoadSettings();
    app2.settings.TimeStamp = 0;
    app2.settings.LogChannels = 1;

    struct Row {
        const char* channel;
        const char* logfile;  // set with UpdateCR code 3 when not null
        const char* file;     // expected file name in log/
    };
    for (Row row : {Row{"#../../x", nullptr, "#..%2F..%2Fx.log"},
                    Row{"#a\\..\\..\\y", nullptr, "#a%5C..%5C..%5Cy.log"},
                    Row{"#c", "../../../z", "..%2F..%2F..%2Fz.log"}, Row{"#d", "", "%.log"},
                    Row{"#e", "..", "...log"}, Row{"#f", "a\r\nb", "a%0D%0Ab.log"}}) {
        SCOPED_TRACE(row.channel);
        const ChannelRecord* record =
            app2.registry.NewWindow(row.channel, kWindowChannel, app2.Connection().Socket(), false);
        ASSERT_NE(record, nullptr);
        FrameId frame = record->frame;
        if (row.logfile) app2.registry.UpdateCR(frame, row.logfile, kUpdateLogfile);
        app2.output.Print(app2.Connection().Socket(), row.channel, Cls::Normal, "hi");
        const std::filesystem::path expected = dir.Path() / "a" / "b" / "log" / row.file;
        EXPECT_TRUE(std::filesystem::exists(expected)) << expected;
    }
    // Nothing was written anywhere but a/b/log.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.Path())) {
        if (!entry.is_regular_file()) continue;
        const std::string path = entry.path().string();
        const std::string parent = entry.path().parent_path().filename().string();
        const bool history = entry.path().filename().string().starts_with("history.db");
        EXPECT_TRUE(parent == "log" || entry.path().extension() == ".ini" || history) << path;
        if (parent == "log") {
            EXPECT_EQ(entry.path().parent_path(), dir.Path() / "a" / "b" / "log");
        }
    }
}

// Different names never share a file; a name that needs no change keeps it;
// a long name is cut between characters.
TEST_F(Logging, FileNamesAreOnePerWindowName) {
    std::string longName = "#" + std::string(180, 'a');
    for (int i = 0; i < 10; ++i) longName += "\xc3\xa9";  // the cut falls inside one
    const std::vector<std::string> names = {"#a/b",   "#a_b",   "#a\rb",        "#a\nb",
                                            "#a%2Fb", longName, longName + "x", longName + "y"};
    std::set<std::string> files;
    for (const std::string& name : names) {
        const std::string file = CLogger::LogFileName(name, false);
        EXPECT_TRUE(files.insert(file).second) << file;
        EXPECT_LE(file.size(), 200u);
        EXPECT_EQ(file.find('/'), std::string::npos);
        if (name.size() > 200) {
            EXPECT_EQ(file.substr(0, 182), longName.substr(0, 181) + "%");
        }
    }
    EXPECT_EQ(CLogger::LogFileName("#a_b", false), "#a_b");
    EXPECT_NE(CLogger::LogFileName("~debug", false), CLogger::LogFileName("~debug", true));
}

TEST_F(Logging, UnwritableLogIsReportedAndTheLineStillShown) {
    app.settings.LogChannels = 1;
    std::filesystem::remove_all(dir.Path() / "log");
    dir.WriteFile("log", "a file where the folder should be");
    Open("#c", kWindowChannel);
    ClearPanes();
    app.output.Print(Server(), "#c", Cls::Normal, "<bob> hi");
    EXPECT_EQ(Shown("#c"), "<bob> hi\r\n");
    ExpectShown("", Cls::Error,
                "ERROR: Can't open log file: [" + app.config_dir + "log/#c.log] <bob> hi\r\n");
}

TEST_F(Logging, UnknownFrameIsReported) {
    app.logger.WriteLog(0x4242, "x");
    ExpectShown("", Cls::Error, "ERROR: WriteLog: Frm not found (00004242)");
}

}  // namespace
}  // namespace zorl
