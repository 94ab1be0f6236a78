// Temporary folders for tests, removed with everything in them afterwards.
// No GoogleTest here: a folder that could not be made has an empty Path().
#pragma once

#include <filesystem>
#include <string>

namespace zorl::test {

class TempDir {
public:
    explicit TempDir(const std::string& prefix = "zorl-test");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // Names are relative to the folder.
    void WriteFile(const std::string& name, const std::string& content) const;
    std::string ReadFile(const std::string& name) const;  // "" when missing
    bool Exists(const std::string& name) const;

private:
    std::filesystem::path path_;
};

// A temporary folder that is the working directory for its lifetime.
class TempWorkDir : public TempDir {
public:
    TempWorkDir();
    ~TempWorkDir();

private:
    std::filesystem::path previous_;
};

}  // namespace zorl::test
