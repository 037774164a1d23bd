// What the fuzz targets share: a broken invariant ends the run with a line
// saying which (libFuzzer then keeps the input), files written and read
// whole, and a scratch folder.
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace fuzzing {

[[noreturn]] inline void fail(const char* what) {
    std::fputs("invariant broken: ", stderr);
    std::fputs(what, stderr);
    std::fputc('\n', stderr);
    std::abort();
}

inline void check(bool ok, const char* what) {
    if (!ok) fail(what);
}

// Makes the file hold exactly content; any failure is a broken run.
inline void write_whole_file(const char* path, std::string_view content) {
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) fail("cannot write a scratch file");
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n <= 0) fail("cannot write a scratch file");
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
}

// A file's whole content; a file that cannot be read is a broken run.
inline std::string read_whole_file(const char* path) {
    std::string content;
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) fail("a scratch file has gone");
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) fail("a scratch file cannot be read");
        if (n == 0) break;
        content.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return content;
}

// A new folder of the target's own under /tmp, named by its full path.
inline std::string scratch_folder(const char* name) {
    std::string pattern = std::string("/tmp/tavolin-fuzz-") + name + "-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) fail("no scratch folder");
    return pattern;
}

}  // namespace fuzzing
