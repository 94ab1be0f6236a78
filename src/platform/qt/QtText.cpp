#include "platform/qt/QtText.h"

#include <QStringList>

namespace zorl::qt {
namespace {

// 0x80..0x9F of Windows-1252; the rest of the upper half is Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98
};

char16_t FromCp1252(unsigned char c) { return c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : c; }

// The length of the valid UTF-8 sequence that starts at p[0] (2 to 4) with
// its code point, or 0 when no valid multi-byte sequence starts there.
std::size_t Utf8Sequence(const unsigned char* p, std::size_t left, char32_t& cp) {
    std::size_t length;
    char32_t min;
    if ((p[0] & 0xE0) == 0xC0) {
        length = 2, min = 0x80, cp = p[0] & 0x1F;
    } else if ((p[0] & 0xF0) == 0xE0) {
        length = 3, min = 0x800, cp = p[0] & 0x0F;
    } else if ((p[0] & 0xF8) == 0xF0) {
        length = 4, min = 0x10000, cp = p[0] & 0x07;
    } else {
        return 0;
    }
    if (left < length) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((p[k] & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (p[k] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return length;
}

}  // namespace

QString DecodeText(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    // Never more UTF-16 units than bytes: a sequence of 2 to 4 bytes gives
    // one unit or a pair.
    QString out(static_cast<qsizetype>(n), Qt::Uninitialized);
    char16_t* dst = reinterpret_cast<char16_t*>(out.data());
    char16_t* const begin = dst;
    std::size_t i = 0;
    while (i < n) {
        char32_t cp = 0;
        std::size_t length = p[i] < 0x80 ? 0 : Utf8Sequence(p + i, n - i, cp);
        if (length == 0) {
            *dst++ = FromCp1252(p[i++]);
        } else if (cp < 0x10000) {
            *dst++ = static_cast<char16_t>(cp);
            i += length;
        } else {
            *dst++ = QChar::highSurrogate(cp);
            *dst++ = QChar::lowSurrogate(cp);
            i += length;
        }
    }
    out.truncate(static_cast<qsizetype>(dst - begin));
    return out;
}

std::string EncodeText(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

QString ConvertFileFilter(const std::string& filter) {
    const QStringList parts = DecodeText(filter).split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString label = parts[i].trimmed();
        QString patterns = parts[i + 1].trimmed();
        if (label.isEmpty() && patterns.isEmpty()) break;
        // Qt reads the patterns from the parentheses at the end of the label:
        // replace whatever the label shows there with the real patterns.
        if (label.endsWith(QLatin1Char(')'))) {
            qsizetype open = label.lastIndexOf(QLatin1Char('('));
            if (open >= 0) label = label.left(open).trimmed();
        }
        QStringList list;
        for (const QString& pattern : patterns.split(QLatin1Char(';'))) {
            if (!pattern.trimmed().isEmpty()) list << pattern.trimmed();
        }
        if (list.isEmpty()) list << QStringLiteral("*");
        if (label.isEmpty()) label = list.join(QLatin1Char(' '));
        entries << label + QStringLiteral(" (") + list.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return entries.join(QStringLiteral(";;"));
}

}  // namespace zorl::qt
