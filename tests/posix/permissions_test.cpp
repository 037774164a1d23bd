// What depends on file permissions, seen by an ordinary user: the tests run
// as root, whom permission bits do not stop, so the case runs in a child that
// has dropped to the user and group nobody.
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "authoring/file_naming.hpp"
#include "shell/console/scripted_console.hpp"
#include "shell/run_state.hpp"
#include "support/temp_dir.hpp"
#include "taking/selection.hpp"

namespace tavolin {
namespace {

// The child's answer: 0 when a file that exists but cannot be read is still
// asked about before it would be emptied, cannot be taken as a quiz, and is
// left whole.
int unreadable_file_case() {
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
}

TEST(Permissions, AnUnreadableFileIsAskedAboutAndCannotBeTaken) {
    test::TempDir dir;
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const bool nobody = ::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0 &&
                            ::getuid() == 65534 && ::chdir(dir.path().c_str()) == 0;
        int answer = 100;
        try {
            if (nobody) answer = unreadable_file_case();
        } catch (...) {  // nothing may unwind into the test runner of the child
        }
        ::_exit(answer);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace tavolin
