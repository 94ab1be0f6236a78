// The document: nick table operations and the input history.
#include <gtest/gtest.h>

#include <set>

#include "common/Format.h"
#include "config/Settings.h"
#include "support/AppFixture.h"
#include "windows/WindowRegistry.h"
#include "windows/ZorlDoc.h"

namespace zorl {
namespace {

using Table = std::map<std::string, int>;

class ZorlDoc : public test::AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        app.settings.m_user_mynick = "me";
        chan = OpenChannel("#chan");
        doc = app.registry.DocOf(chan);
        ASSERT_NE(doc, nullptr);
    }
    FrameId chan = 0;
    CZorlDoc* doc = nullptr;
};

TEST_F(ZorlDoc, NickUpdateOperations) {
    struct Step {
        const char* what;
        int operation;
        const char* nick;
        int bits;
        Table after;
    };
    const std::vector<Step> steps = {
        {"add with operator sign", kNickAdd, "@alice", 0, {{"alice", 1}}},
        {"clear operator", kNickClear, "alice", kNickOp, {{"alice", 0}}},
        {"add both signs", kNickAdd, "@+bob", 0, {{"alice", 0}, {"bob", 3}}},
        {"clear operator leaves voice", kNickClear, "bob", kNickOp, {{"alice", 0}, {"bob", 2}}},
        {"set voice", kNickSet, "alice", kNickVoice, {{"alice", 2}, {"bob", 2}}},
        {"set on absent nick does nothing", kNickSet, "carol", kNickOp, {{"alice", 2}, {"bob", 2}}},
        {"clear on absent nick does nothing",
         kNickClear,
         "carol",
         kNickOp,
         {{"alice", 2}, {"bob", 2}}},
        {"add keeps old bits", kNickAdd, "@alice", 0, {{"alice", 3}, {"bob", 2}}},
        {"prefix counts in set", kNickSet, "@bob", 0, {{"alice", 3}, {"bob", 3}}},
        {"add finds another spelling and takes it",
         kNickAdd,
         "ALICE",
         0,
         {{"ALICE", 3}, {"bob", 3}}},
        {"clear finds another spelling",
         kNickClear,
         "Bob",
         kNickOp | kNickVoice,
         {{"ALICE", 3}, {"Bob", 0}}},
        {"remove needs the exact spelling", kNickRemove, "alice", 0, {{"ALICE", 3}, {"Bob", 0}}},
        {"remove", kNickRemove, "ALICE", 0, {{"Bob", 0}}},
        {"a bare sign is no nick", kNickAdd, "@", 0, {{"Bob", 0}}},
        {"unknown operation", 9, "zed", 1, {{"Bob", 0}}},
        {"clear all", kNickClearAll, "", 0, {}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        const std::size_t updates = host.surface.Frame(chan)->hints.size();
        EXPECT_EQ(doc->NickUpdate(step.operation, step.nick, step.bits), 1);
        EXPECT_EQ(doc->Nicks(), step.after);
        ASSERT_EQ(host.surface.Frame(chan)->hints.size(), updates + 1);
        EXPECT_EQ(host.surface.Frame(chan)->hints.back(), kHintNicks);
    }
    // After removal the other spelling can be added afresh.
    doc->NickUpdate(kNickAdd, "alice", 0);
    doc->NickUpdate(kNickAdd, "Alice", 0);
    EXPECT_EQ(doc->Nicks(), (Table{{"Alice", 0}}));
}

TEST_F(ZorlDoc, NickFlagsComparesExactly) {
    doc->NickUpdate(kNickAdd, "@Alice", 0);
    doc->NickUpdate(kNickAdd, "bob", 0);
    EXPECT_EQ(doc->NickFlags("Alice"), kNickOp);
    EXPECT_EQ(doc->NickFlags("bob"), 0);
    EXPECT_EQ(doc->NickFlags("alice"), kNickAbsent);
    EXPECT_EQ(doc->NickFlags("@Alice"), kNickAbsent);
    EXPECT_EQ(doc->NickFlags(""), kNickAbsent);
}

TEST_F(ZorlDoc, RandomNickNeverPicksTheUser) {
    EXPECT_EQ(doc->RandomNick(), "");
    doc->NickUpdate(kNickAdd, "alice", 0);
    EXPECT_EQ(doc->RandomNick(), "") << "one entry";
    doc->NickUpdate(kNickAdd, "@ME", 0);
    std::set<std::string> picked;
    for (int i = 0; i < 50; ++i) picked.insert(doc->RandomNick());
    EXPECT_EQ(picked, (std::set<std::string>{"alice"}));

    doc->NickUpdate(kNickAdd, "bob", 0);
    doc->NickUpdate(kNickAdd, "carol", 0);
    picked.clear();
    for (int i = 0; i < 200; ++i) picked.insert(doc->RandomNick());
    EXPECT_EQ(picked, (std::set<std::string>{"alice", "bob", "carol"}));
}

TEST_F(ZorlDoc, LargeChannelStaysConsistent) {
    const int count = 10000;
    for (int i = 0; i < count; ++i) doc->NickUpdate(kNickAdd, Format("@Nick%d", i), 0);
    for (int i = 0; i < count; i += 2) doc->NickUpdate(kNickClear, Format("Nick%d", i), kNickOp);
    for (int i = 0; i < count; i += 4) doc->NickUpdate(kNickRemove, Format("Nick%d", i), 0);
    EXPECT_EQ(doc->Nicks().size(), static_cast<std::size_t>(count - count / 4));
    EXPECT_EQ(doc->NickFlags("Nick1"), kNickOp);
    EXPECT_EQ(doc->NickFlags("Nick2"), 0);
    EXPECT_EQ(doc->NickFlags("Nick4"), kNickAbsent);
    // A removed nick comes back under a new spelling without a ghost entry.
    doc->NickUpdate(kNickAdd, "NICK4", 0);
    doc->NickUpdate(kNickSet, "nick4", kNickVoice);
    EXPECT_EQ(doc->NickFlags("nick4"), kNickVoice);
    EXPECT_EQ(doc->NickFlags("NICK4"), kNickAbsent);
    EXPECT_EQ(doc->Nicks().size(), static_cast<std::size_t>(count - count / 4 + 1));
}

TEST_F(ZorlDoc, ExecuteLineKeepsTheLastElevenLines) {
    doc->ExecuteLine("");
    EXPECT_TRUE(doc->History().empty());
    EXPECT_EQ(doc->HistoryPosition(), 0u);

    for (int i = 1; i <= 12; ++i) doc->ExecuteLine(Format("line %d", i));
    ASSERT_EQ(doc->History().size(), 11u);
    EXPECT_EQ(doc->History().front(), "line 2");
    EXPECT_EQ(doc->History().back(), "line 12");
    EXPECT_EQ(doc->HistoryPosition(), 11u);

    doc->SetHistoryPosition(3);
    doc->ExecuteLine("again");
    EXPECT_EQ(doc->History().front(), "line 3");
    EXPECT_EQ(doc->HistoryPosition(), 11u) << "one past the newest after every line";
}

}  // namespace
}  // namespace zorl
