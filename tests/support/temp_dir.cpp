#include "support/temp_dir.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace tavolin::test {

TempDir::TempDir() {
    std::string pattern = "/tmp/tavolin-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr) {
        throw std::runtime_error(std::string("mkdtemp: ") + std::strerror(errno));
    }
    path_ = buffer.data();
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::file(std::string_view name) const { return path_ + "/" + std::string(name); }

void TempDir::write(std::string_view name, std::string_view content) const {
    std::ofstream out(file(name), std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out) throw std::runtime_error("cannot write " + file(name));
}

std::string TempDir::read(std::string_view name) const {
    std::ifstream in(file(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool TempDir::exists(std::string_view name) const { return std::filesystem::exists(file(name)); }

ChangeDir::ChangeDir(const std::string& path) : previous_(std::filesystem::current_path().string()) {
    if (::chdir(path.c_str()) != 0) throw std::runtime_error("chdir " + path + ": " + std::strerror(errno));
}

ChangeDir::~ChangeDir() {
    if (::chdir(previous_.c_str()) != 0) std::abort();  // the rest of the tests would run in a removed folder
}

}  // namespace tavolin::test
