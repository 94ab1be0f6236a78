// The ini store on real files, one fresh folder per test: file bytes in,
// what the operations return and the exact bytes they leave behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <filesystem>

#include "config/IniStore.h"
#include "support/HeadlessHost.h"
#include "support/TempDir.h"

namespace zorl {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

class IniStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(dir.Path().empty());
        ini.SetDirectory(dir.Path().string());
    }
    void Put(const std::string& file, const std::string& bytes) { dir.WriteFile(file, bytes); }
    std::string Get(const std::string& file) { return dir.ReadFile(file); }
    Lines FilesInFolder() {
        Lines names;
        for (const auto& entry : fs::directory_iterator(dir.Path()))
            names.push_back(entry.path().filename().string());
        return names;
    }
    // Every line of the section as ReadSectionLine walks it from 0.
    Lines Walk(const std::string& file, const std::string& section) {
        Lines lines;
        std::string line;
        for (int i = 0; ini.ReadSectionLine(file, section, i, line); ++i) lines.push_back(line);
        return lines;
    }

    test::TempDir dir{"zorl-ini"};
    test::PresetDialogs dialogs;
    CIniStore ini{dialogs};
};

// ---- Reading a section as lines ------------------------------------------------

TEST_F(IniStoreTest, SharedHeaderReadsTheSectionThatFollowsIt) {
    Put("popups.ini", "[Query]/\n[Channel]\na\n\nb\n[Nicks]\nc\n");
    for (const char* section : {"Query", "Channel", "CHANNEL"}) {
        SCOPED_TRACE(section);
        EXPECT_EQ(Walk("popups.ini", section), (Lines{"[Channel]", "a", "b"}));
    }
    EXPECT_EQ(Walk("popups.ini", "Nicks"), (Lines{"[Nicks]", "c"}));
    EXPECT_EQ(Walk("popups.ini", "Missing"), Lines{});
}

TEST_F(IniStoreTest, RepeatedSectionContinuesTheCount) {
    Put("script.ini", "[JOIN]\none\n[PART]\nx\n[join]\ntwo\n");
    EXPECT_EQ(Walk("script.ini", "Join"), (Lines{"[JOIN]", "one", "[join]", "two"}));
    std::string line = "unchanged";
    EXPECT_FALSE(ini.ReadSectionLine("script.ini", "Join", -1, line));
    EXPECT_EQ(line, "unchanged");
}

TEST_F(IniStoreTest, MissingFileIsReportedByTheLineReadersOnly) {
    std::string line;
    EXPECT_FALSE(ini.ReadSectionLine("gone.ini", "A", 0, line));
    EXPECT_EQ(ini.ReadKey("gone.ini", "A", "k", "def"), "def");
    EXPECT_EQ(ini.ReadList("gone.ini", "A"), Lines{});
    std::string box = "Cant find file gone.ini in dir " + dir.Path().string() + "/";
    EXPECT_EQ(dialogs.boxes, (Lines{box, box, box}));

    dialogs.boxes.clear();
    EXPECT_EQ(ini.ReadString("gone.ini", "A", "k", "def"), "def");
    EXPECT_EQ(ini.ReadInt("gone.ini", "A", "k", 7), 7);
    EXPECT_EQ(dialogs.boxes, Lines{});
    EXPECT_EQ(FilesInFolder(), Lines{});
}

// ---- Reading keys ------------------------------------------------------------------

TEST_F(IniStoreTest, KeysMatchUntrimmedAndFirstLineWins) {
    Put("zorl.ini",
        "[USER]\nNick =spaced\nnick=first\nNICK=second\nflag\nempty=\n"
        "[OTHER]\nother=1\n");
    EXPECT_EQ(ini.ReadKey("USER", "Nick", "-"), "first");
    EXPECT_EQ(ini.ReadKey("USER", "Nick ", "-"), "spaced");
    EXPECT_EQ(ini.ReadKey("user", "FLAG", "-"), "");
    EXPECT_EQ(ini.ReadKey("USER", "empty", "-"), "");
    EXPECT_EQ(ini.ReadKey("USER", "other", "-"), "-");
    EXPECT_EQ(ini.ReadString("USER", "nick", "-"), "first");
    EXPECT_EQ(ini.ReadString("USER", "empty", "-"), "");
    EXPECT_EQ(ini.ReadString("USER", "missing", "-"), "-");
}

// A long password cut at some length would fail its login, and cut inside a
// UTF-8 character would not even be text.
TEST_F(IniStoreTest, LongValuesAreReadWhole) {
    std::string longValue;
    for (int i = 0; i < 300; ++i) longValue += i % 3 == 0 ? "\xC3\xA9" : "x";
    Put("zorl.ini", "[SERVER]\nSaslPassword=" + longValue + "\n");
    EXPECT_EQ(ini.ReadString("SERVER", "SaslPassword", ""), longValue);
    EXPECT_EQ(ini.ReadString("SERVER", "missing", longValue), longValue);
}

