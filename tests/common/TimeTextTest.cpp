#include <gtest/gtest.h>

#include "common/TimeText.h"

namespace zorl {
namespace {

TEST(ParseServerTime, TheTagsFormOnly) {
    const struct {
        const char* text;
        std::optional<std::time_t> expected;
    } rows[] = {
        {"1970-01-01T00:00:00.000Z", 0},
        {"2023-11-14T22:13:20.000Z", 1700000000},
        {"2023-11-14T22:13:20Z", 1700000000},
        {"2024-02-29T12:00:00.5Z", 1709208000},  // a leap day
        {"2000-03-01T00:00:00.000Z", 951868800},
        {"2023-11-14T22:13:20.000", std::nullopt},   // no zone
        {"2023-11-14 22:13:20.000Z", std::nullopt},  // no T
        {"2023-13-14T22:13:20.000Z", std::nullopt},
        {"2023-11-14T24:00:00.000Z", std::nullopt},
        {"2023-11-14T22:13:20.Z", std::nullopt},
        {"2023-11-14T22:13:20.0x0Z", std::nullopt},
        {"2023-1a-14T22:13:20.000Z", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& row : rows) EXPECT_EQ(ParseServerTime(row.text), row.expected) << row.text;
}

}  // namespace
}  // namespace zorl
