#include "app/FileEditors.h"

#include <filesystem>

#include "app/CZorlApp.h"
#include "common/Format.h"
#include "config/IniFile.h"
#include "config/IniStore.h"
#include "platform/Platform.h"

namespace zorl {
namespace {

struct ListSection {
    const char* file;
    const char* section;
};

// The list behind each list button; the last two buttons edit files.
ListSection ListOf(FilesEditor editor) {
    switch (editor) {
        case FilesEditor::Nicks: return {"popups.ini", "Nicks"};
        case FilesEditor::Channel: return {"popups.ini", "Channel"};
        case FilesEditor::Query: return {"popups.ini", "Query"};
        case FilesEditor::Status: return {"popups.ini", "Status"};
        case FilesEditor::Aliases: return {"aliases.ini", "Aliases"};
        case FilesEditor::Servers: return {"servers.ini", "Servers"};
        case FilesEditor::Notify: return {CIniStore::kMainFile, "NOTIFY"};
        case FilesEditor::Ignore: return {CIniStore::kMainFile, "IGNORE"};
        case FilesEditor::Startup: return {CIniStore::kMainFile, "STARTUP"};
        case FilesEditor::Scripts:
        case FilesEditor::Textfile: break;
    }
    return {nullptr, nullptr};
}

// "../x", "/etc/passwd" and "a/../../x" would be edited outside the folder.
bool StaysInFolder(const std::string& name) {
    const std::filesystem::path path(name);
    if (name.empty() || path.is_absolute()) return false;
    for (const std::filesystem::path& part : path)
        if (part == "..") return false;
    return true;
}

std::string EditorText(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

}  // namespace

void CFileEditors::Edit(FilesEditor editor) {
    if (editor == FilesEditor::Scripts) return EditFile("script.ini");
    if (editor == FilesEditor::Textfile) return EditTextfile();
    const ListSection list = ListOf(editor);
    EditList(list.file, list.section);
}

void CFileEditors::EditList(const std::string& file, const std::string& section) {
    std::string text = EditorText(app_.ini.ReadList(file, section));
    if (!app_.platform.dialogs.EditText(text)) return;
    std::vector<std::string> values;
    for (std::string& line : SplitIniText(text).lines)
        if (!line.empty()) values.push_back(std::move(line));
    app_.ini.WriteList(file, section, values);
}

void CFileEditors::EditFile(const std::string& name) {
    if (!StaysInFolder(name)) {
        app_.platform.dialogs.MessageBox(
            Format("Only files in the configuration folder can be edited: %s", name.c_str()),
            BoxIcon::Error);
        return;
    }
    const std::string path = app_.ini.PathOf(name);
    IniText file;
    LoadIniText(path, file);  // a file that cannot be read shows as empty
    std::string text = EditorText(file.lines);
    if (!app_.platform.dialogs.EditText(text)) return;

    IniText edited;
    edited.lines = SplitIniText(text).lines;
    edited.lineEnd = file.lineEnd;
    if (!SaveIniText(path, edited)) {
        app_.platform.dialogs.MessageBox(Format("Error writing file %s", name.c_str()),
                                         BoxIcon::Error);
    }
}

void CFileEditors::EditTextfile() {
    std::string name;
    if (!app_.platform.dialogs.InputRequest("Input request", "File name:", name)) return;
    if (!name.empty()) EditFile(name);
}

}  // namespace zorl
