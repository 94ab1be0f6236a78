#include "windows/Logger.h"

#include <cstdio>

#include "app/CZorlApp.h"
#include "app/Settings.h"
#include "common/Format.h"
#include "common/Text.h"
#include "common/TimeText.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"

namespace zorl {
namespace {

// Longest file name made from a window name, ".log" not counted; file
// systems allow 255 bytes.
constexpr std::size_t kMaxLogName = 200;

// A window name as a single file name: path separators and control
// characters become "_", so "#../../x" stays in log/ as "#.._.._x.log".
std::string SafeFileName(const std::string& logfile) {
    std::string name = logfile.substr(0, kMaxLogName);
    for (char& c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || byte < 0x20 || byte == 0x7F) c = '_';
    }
    if (name.empty()) name = "_";
    return name;
}

}  // namespace

std::string CLogger::LogPath(const std::string& logfile) const {
    const std::string& dir = app_.config_dir.empty() ? std::string("./") : app_.config_dir;
    return dir + "log/" + SafeFileName(logfile) + ".log";
}

std::string CLogger::SessionStartLine(std::time_t now) {
    return "\r\nSession Start: " + FormatLocalTime("%a %d-%b-%Y %X", now) + "\r\n";
}

std::string CLogger::SessionCloseLine(std::time_t now) {
    return "Session Close: " + FormatLocalTime("%a %d-%b-%Y %X", now) + "\r\n\r\n";
}

void CLogger::WriteLog(FrameId frame, const std::string& text) {
    const ChannelRecord* record = app_.registry.FindByFrame(frame);
    if (!record) {
        app_.output.PrintF(nullptr, "", Cls::Error, "ERROR: WriteLog: Frm not found (%s)",
                           HexId(frame).c_str());
        return;
    }
    const std::string& name = record->name;
    if (name.empty()) return;  // the status window
    const CSettings& s = app_.settings;
    if (name[0] == '~') {
        if (!(s.DebugLog && EqualsNoCase(name, "~debug"))) return;
    } else {
        switch (record->type) {
            case kWindowChannel:
                if (!s.LogChannels) return;
                break;
            case kWindowQuery:
            case kWindowDccQuery:
                if (!s.LogQuery) return;
                break;
            case kWindowDefault:
            case kWindowStatus:
            case kWindowDccSend: return;
        }
    }

    const std::string path = LogPath(record->logfile);
    std::FILE* file = std::fopen(path.c_str(), "ab");
    if (!file) {
        app_.output.PrintF(nullptr, "", Cls::Error, "ERROR: Can't open log file: [%s] %s",
                           path.c_str(), text.c_str());
        return;
    }
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
}

}  // namespace zorl
