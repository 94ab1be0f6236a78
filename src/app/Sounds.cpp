// Sounds of PLAY and of the CTCP SOUND request: a wave file of wav/ in the
// configuration folder, else of the system's sound folder, and nothing else.
#include <filesystem>
#include <system_error>

#include "app/CZorlApp.h"
#include "common/Text.h"
#include "platform/Platform.h"
#include "windows/Output.h"

namespace zorl {
namespace {

constexpr const char* kSystemSounds = "/usr/share/sounds/";

// A name someone else may have chosen (a CTCP SOUND, an event's $2) names a
// file in the folder and never a path: "../zorl" or "/etc/x" play nothing.
bool IsPlainFileName(const std::string& name) {
    return name.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

// "ding.WAV" is found as ding.wav too: the names scripts use were written
// for file systems that ignore case. Empty when there is no such file.
std::string FindInFolder(const std::string& folder, const std::string& name) {
    std::error_code error;
    if (std::filesystem::is_regular_file(folder + name, error)) return folder + name;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string found = entry.path().filename().string();
        if (EqualsNoCase(found, name) && entry.is_regular_file(error)) return folder + found;
    }
    return {};
}

}  // namespace

bool CZorlApp::PlaySoundFile(const std::string& name) {
    std::string file = name;
    if (!EndsWithNoCase(file, ".WAV")) file += ".WAV";
    if (IsPlainFileName(file)) {
        for (const std::string& folder : {config_dir + "wav/", std::string(kSystemSounds)}) {
            const std::string path = FindInFolder(folder, file);
            if (!path.empty() && platform.sound.PlayWave(path)) return true;
        }
    }
    output.PrintF(nullptr, "", Cls::Error, "error playing %s", file.c_str());
    return false;
}

}  // namespace zorl
