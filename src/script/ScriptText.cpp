#include "script/ScriptText.h"

#include <algorithm>

#include "common/Text.h"

namespace zorl {

bool ScriptText::HasData(std::size_t pos, std::size_t length) const {
    if (pos >= origins_.size()) return false;
    std::size_t end = length > origins_.size() - pos ? origins_.size() : pos + length;
    return std::any_of(origins_.begin() + static_cast<long>(pos),
                       origins_.begin() + static_cast<long>(end), IsDataOrigin);
}

bool ScriptText::HasMessageData() const {
    return std::find(origins_.begin(), origins_.end(), Origin::kData) != origins_.end();
}

ScriptText ScriptText::WithUserValuesOwn() const {
    ScriptText result = *this;
    std::replace(result.origins_.begin(), result.origins_.end(), Origin::kUserValue, Origin::kOwn);
    return result;
}

void ScriptText::Append(char c, Origin origin) {
    text_.push_back(c);
    origins_.push_back(origin);
}

void ScriptText::Append(std::string_view text, Origin origin) {
    text_.append(text);
    origins_.insert(origins_.end(), text.size(), origin);
}

void ScriptText::Append(const ScriptText& other) {
    text_ += other.text_;
    origins_.insert(origins_.end(), other.origins_.begin(), other.origins_.end());
}

ScriptText ScriptText::FromParts(std::string text, std::vector<Origin> origins) {
    ScriptText result;
    origins.resize(text.size(), Origin::kData);
    result.text_ = std::move(text);
    result.origins_ = std::move(origins);
    return result;
}

ScriptText ScriptText::Sub(std::size_t pos, std::size_t length) const {
    ScriptText part;
    if (pos >= text_.size()) return part;
    length = std::min(length, text_.size() - pos);
    part.text_ = text_.substr(pos, length);
    part.origins_.assign(origins_.begin() + static_cast<long>(pos),
                         origins_.begin() + static_cast<long>(pos + length));
    return part;
}

ScriptText ScriptText::Trimmed() const {
    std::size_t begin = 0;
    std::size_t end = text_.size();
    while (begin < end && IsWhite(text_[begin])) ++begin;
    while (end > begin && IsWhite(text_[end - 1])) --end;
    return Sub(begin, end - begin);
}

ScriptText ScriptText::Of(std::string_view part) const {
    if (part.empty()) return {};
    return Sub(static_cast<std::size_t>(part.data() - text_.data()), part.size());
}

}  // namespace zorl
