#include "support/TempDir.h"

#include <stdlib.h>

#include <fstream>
#include <sstream>

namespace zorl::test {

TempDir::TempDir(const std::string& prefix) {
    std::error_code error;
    std::string pattern =
        (std::filesystem::temp_directory_path(error) / (prefix + "-XXXXXX")).string();
    if (!error && ::mkdtemp(pattern.data())) path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

void TempDir::WriteFile(const std::string& name, const std::string& content) const {
    std::ofstream(path_ / name, std::ios::binary | std::ios::trunc) << content;
}

std::string TempDir::ReadFile(const std::string& name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool TempDir::Exists(const std::string& name) const {
    std::error_code ignored;
    return std::filesystem::exists(path_ / name, ignored);
}

TempWorkDir::TempWorkDir() : previous_(std::filesystem::current_path()) {
    if (!Path().empty()) std::filesystem::current_path(Path());
}

// Runs before the folder is removed, so the process never sits in a removed folder.
TempWorkDir::~TempWorkDir() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
}

}  // namespace zorl::test
