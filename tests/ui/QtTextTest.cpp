// Engine bytes into Qt text, and file-dialog filters into Qt's form.
#include "platform/qt/QtText.h"

#include <gtest/gtest.h>

namespace zorl::qt {
namespace {

TEST(QtTextTest, Utf8SequencesAsUtf8AndOtherBytesAsWindows1252) {
    const struct {
        const char* what;
        std::string bytes;
        QString shown;
    } cases[] = {
        {"plain ASCII", "hello", QStringLiteral("hello")},
        {"UTF-8", "gr\xC3\xBC\xC3\x9F", QStringLiteral(u"gr\u00FC\u00DF")},
        {"four-byte UTF-8", "\xF0\x9F\x98\x80", QString::fromUtf8("\xF0\x9F\x98\x80")},
        {"Latin-1 letters", "gr\xFC\xDF", QStringLiteral(u"gr\u00FC\u00DF")},
        {"Windows-1252 quotes and euro", "\x93\x80\x94", QStringLiteral(u"\u201C\u20AC\u201D")},
        {"unassigned bytes stay controls", "a\x81\x9Dz", QStringLiteral(u"a\u0081\u009Dz")},
        {"UTF-8 cut in the middle", "ab\xE2\x82", QStringLiteral(u"ab\u00E2\u201A")},
        {"overlong slash", "\xC0\xAF", QStringLiteral(u"\u00C0\u00AF")},
        {"surrogate half", "\xED\xA0\x80", QStringLiteral(u"\u00ED\u00A0\u20AC")},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", QStringLiteral(u"\u00F4\u0090\u20AC\u20AC")},
        {"a stray byte spoils only itself", "\xC3\xA9\xE9\xF0\x9F\x98\x80",
         QStringLiteral(u"\u00E9\u00E9") + QString::fromUtf8("\xF0\x9F\x98\x80")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(DecodeText(c.bytes), c.shown);
    }
    EXPECT_EQ(EncodeText(QStringLiteral(u"gr\u00FC\u00DF \u20AC")),
              "gr\xC3\xBC\xC3\x9F \xE2\x82\xAC");
    EXPECT_EQ(EncodeText(QString()), "");
}

TEST(QtTextTest, FileFiltersBecomeQtFilters) {
    const struct {
        std::string filter;
        QString qt;
    } cases[] = {
        {"Log files (*.log) | *.log||", QStringLiteral("Log files (*.log)")},
        {"Wave (*.wav)|*.wav|All files (*.*)|*.*||",
         QStringLiteral("Wave (*.wav);;All files (*.*)")},
        {"Scripts|*.ini;*.txt||", QStringLiteral("Scripts (*.ini *.txt)")},
        // The label's parentheses do not decide; the pattern column does.
        {"Text (*.txt)|*.log||", QStringLiteral("Text (*.log)")},
        {"|*.wav||", QStringLiteral("*.wav (*.wav)")},
        {"", QString()},
        {"Dangling label", QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.filter);
        EXPECT_EQ(ConvertFileFilter(c.filter), c.qt);
    }
}

}  // namespace
}  // namespace zorl::qt
