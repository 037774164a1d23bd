// What the fuzz targets share: a broken invariant ends the run with a line
// saying which (libFuzzer then keeps the input), and a file written whole.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
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

}  // namespace fuzzing
