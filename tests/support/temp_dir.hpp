// A fresh, empty folder for one test, removed with everything in it when the
// object goes away; ChangeDir makes a folder the current one for its life.
// Platform-neutral (std::filesystem only).
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>

namespace tavolin::test {

class TempDir {
public:
    TempDir() {
        std::random_device seed;
        do {
            path_ = std::filesystem::temp_directory_path() / ("tavolin-" + std::to_string(seed()));
        } while (!std::filesystem::create_directory(path_));
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    [[nodiscard]] std::string path() const { return path_.string(); }
    [[nodiscard]] std::string file(std::string_view name) const { return (path_ / name).string(); }
    [[nodiscard]] bool exists(std::string_view name) const { return std::filesystem::exists(path_ / name); }
    // A file's whole content as bytes ("" if absent), and writing one.
    [[nodiscard]] std::string read(std::string_view name) const {
        std::ifstream in(path_ / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    void write(std::string_view name, std::string_view content) const {
        if (!(std::ofstream(path_ / name, std::ios::binary) << content)) throw std::runtime_error("cannot write " + file(name));
    }

private:
    std::filesystem::path path_;
};

class ChangeDir {
public:
    explicit ChangeDir(const std::string& path) : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(path);
    }
    ~ChangeDir() {
        std::error_code error;
        std::filesystem::current_path(previous_, error);
        if (error) std::abort();  // the rest of the tests would run in a removed folder
    }
    ChangeDir(const ChangeDir&) = delete;
    ChangeDir& operator=(const ChangeDir&) = delete;

private:
    std::filesystem::path previous_;
};

}  // namespace tavolin::test
