// What a new user finds in the files the first start creates: public
// networks to pick from, the everyday short commands, nick list menus.
#pragma once

#include <string>
#include <vector>

namespace zorl {

struct FirstRunList {
    const char* section;
    std::vector<std::string> values;  // the numbered list n0, n1, ...
};

// The lists of a file created at first start; empty for the other files,
// which start empty.
std::vector<FirstRunList> FirstRunLists(const std::string& file);

// The settings a new folder starts with where they differ from what a
// folder without them has always meant (zorl.ini only).
struct FirstRunValue {
    const char* section;
    const char* key;
    int value;
};
std::vector<FirstRunValue> FirstRunValues(const std::string& file);

}  // namespace zorl
