// Sounds by name, for the CTCP SOUND request and the PLAY command.
#include <string>
#include <vector>

#include "app/CZorlApp.h"
#include "common/FileNames.h"
#include "common/Text.h"
#include "platform/Platform.h"
#include "windows/Output.h"

namespace zorl {
namespace {

constexpr const char* kSystemSounds = "/usr/share/sounds/";

}  // namespace

// "ding" plays wav/ding.WAV, else the system's ding.WAV; on this platform
// the usual spelling ding.wav is tried after each. A name that would leave
// those folders ("../x", "/etc/x") plays nothing.
int CZorlApp::PlaySoundFile(const std::string& sound) {
    std::string name = sound;
    const bool suffixed = name.size() >= 4 && EqualsNoCase(name.substr(name.size() - 4), ".WAV");
    if (!suffixed) name += ".WAV";
    if (StaysInside(name)) {
        const std::string stem = name.substr(0, name.size() - 4);
        std::vector<std::string> spellings = {name};
        if (stem + ".wav" != name) spellings.push_back(stem + ".wav");
        for (const std::string& folder : {config_dir + "wav/", std::string(kSystemSounds)})
            for (const std::string& spelling : spellings)
                if (platform.sound.PlayWave(folder + spelling)) return 1;
    }
    output.PrintF(nullptr, "", Cls::Error, "error playing %s", name.c_str());
    return 0;
}

}  // namespace zorl
