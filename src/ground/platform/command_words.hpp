// The words a command was started with, after its own name, as UTF-8. On
// POSIX they are argv as given. On Windows argv holds the words in the ANSI
// code page, which cannot hold every file name: the words are taken from the
// command line the system keeps in UTF-16 instead.
#pragma once

#include <string>
#include <vector>

namespace tavolin {

std::vector<std::string> command_words(int argc, const char* const* argv);

}  // namespace tavolin