TEST_F(IniStoreTest, ReadIntReadsLeadingDigits) {
    Put("zorl.ini", "[N]\nplain=42\nsigned= -7px\nword=abc\nhuge=99999999999999999999\nempty=\n");
    struct Case {
        const char* key;
        int expected;
    } cases[] = {{"plain", 42},     {"signed", -7}, {"word", 0},
                 {"huge", INT_MAX}, {"empty", 0},   {"missing", 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(ini.ReadInt("N", c.key, 5), c.expected);
    }
}

// ---- Writing keys ------------------------------------------------------------------

TEST_F(IniStoreTest, WriteKeyEdgeCases) {
    struct Case {
        const char* name;
        std::string before;
        const char* section;
        const char* key;
        const char* value;
        std::string after;
    } cases[] = {
        {"replaces the later of two lines", "[A]\nk=1\nk=2\n", "A", "K", "3", "[A]\nk=1\nK=3\n"},
        {"new key goes before the blank lines", "[A]\na=1\n; note\n\n\n[B]\nb=1\n", "a", "c", "3",
         "[A]\na=1\n; note\nc=3\n\n\n[B]\nb=1\n"},
        {"a line without a key is not a key line", "[A]\na=1\n=x\n\n", "A", "c", "3",
         "[A]\na=1\nc=3\n=x\n\n"},
        {"later repetition of the section", "[A]\na=1\n[B]\n[A]\nb=2\n\n", "A", "c", "3",
         "[A]\na=1\n[B]\n[A]\nb=2\nc=3\n\n"},
        {"new section after one blank line", "[A]\na=1", "B", "k", "v", "[A]\na=1\n\n[B]\nk=v\n"},
        {"no second blank line", "[A]\n\n", "B", "k", "v", "[A]\n\n[B]\nk=v\n"},
        {"new file", "", "B", "k", "v", "[B]\nk=v\n"},
        {"empty value removes", "[A]\nk=1\nj=2\n", "A", "k", "", "[A]\nj=2\n"},
        {"removing a missing key", "[A]\nj=2\n\n; end", "A", "k", "", "[A]\nj=2\n\n; end\n"},
        {"line ends in a value are flattened", "[A]\n", "A", "k", "x\r\n[B]\r", "[A]\nk=x  [B] \n"},
        {"a lone CR too", "[A]\n", "A", "k", "x\r[B]\rk=y", "[A]\nk=x [B] k=y\n"},
        {"unchanged lines keep their own ends", "[A]\nj\r\nk=x\r\n[B]\r\nb\n", "A", "m", "1",
         "[A]\nj\r\nk=x\r\nm=1\n[B]\r\nb\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Put("t.ini", c.before);
        EXPECT_TRUE(ini.WriteKey("t.ini", c.section, c.key, c.value));
        EXPECT_EQ(Get("t.ini"), c.after);
    }
}

TEST_F(IniStoreTest, ProfileWritesSetAndRemoveKeys) {
    EXPECT_TRUE(ini.WriteInt("OPTIONS", "Port", -6667));
    EXPECT_TRUE(ini.WriteString("USER", "Nick", "joe"));
    EXPECT_EQ(Get("zorl.ini"), "[OPTIONS]\nPort=-6667\n\n[USER]\nNick=joe\n");
    EXPECT_EQ(ini.ReadInt("OPTIONS", "port", 0), -6667);
    EXPECT_TRUE(ini.WriteString("USER", "Nick", ""));
    EXPECT_EQ(ini.ReadString("USER", "Nick", "none"), "none");
}

TEST_F(IniStoreTest, AnyByteButALineEndRoundTrips) {
    using namespace std::string_literals;
    std::string value = "a\0b\x01\xff=;[x]  "s;
    EXPECT_TRUE(ini.WriteKey("s.ini", "S", "k", value));
    EXPECT_EQ(ini.ReadKey("s.ini", "S", "k", ""), value);
    EXPECT_EQ(Get("s.ini"), "[S]\nk=" + value + "\n");
}

TEST_F(IniStoreTest, CrLfFilesAreReadAndRewrittenWithCrLf) {
    Put("zorl.ini", "[USER]\r\nNick=joe\r\n\r\n[SERVER]\r\nName=x\r\n");
    EXPECT_EQ(ini.ReadKey("USER", "Nick", ""), "joe");
    EXPECT_EQ(ini.ReadString("SERVER", "Name", ""), "x");
    EXPECT_EQ(Walk("zorl.ini", "USER"), (Lines{"[USER]", "Nick=joe"}));

    EXPECT_TRUE(ini.WriteKey("USER", "Real", "Joe"));
    EXPECT_EQ(Get("zorl.ini"), "[USER]\r\nNick=joe\r\nReal=Joe\r\n\r\n[SERVER]\r\nName=x\r\n");
}

// ---- Atomic rewrite ----------------------------------------------------------------

TEST_F(IniStoreTest, InterruptedRewriteLeavesTheOldFile) {
    const std::string old = "[USER]\nNick=joe\n\n[COLOR]\nNormal=0\n";
    Put("zorl.ini", old);
    ::chmod((dir.Path() / "zorl.ini").c_str(), 0640);

    // Shorter than either new content ("[USER]\nNick=joe\n\n" after the delete).
    for (std::size_t limit : {std::size_t{0}, std::size_t{10}, std::size_t{16}}) {
        SCOPED_TRACE(limit);
        ini.SetWriteLimitForTest(limit);
        EXPECT_FALSE(ini.WriteKey("USER", "Real", "Joe"));
        EXPECT_FALSE(ini.DeleteSection("zorl.ini", "COLOR"));
        EXPECT_EQ(Get("zorl.ini"), old);
        EXPECT_EQ(FilesInFolder(), Lines{"zorl.ini"});
    }
    ini.SetWriteLimitForTest(0);
    EXPECT_FALSE(ini.WriteKey("new.ini", "A", "k", "v"));
    EXPECT_EQ(FilesInFolder(), Lines{"zorl.ini"});

    ini.SetWriteLimitForTest(SIZE_MAX);
    EXPECT_TRUE(ini.WriteKey("USER", "Real", "Joe"));
    EXPECT_EQ(ini.ReadKey("USER", "Real", ""), "Joe");
    EXPECT_EQ(FilesInFolder(), Lines{"zorl.ini"});
    struct stat info;
    ASSERT_EQ(::stat((dir.Path() / "zorl.ini").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST_F(IniStoreTest, UnreadableFileIsNotRewrittenAsEmpty) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads any file";
    Put("zorl.ini", "[USER]\nNick=joe\n");
    ::chmod((dir.Path() / "zorl.ini").c_str(), 0200);
    EXPECT_FALSE(ini.WriteKey("USER", "Real", "Joe"));
    EXPECT_FALSE(ini.AddListItem("zorl.ini", "IGNORE", "x"));
    EXPECT_EQ(dialogs.boxes.size(), 1u);
    ::chmod((dir.Path() / "zorl.ini").c_str(), 0600);
    EXPECT_EQ(Get("zorl.ini"), "[USER]\nNick=joe\n");
}

// ---- Lines and lists ---------------------------------------------------------------

TEST_F(IniStoreTest, AppendLineAfterTheLastNonEmptyLine) {
    Put("script.ini", "[JOIN]\n\n[PART]\n; comment\n=x\n\n[QUIT]\n");
    EXPECT_TRUE(ini.AppendLine("script.ini", "join", "/say hi"));
    EXPECT_TRUE(ini.AppendLine("script.ini", "PART", "/say bye"));
    EXPECT_TRUE(ini.AppendLine("script.ini", "KICK", "/say ouch"));
    EXPECT_EQ(Get("script.ini"),
              "[JOIN]\n/say hi\n\n[PART]\n; comment\n=x\n/say bye\n\n[QUIT]\n\n[KICK]\n/say "
              "ouch\n");
}

TEST_F(IniStoreTest, AddListItemSkipsPresentValuesInAnyCase) {
    Put("zorl.ini", "[NOTIFY]\nn0=Alice\nn1= bob \n\n[IGNORE]\n");
    EXPECT_TRUE(ini.AddListItem("zorl.ini", "NOTIFY", "BOB"));
    EXPECT_TRUE(ini.AddListItem("zorl.ini", "NOTIFY", "alice"));
    EXPECT_TRUE(ini.AddListItem("zorl.ini", "NOTIFY", ""));
    EXPECT_EQ(Get("zorl.ini"), "[NOTIFY]\nn0=Alice\nn1= bob \n\n[IGNORE]\n");

    EXPECT_TRUE(ini.AddListItem("zorl.ini", "NOTIFY", "carol"));
    EXPECT_TRUE(ini.AddListItem("zorl.ini", "IGNORE", "*!*@spam"));
    EXPECT_TRUE(ini.AddListItem("zorl.ini", "STARTUP", "/join #c"));
    EXPECT_EQ(Get("zorl.ini"),
              "[NOTIFY]\nn0=Alice\nn1= bob \nn2=carol\n\n[IGNORE]\nn0=*!*@spam\n\n"
              "[STARTUP]\nn0=/join #c\n");
    EXPECT_EQ(ini.ReadList("zorl.ini", "NOTIFY"), (Lines{"Alice", " bob ", "carol"}));
}

TEST_F(IniStoreTest, AddListItemFillsAnEmptyEntryInPlace) {
    Put("zorl.ini", "[IGNORE]\nn0=x\nn1=\nn2=y\n");
    EXPECT_EQ(ini.ReadList("zorl.ini", "IGNORE"), Lines{"x"});
    EXPECT_TRUE(ini.AddListItem("zorl.ini", "IGNORE", "z"));
    EXPECT_EQ(Get("zorl.ini"), "[IGNORE]\nn0=x\nn1=z\nn2=y\n");
    EXPECT_EQ(ini.ReadList("zorl.ini", "IGNORE"), (Lines{"x", "z", "y"}));
}

TEST_F(IniStoreTest, WholeListRewriteRenumbersAndDropsTheRest) {
    Put("zorl.ini", "[NOTIFY]\nn0=x\nn1=\nn2=y\nkeep=1\nn5=w\nn01=odd\n\n[USER]\nn3=mine\n");
    Lines list = ini.ReadList("zorl.ini", "NOTIFY");
    EXPECT_EQ(list, Lines{"x"});

    ini.WriteList("zorl.ini", "NOTIFY", {"x", "", "q"});
    EXPECT_EQ(Get("zorl.ini"), "[NOTIFY]\nn0=x\nn1=q\nkeep=1\nn01=odd\n\n[USER]\nn3=mine\n");
    EXPECT_EQ(ini.ReadList("zorl.ini", "NOTIFY"), (Lines{"x", "q"}));

    ini.WriteList("zorl.ini", "NOTIFY", {"r"});
    EXPECT_EQ(ini.ReadList("zorl.ini", "NOTIFY"), Lines{"r"});
    ini.WriteList("zorl.ini", "NEW", {"a", "b"});
    EXPECT_EQ(ini.ReadList("zorl.ini", "NEW"), (Lines{"a", "b"}));
}

// ---- Section edits -----------------------------------------------------------------

TEST_F(IniStoreTest, SectionEditsPickTheirHeaderAsDocumented) {
    const std::string file = "[A]\na=1\n\n[B]\nb=1\n\n[a]\nc=1\n\n\n[Q]/\nq\n\n[C]\n";
    struct Case {
        const char* name;
        bool (CIniStore::*edit)(const std::string&, const std::string&);
        const char* section;
        std::string after;
    } cases[] = {
        {"delete takes the last header", &CIniStore::DeleteSection, "A",
         "[A]\na=1\n\n[B]\nb=1\n\n\n\n[Q]/\nq\n\n[C]\n"},
        {"delete a header without lines", &CIniStore::DeleteSection, "C",
         "[A]\na=1\n\n[B]\nb=1\n\n[a]\nc=1\n\n\n[Q]/\nq\n\n"},
        {"delete names by first and last character", &CIniStore::DeleteSection, "Q", file},
        {"empty keeps the last header", &CIniStore::EmptySection, "a",
         "[A]\na=1\n\n[B]\nb=1\n\n[a]\n\n\n[Q]/\nq\n\n[C]\n"},
        {"empty names up to the first bracket", &CIniStore::EmptySection, "Q",
         "[A]\na=1\n\n[B]\nb=1\n\n[a]\nc=1\n\n\n[Q]/\n\n[C]\n"},
        {"missing section", &CIniStore::EmptySection, "Z", file},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Put("popups.ini", file);
        EXPECT_TRUE((ini.*c.edit)("popups.ini", c.section));
        EXPECT_EQ(Get("popups.ini"), c.after);
    }
}

TEST_F(IniStoreTest, RenameSectionChangesTheFirstHeaderOnly) {
    Put("aliases.ini", "[Q]/\n[old]\nx\n[OLD]\ny\n");
    EXPECT_TRUE(ini.RenameSection("aliases.ini", "Old", "new"));
    EXPECT_EQ(Get("aliases.ini"), "[Q]/\n[new]\nx\n[OLD]\ny\n");
    EXPECT_TRUE(ini.RenameSection("aliases.ini", "missing", "other"));
    EXPECT_EQ(Get("aliases.ini"), "[Q]/\n[new]\nx\n[OLD]\ny\n");
}

TEST(IniStoreDirectory, GetsATrailingSlash) {
    test::PresetDialogs dialogs;
    CIniStore ini(dialogs);
    struct Case {
        const char* given;
        const char* path;
    } cases[] = {{"", "./zorl.ini"}, {"/home/joe", "/home/joe/zorl.ini"}, {"cfg/", "cfg/zorl.ini"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.given);
        ini.SetDirectory(c.given);
        EXPECT_EQ(ini.PathOf("zorl.ini"), c.path);
    }
}

}  // namespace
}  // namespace zorl
