#include "windows/Logger.h"

#include <cstdint>
#include <cstdio>

#include "common/Format.h"
#include "common/PrivateFiles.h"
#include "common/Text.h"
#include "common/TimeText.h"
#include "config/Settings.h"
#include "windows/Output.h"
#include "windows/WindowRegistry.h"
#include "windows/WindowServices.h"

namespace zorl {
namespace {

// Longest file name made from a window name, ".log" not counted; file
// systems allow 255 bytes.
constexpr std::size_t kMaxLogName = 200;

bool NeedsEscape(unsigned char byte) {
    return byte == '/' || byte == '\\' || byte == '%' || byte < 0x20 || byte == 0x7F;
}

// FNV-1a: the tail that tells two long names apart after the cut.
uint64_t NameHash(const std::string& text) {
    uint64_t hash = 14695981039346656037ull;
    for (char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

}  // namespace

// A window name as one file name of its own. Path separators, control
// characters and "%" are written as "%XX", so "#a/b" and "#a_b" never share
// a file and "#../../x" stays in log/ as "#..%2F..%2Fx.log"; a name that
// needs none of this keeps its name. A conversation named like one of the
// program's own "~" windows starts with "%7E". A name still too long is cut
// at a character boundary and ends in "%~" and a hash of the whole name,
// which no escaped name can contain.
std::string CLogger::LogFileName(const std::string& logfile, bool ownWindow) {
    std::string name;
    for (std::size_t i = 0; i < logfile.size(); ++i) {
        const auto byte = static_cast<unsigned char>(logfile[i]);
        if (NeedsEscape(byte) || (i == 0 && byte == '~' && !ownWindow))
            name += Format("%%%02X", byte);
        else
            name += logfile[i];
    }
    if (name.empty()) return "%";
    if (name.size() <= kMaxLogName) return name;
    std::size_t cut = kMaxLogName - 18;
    // Not inside a UTF-8 sequence, nor inside an escape.
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    if (cut >= 1 && name[cut - 1] == '%')
        cut -= 1;
    else if (cut >= 2 && name[cut - 2] == '%')
        cut -= 2;
    return name.substr(0, cut) + "%~" +
           Format("%016llx", static_cast<unsigned long long>(NameHash(logfile)));
}

std::string CLogger::LogPath(const std::string& logfile, bool ownWindow) const {
    const std::string& dir = s_.configDir.empty() ? std::string("./") : s_.configDir;
    return dir + "log/" + LogFileName(logfile, ownWindow) + ".log";
}

std::string CLogger::SessionStartLine(std::time_t now) {
    return "\r\nSession Start: " + FormatLocalTime("%a %d-%b-%Y %X", now) + "\r\n";
}

std::string CLogger::SessionCloseLine(std::time_t now) {
    return "Session Close: " + FormatLocalTime("%a %d-%b-%Y %X", now) + "\r\n\r\n";
}

void CLogger::WriteLog(FrameId frame, const std::string& text) {
    const ChannelRecord* record = registry_.FindByFrame(frame);
    if (!record) {
        output_.PrintF(nullptr, "", Cls::Error, "ERROR: WriteLog: Frm not found (%s)",
                       HexId(frame).c_str());
        return;
    }
    const std::string& name = record->name;
    if (name.empty()) return;  // the status window
    const CSettings& s = s_.settings;
    // The debug window by its type too: a query named "~debug" is somebody's
    // nick, and must not write into the debug log.
    const bool own = record->type == kWindowDefault;
    if (name[0] == '~') {
        if (!(s.DebugLog && EqualsNoCase(name, "~debug") && own)) return;
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

    const std::string path = LogPath(record->logfile, own);
    std::FILE* file = OpenPrivateForAppend(path);
    if (!file) {
        output_.PrintF(nullptr, "", Cls::Error, "ERROR: Can't open log file: [%s] %s", path.c_str(),
                       text.c_str());
        return;
    }
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
}

}  // namespace zorl
