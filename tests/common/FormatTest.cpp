// The formatter's own conversions must give exactly what the C library gives,
// or PrintF would change what the user sees.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>

#include "common/Format.h"

namespace zorl {
namespace {

// Each row formats once with the C library and once with Format.
#define EXPECT_AS_LIBRARY(...)                                                 \
    do {                                                                       \
        char expected[256];                                                    \
        std::snprintf(expected, sizeof expected, __VA_ARGS__);                 \
        EXPECT_EQ(Format(__VA_ARGS__), std::string(expected)) << #__VA_ARGS__; \
    } while (false)

TEST(Format, GivesWhatTheCLibraryGives) {
    EXPECT_AS_LIBRARY("plain text, 100%% sure");
    EXPECT_AS_LIBRARY("%-20s %s", "#a", "12 the topic");
    EXPECT_AS_LIBRARY("%-20s %s", "#a-name-longer-than-twenty", "");
    EXPECT_AS_LIBRARY("[%5s|%-5s|%s]", "ab", "cd", "");
    EXPECT_AS_LIBRARY("%d %i %d %d", 0, -7, INT_MAX, INT_MIN);
    EXPECT_AS_LIBRARY("%5d|%-5d|%05d|%05d", 42, 42, 42, -42);
    EXPECT_AS_LIBRARY("%u %x %X %08X %08lX", 4000000000U, 255U, 255U, 0xBEEFU, 0xDEADBEEFUL);
    EXPECT_AS_LIBRARY("%ld %lld %lld %zu", LONG_MIN, LLONG_MIN, LLONG_MAX, static_cast<size_t>(-1));
    EXPECT_AS_LIBRARY("%c%c%3c", 'a', 'b', 'c');
    // Past the fast conversions: the C library's own text.
    EXPECT_AS_LIBRARY("%.3s %+d %#x %*d %5.1f", "abcdef", 5, 255, 4, 7, 2.25);
}

TEST(Format, BoundedTextIsCut) {
    EXPECT_EQ(FormatBounded(5, "%s-%d", "abcd", 123), "abcd-");
    EXPECT_EQ(FormatBounded(5, "%.1s%d", "abcd", 123456), "a1234");
}

}  // namespace
}  // namespace zorl
