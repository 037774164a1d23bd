// A fresh, empty folder for one test, removed with everything in it when the
// object goes away; ChangeDir makes a folder the current one for its life.
// Platform-neutral (std::filesystem only).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tavolin::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    [[nodiscard]] std::string path() const { return path_.string(); }
    [[nodiscard]] std::string file(std::string_view name) const { return (path_ / name).string(); }
    // A file's whole content as bytes ("" if absent), and writing one.
    void write(std::string_view name, std::string_view content) const;
    [[nodiscard]] std::string read(std::string_view name) const;
    [[nodiscard]] bool exists(std::string_view name) const { return std::filesystem::exists(path_ / name); }

private:
    std::filesystem::path path_;
};

class ChangeDir {
public:
    explicit ChangeDir(const std::string& path);
    ~ChangeDir();
    ChangeDir(const ChangeDir&) = delete;
    ChangeDir& operator=(const ChangeDir&) = delete;

private:
    std::filesystem::path previous_;
};

}  // namespace tavolin::test
