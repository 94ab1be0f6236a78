// The history store at the size years of chat reach: 10 million lines over
// 200 windows (the count can be given: HistoryBench 1000000). It prints the
// time to store them, the database's size, the time to find the newest 50
// lines with a rare word and with a common one, and the time to restore 500
// lines in each of 100 windows as a start with that many windows would.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "common/Random.h"
#include "storage/SqliteHistory.h"
#include "support/TempDir.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// Chat-like lines from a small vocabulary; "zyzzyva" is in one line of
// about 200 000.
std::string ChatLine(zorl::CRandom& random, std::size_t i) {
    static const char* const kWords[] = {
        "the",  "a",    "is",    "it",     "to",     "and",    "you",    "that",  "build",
        "just", "work", "think", "server", "patch",  "commit", "branch", "merge", "test",
        "yes",  "no",   "maybe", "lol",    "thanks", "hello",  "error",  "fixed", "release",
    };
    constexpr std::size_t kCount = sizeof(kWords) / sizeof(kWords[0]);
    std::string text = "<nick" + std::to_string(i % 97) + "> ";
    const int words = 4 + random.Below(12);
    for (int w = 0; w < words; ++w) {
        if (w) text += ' ';
        text += kWords[static_cast<std::size_t>(random.Below(static_cast<int>(kCount)))];
    }
    if (i % 200003 == 7) text += " zyzzyva";
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t lines = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 10000000;
    constexpr int kWindows = 200;
    zorl::test::TempDir dir("zorl-history-bench");
    const std::string path = (dir.Path() / "history.db").string();
    zorl::CSqliteHistory store;
    std::string notice;
    if (!store.Open(path, notice)) {
        std::printf("HistoryBench: %s\n", notice.c_str());
        return 1;
    }
    zorl::CRandom random;
    random.Seed(42);
    const std::time_t start = 1700000000;
    auto began = Clock::now();
    for (std::size_t i = 0; i < lines; ++i) {
        zorl::HistoryLine line;
        line.network = i % 3 == 0 ? "Libera.Chat" : "OFTC";
        line.window = "#channel" + std::to_string(i % kWindows);
        line.time = start + static_cast<std::time_t>(i / 4);
        line.kind = zorl::HistoryKind::Message;
        line.sender = "nick" + std::to_string(i % 97);
        line.text = ChatLine(random, i);
        line.msgid = i % 2 ? std::string() : "id" + std::to_string(i);
        store.Add(line);
    }
    store.Flush();
    const double storeSeconds = Seconds(began);
    store.Close();
    const double megabytes = static_cast<double>(std::filesystem::file_size(path) +
                                                 (std::filesystem::exists(path + "-wal")
                                                      ? std::filesystem::file_size(path + "-wal")
                                                      : 0)) /
                             (1024.0 * 1024.0);
    store.Open(path, notice);

    auto timeSearch = [&](const char* word, std::size_t& found) {
        zorl::HistoryQuery query;
        query.text = word;
        query.limit = 50;
        auto at = Clock::now();
        found = store.Search(query).size();
        return Seconds(at) * 1000.0;
    };
    std::size_t rareFound = 0, commonFound = 0;
    const double rareMs = timeSearch("zyzzyva", rareFound);
    const double commonMs = timeSearch("server", commonFound);

    began = Clock::now();
    std::size_t restored = 0;
    for (int w = 0; w < 100; ++w)
        restored +=
            store.Recent(w % 3 == 0 ? "Libera.Chat" : "OFTC", "#channel" + std::to_string(w), 500)
                .size();
    const double restoreSeconds = Seconds(began);

    std::printf("HistoryBench: %zu lines over %d windows stored in %.1f s (%.0f lines/s)\n", lines,
                kWindows, storeSeconds, static_cast<double>(lines) / storeSeconds);
    std::printf("HistoryBench: database %.0f MiB (%.0f bytes a line)\n", megabytes,
                megabytes * 1024 * 1024 / static_cast<double>(lines));
    std::printf("HistoryBench: rare word, first 50 results: %.1f ms (%zu found)\n", rareMs,
                rareFound);
    std::printf("HistoryBench: common word, first 50 results: %.1f ms (%zu found)\n", commonMs,
                commonFound);
    std::printf("HistoryBench: 500 lines restored in each of 100 windows: %.3f s (%zu lines)\n",
                restoreSeconds, restored);
    return 0;
}
