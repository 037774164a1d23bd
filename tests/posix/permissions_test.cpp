// What depends on file permissions, seen by an ordinary user: the tests run
// as root, whom permission bits do not stop, so each case runs in a child
// that has dropped to the user and group nobody.
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "authoring/file_naming.hpp"
#include "shell/console/scripted_console.hpp"
#include "shell/run_state.hpp"
#include "support/temp_dir.hpp"
#include "taking/selection.hpp"

namespace tavolin {
namespace {

// Runs body as nobody in a folder everyone may write; its result is the
// child's exit status (0 for success).
int as_nobody(const std::function<int()>& body) {
    test::TempDir dir;
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    const pid_t pid = ::fork();
    if (pid == 0) {
        int status = 100;
        try {
            if (::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0 && ::getuid() == 65534 &&
                ::chdir(dir.path().c_str()) == 0) {
                status = body();
            }
        } catch (...) {
        }
        ::_exit(status);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 101;
}

// A file that exists but cannot be read is still asked about before it is
// emptied; taken as a quiz, it cannot be opened.
TEST(Permissions, AnUnreadableFileIsAskedAboutAndCannotBeTaken) {
    EXPECT_EQ(as_nobody([] {
                  if (!(std::ofstream("secret.tav") << "keep") || ::chmod("secret.tav", 0200) != 0) return 10;
                  if (quiz_file_exists("secret.tav") != 0) return 11;
                  ScriptedConsole con;
                  RunState st;
                  st.QUIT_PROCESS = 0;
                  con.lines({"secret.tav", "n", "Quit", "secret.tav", "Quit"});
                  if (choose_new_quiz_file(con, st)) return 12;
                  if (con.text().find("The file name that you specified already exists.\n") == std::string::npos) return 13;
                  if (choose_quiz_file(con, st)) return 14;
                  if (con.text().find("That file does not exist!\n") == std::string::npos) return 15;
                  ::chmod("secret.tav", 0600);
                  std::string kept;
                  return std::getline(std::ifstream("secret.tav"), kept) && kept == "keep" ? 0 : 16;
              }),
              0);
}

}  // namespace
}  // namespace tavolin
