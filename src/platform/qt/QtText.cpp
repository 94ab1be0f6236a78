#include "platform/qt/QtText.h"

#include <QStringDecoder>
#include <QStringList>

namespace zorl::qt {
namespace {

// 0x80..0x9F of Windows-1252. The five unassigned bytes stay C1 controls,
// as the system's own conversion leaves them.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString FromCp1252(const std::string& text) {
    QString result;
    result.reserve(static_cast<qsizetype>(text.size()));
    for (unsigned char c : text) {
        result.append(c >= 0x80 && c < 0xA0 ? QChar(kCp1252High[c - 0x80]) : QChar(c));
    }
    return result;
}

}  // namespace

QString TextToQString(const std::string& text) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    return utf8.hasError() ? FromCp1252(text) : decoded;
}

std::string TextFromQString(const QString& text) { return text.toStdString(); }

QString ConvertFileFilter(const std::string& filter) {
    const QStringList parts = TextToQString(filter).split(QLatin1Char('|'));
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
