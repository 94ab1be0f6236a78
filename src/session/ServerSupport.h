// What a server tells of its rules in ISUPPORT (005): the nick prefixes of
// channel members and their modes, the channel types, which channel modes
// take a parameter, the network's name. Until a server says otherwise the
// rules are those every server has: @ for o, + for v, channels of # and &.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/CaseMapping.h"

namespace zorl {

class CServerSupport {
public:
    // Reads the tokens of one 005 line: its parameters between the own nick
    // and the closing text, such as "PREFIX=(qaohv)~&@%+" or "-NETWORK".
    void Apply(const std::vector<std::string>& params);
    void Reset() { *this = CServerSupport(); }

    // "@+alice" -> "alice", its NickBits in `bits` (several with
    // multi-prefix).
    std::string_view StripPrefixes(std::string_view nick, int& bits) const;
    // The NickBits of a prefix mode letter ('o' -> kNickOp); 0 when the
    // letter is no prefix mode here.
    int ModeBits(char letter) const;
    bool IsPrefixMode(char letter) const { return prefix_modes_.find(letter) != std::string::npos; }
    // Whether a channel mode letter takes a parameter when set (`plus`) or
    // removed; prefix modes always do. Without CHANMODES no other letter
    // does.
    bool TakesParameter(char letter, bool plus) const;
    bool IsChannel(std::string_view name) const;
    const std::string& Network() const { return network_; }
    const std::string& StatusPrefixes() const { return statusmsg_; }
    // MONITOR: how many nicks the server watches for us (0: no limit
    // given); -1 when it does not offer MONITOR.
    int MonitorLimit() const { return monitor_; }
    // MODES: how many mode changes with a parameter one MODE line may carry.
    std::size_t ModesPerLine() const { return static_cast<std::size_t>(modes_per_line_); }
    // The list modes of CHANMODES ("beI"): bans, exceptions, invite exceptions.
    const std::string& ListModes() const { return list_modes_; }
    // LINELEN: the longest line the network relays, CR LF included; the
    // 512 of every server unless it says more (kept under 16 KiB).
    std::size_t LineLength() const { return line_length_; }
    // NICKLEN and TOPICLEN; 0 while the server has not said.
    std::size_t NickLength() const { return nick_length_; }
    std::size_t TopicLength() const { return topic_length_; }
    // CASEMAPPING: whether two nicks or channel names are one.
    CaseMapping Mapping() const { return case_mapping_; }
    bool SameName(std::string_view a, std::string_view b) const {
        return SameFolded(a, b, case_mapping_);
    }
    // WHOX: WHO takes the fields it is to answer with ("%tcuhnfar").
    bool Whox() const { return whox_; }
    static constexpr std::size_t kLineLength = 512;
    static constexpr std::size_t kLongestLineLength = 16384;

private:
    void SetPrefix(std::string_view value);

    std::string prefix_modes_ = "ov";
    std::string prefix_symbols_ = "@+";
    std::string chantypes_ = "#&";
    std::string statusmsg_;
    std::string network_;
    int monitor_ = -1;
    static constexpr int kModesPerLine = 3;
    int modes_per_line_ = kModesPerLine;
    std::size_t line_length_ = kLineLength;
    std::size_t nick_length_ = 0;
    std::size_t topic_length_ = 0;
    bool whox_ = false;
    CaseMapping case_mapping_ = CaseMapping::Ascii;
    // CHANMODES: lists (always a parameter), always, only when set.
    std::string list_modes_, always_modes_, set_modes_;
};

}  // namespace zorl
