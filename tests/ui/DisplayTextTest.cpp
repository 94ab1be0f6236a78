// Bytes from the network shown as UTF-8 when they are, else as Windows-1252.
#include <gtest/gtest.h>

#include "ui/DisplayText.h"

namespace zorl::ui {
namespace {

TEST(DisplayText, ValidUtf8OrElseWindows1252) {
    struct Case {
        const char* what;
        std::string bytes;
        QString shown;
    };
    const Case cases[] = {
        {"ASCII", "hello", QStringLiteral("hello")},
        {"two-byte UTF-8", "caf\xC3\xA9", QStringLiteral("caf\u00E9")},
        {"four-byte UTF-8", "\xF0\x9F\x98\x80", QString::fromUtf8("\xF0\x9F\x98\x80")},
        {"Latin-1 byte", "caf\xE9", QStringLiteral("caf\u00E9")},
        {"1252 euro and quotes", "\x80 \x93x\x94", QStringLiteral("\u20AC \u201Cx\u201D")},
        {"1252 hole keeps its byte", "\x81\x9D", QStringLiteral("\u0081\u009D")},
        {"overlong slash", "\xC0\xAF", QStringLiteral("\u00C0\u00AF")},
        {"surrogate half", "\xED\xA0\x80", QStringLiteral("\u00ED\u00A0\u20AC")},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", QStringLiteral("\u00F4\u0090\u20AC\u20AC")},
        {"cut-off sequence", "ab\xE2\x82", QStringLiteral("ab\u00E2\u201A")},
        {"one bad byte spoils the piece", "\xC3\xA9\xE9", QStringLiteral("\u00C3\u00A9\u00E9")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(DecodeForDisplay(c.bytes), c.shown);
    }
}

TEST(DisplayText, TypedTextGoesOutAsUtf8) {
    EXPECT_EQ(ToEngineText(QStringLiteral("gr\u00FC\u00DF \u20AC")),
              "gr\xC3\xBC\xC3\x9F \xE2\x82\xAC");
    EXPECT_EQ(ToEngineText(QString()), "");
}

}  // namespace
}  // namespace zorl::ui
