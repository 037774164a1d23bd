// A fresh, empty folder for one test, removed with everything in it when the
// object goes away.
//
//   TempDir dir;                      // /tmp/tavolin-XXXXXX, created now
//   dir.path();                       // its absolute name
//   dir.file("report.txt");           // dir.path() + "/report.txt"
//   dir.write("a.tav", "t\r\n...");   // makes a file in it (bytes as given)
//   dir.read("a.tav");                // a file's whole content ("" if absent)
//   dir.exists("a.tav");
//
//   { ChangeDir cd(dir.path()); ... } // chdir into it, back on destruction
//
// The program names its files relative to the current folder, so a test that
// runs it in-process chdirs into a TempDir with ChangeDir; a test of the real
// binary passes dir.path() as PtyProcess::Options::cwd instead.
#pragma once

#include <string>
#include <string_view>

namespace tavolin::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    [[nodiscard]] const std::string& path() const { return path_; }
    [[nodiscard]] std::string file(std::string_view name) const;
    void write(std::string_view name, std::string_view content) const;
    [[nodiscard]] std::string read(std::string_view name) const;
    [[nodiscard]] bool exists(std::string_view name) const;

private:
    std::string path_;
};

// Makes a folder the current one for its lifetime.
class ChangeDir {
public:
    explicit ChangeDir(const std::string& path);
    ~ChangeDir();
    ChangeDir(const ChangeDir&) = delete;
    ChangeDir& operator=(const ChangeDir&) = delete;

private:
    std::string previous_;
};

}  // namespace tavolin::test
