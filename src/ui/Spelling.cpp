#include "ui/Spelling.h"

#include <hunspell/hunspell.hxx>

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSaveFile>
#include <QTextCharFormat>
#include <QTextStream>

namespace zorl::ui {

namespace {

const char* const kDictionaryFolder = "/usr/share/hunspell";

bool IsWordLetter(QChar c) { return c.isLetter() || c.isMark(); }

// A token is looked at only when it is a plain word: letters, with an
// apostrophe or a hyphen between them ("don't", "well-known").
bool IsPlainWord(QStringView token) {
    if (token.isEmpty() || !IsWordLetter(token.front()) || !IsWordLetter(token.back()))
        return false;
    for (QChar c : token)
        if (!IsWordLetter(c) && c != u'\'' && c != u'-' && c != QChar(0x2019)) return false;
    return true;
}

bool IsPunctuation(QChar c) { return c.isPunct() && c != u'#' && c != u'@' && c != u'/'; }

}  // namespace

QStringList CSpelling::Languages() {
    QStringList languages;
    const QDir folder(QString::fromLatin1(kDictionaryFolder));
    for (const QString& file : folder.entryList({QStringLiteral("*.dic")}, QDir::Files)) {
        const QString name = file.chopped(4);
        if (folder.exists(name + QStringLiteral(".aff")) && !name.startsWith(u"hyph"))
            languages << name;
    }
    languages.sort();
    return languages;
}

QString CSpelling::Choose(const QString& wanted) {
    const QStringList installed = Languages();
    for (const QString& candidate : {wanted, QLocale::system().name(), QStringLiteral("en_US")})
        if (!candidate.isEmpty() && installed.contains(candidate)) return candidate;
    return installed.isEmpty() ? QString() : installed.front();
}

CSpelling& TheSpelling() {
    static CSpelling spelling;
    return spelling;
}

CSpelling::CSpelling() = default;
CSpelling::~CSpelling() = default;

bool CSpelling::Load(const QString& language, const QString& personalFile) {
    hunspell_.reset();
    language_ = Choose(language);
    personal_file_ = personalFile;
    if (language_.isEmpty()) return false;
    const QString base = QString::fromLatin1(kDictionaryFolder) + u'/' + language_;
    hunspell_ =
        std::make_unique<Hunspell>((base + QStringLiteral(".aff")).toLocal8Bit().constData(),
                                   (base + QStringLiteral(".dic")).toLocal8Bit().constData());
    const std::optional<QStringConverter::Encoding> encoding =
        QStringConverter::encodingForName(hunspell_->get_dict_encoding().c_str());
    encoding_ = encoding.value_or(QStringConverter::Latin1);
    QFile personal(personal_file_);
    if (personal.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QTextStream in(&personal);
        while (!in.atEnd()) {
            const QString word = in.readLine().trimmed();
            if (!word.isEmpty()) hunspell_->add(Encode(word));
        }
    }
    return true;
}

void CSpelling::Follow(const QString& language, const QString& personalFile) {
    if (followed_ == language) return;
    followed_ = language;
    Load(language, personalFile);
}

std::string CSpelling::Encode(const QString& word) const {
    QStringEncoder encoder(encoding_);
    const QByteArray bytes = encoder.encode(word);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString CSpelling::Decode(const std::string& word) const {
    QStringDecoder decoder(encoding_);
    return decoder.decode(QByteArrayView(word.data(), static_cast<qsizetype>(word.size())));
}

bool CSpelling::Knows(const QString& word) const {
    if (!hunspell_) return true;
    // Typographic apostrophes spell as the plain one.
    QString plain = word;
    plain.replace(QChar(0x2019), u'\'');
    return hunspell_->spell(Encode(plain));
}

QStringList CSpelling::Suggestions(const QString& word, int most) const {
    QStringList out;
    if (!hunspell_) return out;
    for (const std::string& each : hunspell_->suggest(Encode(word))) {
        if (out.size() >= most) break;
        out << Decode(each);
    }
    return out;
}

void CSpelling::Add(const QString& word) {
    if (!hunspell_ || word.isEmpty()) return;
    hunspell_->add(Encode(word));
    QFile personal(personal_file_);
    if (personal.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        QTextStream(&personal) << word << '\n';
}

std::vector<SpelledWord> WordsToCheck(const QString& line,
                                      const std::function<bool(const QString&)>& isNick) {
    std::vector<SpelledWord> words;
    // The command word of "/msg bob hi" is no word to spell.
    int at = line.startsWith(u'/') ? static_cast<int>(line.indexOf(u' ')) : 0;
    if (at < 0) return words;
    const int size = static_cast<int>(line.size());
    while (at < size) {
        // Tokens are split at blanks and at formatting codes.
        while (at < size && (line[at].isSpace() || line[at].unicode() < 0x20)) ++at;
        int end = at;
        while (end < size && !line[end].isSpace() && line[end].unicode() >= 0x20) ++end;
        int start = at;
        int stop = end;
        while (start < stop && IsPunctuation(line[start])) ++start;
        while (stop > start && IsPunctuation(line[stop - 1])) --stop;
        const QStringView token = QStringView(line).mid(start, stop - start);
        // "bob:" at the start of a line addresses a nick as much as "bob".
        if (IsPlainWord(token) && !isNick(token.toString())) words.push_back({start, stop - start});
        at = end;
    }
    return words;
}

CSpellHighlighter::CSpellHighlighter(QTextDocument* document, const CSpelling& spelling,
                                     std::function<bool(const QString&)> isNick)
    : QSyntaxHighlighter(document), spelling_(spelling), is_nick_(std::move(isNick)) {}

void CSpellHighlighter::highlightBlock(const QString& text) {
    if (!spelling_.Ready()) return;
    QTextCharFormat misspelt;
    misspelt.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
    misspelt.setUnderlineColor(Qt::red);
    for (const SpelledWord& word : WordsToCheck(text, is_nick_))
        if (!spelling_.Knows(text.mid(word.start, word.length)))
            setFormat(word.start, word.length, misspelt);
}

}  // namespace zorl::ui
