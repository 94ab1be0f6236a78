// Engine bytes into Qt text, and file-dialog filters into Qt's form.
#include "platform/qt/QtText.h"

#include <gtest/gtest.h>

namespace zorl::qt {
namespace {

TEST(QtTextTest, BytesAreUtf8WhenValidElseWindows1252) {
    const struct {
        const char* what;
        std::string bytes;
        QString shown;
    } cases[] = {
        {"plain ASCII", "hello", QStringLiteral("hello")},
        {"UTF-8", "gr\xC3\xBC\xC3\x9F", QStringLiteral(u"gr\u00FC\u00DF")},
        {"Latin-1 letters", "gr\xFC\xDF", QStringLiteral(u"gr\u00FC\u00DF")},
        {"Windows-1252 quotes and euro", "\x93\x80\x94", QStringLiteral(u"\u201C\u20AC\u201D")},
        {"an unassigned byte stays a control", "a\x81z", QStringLiteral(u"a\u0081z")},
        {"UTF-8 cut in the middle", "gr\xC3", QStringLiteral(u"gr\u00C3")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(TextToQString(c.bytes), c.shown);
    }
    EXPECT_EQ(TextFromQString(QStringLiteral(u"gr\u00FC\u00DF")), "gr\xC3\xBC\xC3\x9F");
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
