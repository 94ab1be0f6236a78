// The one reader and writer of the five ini files.
//
// Two families: keyed values («key=value» under «[section]») and sections
// read as ordered lists of lines. Every call opens the file afresh; writers
// rewrite the whole file atomically (temporary file + rename) and keep the
// line end style the file already uses. Files are byte text; names are
// relative to the configuration directory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zorl {

class IDialogs;
struct IniText;
enum class LoadResult;

class CIniStore {
public:
    static constexpr const char* kMainFile = "zorl.ini";

    explicit CIniStore(IDialogs& dialogs);

    // Directory with a trailing "/", fixed at start-up ("./" when empty).
    void SetDirectory(const std::string& directory);
    const std::string& Directory() const { return directory_; }
    std::string PathOf(const std::string& file) const;

    // Profile-style access. Values are read whole: a password cut at some
    // length would fail its login.
    std::string ReadString(const std::string& file, const std::string& section,
                           const std::string& key, const std::string& def) const;
    int ReadInt(const std::string& file, const std::string& section, const std::string& key,
                int def) const;
    bool WriteString(const std::string& file, const std::string& section, const std::string& key,
                     const std::string& value);
    bool WriteInt(const std::string& file, const std::string& section, const std::string& key,
                  int value);

    // The program's own line-based operations (no length limit).
    bool ReadSectionLine(const std::string& file, const std::string& section, int index,
                         std::string& out) const;
    std::string ReadKey(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& def) const;
    bool WriteKey(const std::string& file, const std::string& section, const std::string& key,
                  const std::string& value);
    // A line appended here reads back unchanged through ReadSectionLine, even
    // one that begins with "[" or holds line ends (EncodeSectionLine).
    bool AppendLine(const std::string& file, const std::string& section, const std::string& line);
    // The section's lines become `lines` (its header stays, or is added at
    // the end of the file): one rewrite, however many lines.
    bool ReplaceSectionLines(const std::string& file, const std::string& section,
                             const std::vector<std::string>& lines);
    bool AddListItem(const std::string& file, const std::string& section, const std::string& value);
    bool DeleteSection(const std::string& file, const std::string& section);
    bool EmptySection(const std::string& file, const std::string& section);
    bool RenameSection(const std::string& file, const std::string& oldName,
                       const std::string& newName);

    // Whole numbered lists ("n0", "n1", ... up to the first missing or empty).
    std::vector<std::string> ReadList(const std::string& file, const std::string& section) const;
    // Replaces the list: "n0", "n1", ... get the non-empty `values` in order,
    // and every list key after them goes, stale keys beyond a gap included, so
    // none of them can rejoin the list.
    void WriteList(const std::string& file, const std::string& section,
                   const std::vector<std::string>& values);

    // Shorthands on zorl.ini.
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& def) const {
        return ReadString(kMainFile, section, key, def);
    }
    int ReadInt(const std::string& section, const std::string& key, int def) const {
        return ReadInt(kMainFile, section, key, def);
    }
    std::string ReadKey(const std::string& section, const std::string& key,
                        const std::string& def) const {
        return ReadKey(kMainFile, section, key, def);
    }
    bool WriteString(const std::string& section, const std::string& key, const std::string& value) {
        return WriteString(kMainFile, section, key, value);
    }
    bool WriteInt(const std::string& section, const std::string& key, int value) {
        return WriteInt(kMainFile, section, key, value);
    }
    bool WriteKey(const std::string& section, const std::string& key, const std::string& value) {
        return WriteKey(kMainFile, section, key, value);
    }

    // Test seam: later rewrites fail after `bytes` bytes, as on a full disk.
    void SetWriteLimitForTest(std::size_t bytes) { write_limit_ = bytes; }

private:
    enum class Missing { Quiet, Report };
    // `Report` shows the message box when the file cannot be read.
    LoadResult Load(const std::string& file, IniText& text, Missing missing) const;
    bool Save(const std::string& file, const IniText& text) const;
    // Read (a missing file is empty), change the lines, rewrite.
    // A file that exists but cannot be read is left alone (false).
    template <typename Change>
    bool Edit(const std::string& file, Change change);

    IDialogs& dialogs_;
    std::string directory_ = "./";
    std::size_t write_limit_ = SIZE_MAX;
};

}  // namespace zorl
