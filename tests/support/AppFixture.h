// A started client in a fresh temporary working directory, for engine tests
// that need the whole application: the folders and ini files exist, the
// settings are read and the status window is open.
//
//   class JoinTest : public test::AppFixture {};
//   TEST_F(JoinTest, Shows) {
//       app.output.Print(Server(), "", Cls::Status, "hello");
//       ExpectShown("", app.output.ColourOf(Cls::Status), "hello");
//   }
//
// Write ini files before the start in BeforeStart() of a derived fixture, or
// rewrite zorl.ini later with ReloadSettings().
#pragma once

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/CZorlApp.h"
#include "support/HeadlessHost.h"

namespace zorl::test {

// Makes a new empty directory the working directory for its lifetime and
// removes it afterwards.
class TempWorkDir {
public:
    TempWorkDir();
    ~TempWorkDir();
    TempWorkDir(const TempWorkDir&) = delete;
    TempWorkDir& operator=(const TempWorkDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // Paths are relative to the directory.
    void WriteFile(const std::string& name, const std::string& content) const;
    std::string ReadFile(const std::string& name) const;  // "" when missing
    bool Exists(const std::string& name) const;

private:
    std::filesystem::path previous_;
    std::filesystem::path path_;
};

// A local time as the clock would report it: LocalTime(2024, 3, 9, 9, 5)
// formats as "[9:05] " whatever the machine's time zone.
std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second = 0);

class AppFixture : public ::testing::Test {
protected:
    void SetUp() override;
    // Runs before app.LoadSettings(); the working directory is already set.
    virtual void BeforeStart() {}

    // Rewrites zorl.ini and reads the settings again (nothing else).
    void ReloadSettings(const std::string& zorlIni);

    CIrcSocket* Server() { return app.pMainSocket.get(); }
    Colour ColourOf(Cls cls) const;

    // Opens a window the way the incoming handling does, on the server
    // connection; returns its frame.
    FrameId Open(const std::string& name, int type, bool show = false);
    FrameId OpenChannel(const std::string& name, const std::vector<std::string>& nicks = {});

    // The window of a registry name (any letter case, any socket; "" is the
    // status window): its frame, its recording, its pane text, its pieces.
    FrameId FrameOf(const std::string& window) const;
    RecordedFrame* Recorded(const std::string& window);
    std::string Shown(const std::string& window);
    std::vector<Piece> Pieces(const std::string& window);
    // Registry name -> pane text of every window that shows something.
    std::map<std::string, std::string> AllShown() const;
    // Forgets what every pane showed so far.
    void ClearPanes();

    // A piece of this window in this colour whose text is `text` (a line
    // also matches without its "\r\n"). Fails with the whole transcript.
    ::testing::AssertionResult Shows(const std::string& window, Colour colour,
                                     const std::string& text);
    void ExpectShown(const std::string& window, Colour colour, const std::string& text) {
        EXPECT_TRUE(Shows(window, colour, text));
    }
    // Every window with its caption and pieces, for failure messages.
    std::string Transcript() const;

    TempWorkDir dir;
    HeadlessHost host;
    CZorlApp app{host.platform};
};

}  // namespace zorl::test
