// Spelling of the input line with Hunspell and the dictionaries the system
// has installed (Debian: hunspell-en-us and its siblings, in
// /usr/share/hunspell). Words the user adds are kept, one a line, in the
// configuration folder's "dictionary.txt".
#pragma once

#include <QString>
#include <QStringConverter>
#include <QStringList>
#include <QSyntaxHighlighter>
#include <functional>
#include <memory>
#include <optional>

class Hunspell;

namespace zorl::ui {

class CSpelling {
public:
    // The dictionaries installed: "en_US", "de_DE", ... sorted.
    static QStringList Languages();
    // The one to use for `wanted`: itself when installed, else the locale's,
    // else en_US, else the first there is; "" when there is none.
    static QString Choose(const QString& wanted);

    CSpelling();
    ~CSpelling();

    // Loads the dictionary of `language` (see Choose) and the user's words
    // from `personalFile`; false when no dictionary could be read.
    bool Load(const QString& language, const QString& personalFile);
    // Load() for the setting `language`, unless it was done for that setting
    // already: every input line asks at each change of the settings, and
    // finding the dictionaries reads a folder.
    void Follow(const QString& language, const QString& personalFile);
    bool Ready() const { return hunspell_ != nullptr; }
    const QString& Language() const { return language_; }

    bool Knows(const QString& word) const;
    QStringList Suggestions(const QString& word, int most = 8) const;
    // Known from now on, and in the personal file for the next start.
    void Add(const QString& word);

private:
    std::string Encode(const QString& word) const;
    QString Decode(const std::string& word) const;

    std::unique_ptr<Hunspell> hunspell_;
    QString language_;
    std::optional<QString> followed_;  // the setting Follow() loaded for
    QString personal_file_;
    QStringConverter::Encoding encoding_ = QStringConverter::Utf8;
};

// The one spelling of the program, shared by every input line.
CSpelling& TheSpelling();

// A word of the input line Hunspell is asked about: letters, with an
// apostrophe or hyphen inside. Nicks of the window, commands, channels,
// addresses and words with digits are never looked at.
struct SpelledWord {
    int start;
    int length;
};
std::vector<SpelledWord> WordsToCheck(const QString& line,
                                      const std::function<bool(const QString&)>& isNick);

// Underlines, with the desktop's spell-check line, the misspelt words of the
// input line.
class CSpellHighlighter : public QSyntaxHighlighter {
public:
    CSpellHighlighter(QTextDocument* document, const CSpelling& spelling,
                      std::function<bool(const QString&)> isNick);

protected:
    void highlightBlock(const QString& text) override;

private:
    const CSpelling& spelling_;
    std::function<bool(const QString&)> is_nick_;
};

}  // namespace zorl::ui
