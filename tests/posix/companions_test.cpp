// The companion commands as a user runs them: what each prints on standard
// output and standard error, and its exit status, typed out in
// tests/data/companions.txt; and the files they read left as they were. And
// every command, tavolin too, with output that cannot be written.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resultlog/encodeon.hpp"
#include "shell/console/scripted_console.hpp"
#include "support/expected.hpp"
#include "support/temp_dir.hpp"

namespace tavolin {
namespace {

struct Ran {
    int status = -1;
    std::string out;
    std::string err;
};

// Where a run's streams go other than the folder's files .out and .err: a
// device for either (/dev/full), standard output a pipe whose reader has gone
// (SIGPIPE at its default action, or ignored), the text on standard input.
struct Streams {
    const char* out = nullptr;
    const char* err = nullptr;
    bool reader_gone = false;
    bool ignore_sigpipe = false;
    std::string in;
};

// The command in the folder, its standard output and error caught in files;
// the status of a death by signal as a shell gives it (128 + the signal).
Ran run(const test::TempDir& dir, std::vector<std::string> argv, const Streams& to = {}) {
    std::vector<char*> args;
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    const std::string out = to.out != nullptr ? to.out : dir.file(".out");
    const std::string err = to.err != nullptr ? to.err : dir.file(".err");
    const std::string in = dir.file(".in");
    for (const char* name : {".out", ".err"}) dir.write(name, "");  // a device takes the place of one
    dir.write(".in", to.in);
    int gone[2] = {-1, -1};
    if (to.reader_gone && ::pipe(gone) == 0) ::close(gone[0]);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int i = ::open(in.c_str(), O_RDONLY);
        const int o = to.reader_gone ? gone[1] : ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (i < 0 || o < 0 || e < 0 || ::dup2(i, 0) < 0 || ::dup2(o, 1) < 0 || ::dup2(e, 2) < 0 ||
            ::chdir(dir.path().c_str()) != 0) {
            ::_exit(126);
        }
        ::signal(SIGPIPE, to.ignore_sigpipe ? SIG_IGN : SIG_DFL);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    if (gone[1] >= 0) ::close(gone[1]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    // A CR and a tab are shown as \r and \t, as the expected texts give them.
    const auto shown = [](std::string text) {
        for (const auto& [c, mark] : {std::pair{'\r', "\\r"}, std::pair{'\t', "\\t"}}) {
            for (std::size_t at = text.find(c); at != std::string::npos; at = text.find(c, at + 2)) text.replace(at, 1, mark);
        }
        return text;
    };
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), shown(dir.read(".out")),
            shown(dir.read(".err"))};
}

// Each run of the command in the folder against the block "PREFIX: name" of
// companions.txt: its status, then its standard output and error.
void expect_runs(const test::TempDir& dir, const char* command, const std::string& prefix,
                 const std::vector<std::pair<std::string, std::vector<std::string>>>& runs) {
    for (const auto& [name, args] : runs) {
        std::vector<std::string> argv = {command};
        argv.insert(argv.end(), args.begin(), args.end());
        const Ran r = run(dir, argv);
        EXPECT_EQ("status " + std::to_string(r.status) + "\n--- out\n" + r.out + "--- err\n" + r.err,
                  test::block("companions.txt", prefix + ": " + name) + "\n")
            << name;
    }
}

const std::string kTrueFalse = "t\r\nCows moo.\r\n2\r\nTrue\r\nFalse\r\n1\r\n";

TEST(Companions, TavolinCheck) {
    test::TempDir dir;
    dir.write("good.tav", kTrueFalse + "f\r\nA cow says ____.\r\n1\r\nmoo\r\n1\r\nP");
    dir.write("broken.tav", kTrueFalse + "x\r\nQ\r\n1\r\nA\r\n1\r\nm\r\nQ\r\n2\r\na\r\nb\r\n3\r\nP");
    dir.write("warned.tav", kTrueFalse + "m\r\n");
    std::filesystem::create_directory(dir.file("folder.tav"));
    expect_runs(dir, TAVOLIN_CHECK_BINARY, "check",
                {{"all good", {"good.tav", "warned.tav"}},
                 {"an error", {"good.tav", "broken.tav"}},
                 {"unreadable files", {"missing.tav", "broken.tav", "folder.tav"}},
                 {"no file", {}},
                 {"an unknown option", {"--bogus", "good.tav"}}});
    for (const char* command : {TAVOLIN_CHECK_BINARY, TAVOLIN_LOG_BINARY}) {
        const std::string name = std::filesystem::path(command).filename().string();
        const Ran help = run(dir, {command, "--help"});
        EXPECT_EQ("status " + std::to_string(help.status) + "\n" + help.out + help.err,
                  test::block("companions.txt", name + " --help"));
        const Ran version = run(dir, {command, "--version"});
        EXPECT_EQ(version.status, 0);
        EXPECT_EQ(version.out, name + " (Tavolin) " TAVOLIN_VERSION "\nCopyright The Tavolin developers. MIT licence.\n");
    }
    EXPECT_EQ(dir.read("good.tav"), kTrueFalse + "f\r\nA cow says ____.\r\n1\r\nmoo\r\n1\r\nP");
}

TEST(Companions, TavolinLog) {
    test::TempDir dir;
    std::string sound;
    {
        test::ChangeDir cd(dir.path());
        dir.write(kLogFileName, "");
        ScriptedConsole con;
        Platform platform;
        const auto event = [&](LocalTime t, std::string_view name, std::int16_t code, std::int16_t n, double grd) {
            platform.local_time = [t] { return t; };
            ENCODEON(con, platform, name, code, n, grd);
        };
        event({2026, 12, 8, 14, 3, 5}, "cows.tav", 4, 0, 0);
        event({2026, 12, 8, 14, 5, 11}, "my quiz, \"2\".tav", 3, 0, 0);
        event({2026, 12, 8, 14, 6, 40}, "my quiz, \"2\".tav", 2, 8, 62.5);
        event({2027, 2, 28, 23, 59, 59}, "tab\there.tav", 4, 0, 0);
        ASSERT_EQ(con.text(), "");
        sound = dir.read(kLogFileName);
    }
    // The third line's SEC1 one more, and the file ending in an empty line.
    std::string altered = sound;
    std::size_t at = altered.find('\n', altered.find('\n') + 1) + 1;
    for (int k = 0; k < 17; ++k) at = altered.find(' ', at) + 1;
    altered.replace(at, altered.find(' ', at) - at, std::to_string(std::stoll(altered.substr(at)) + 1));
    dir.write("altered.csf", altered + "\r\n");
    expect_runs(dir, TAVOLIN_LOG_BINARY, "log",
                {{"the log here", {}},
                 {"two logs as CSV", {"--csv", "Encrypted_file.csf", "altered.csf"}},
                 {"an altered log", {"altered.csf"}},
                 {"a missing log", {"missing.csf", "altered.csf"}},
                 {"an unknown option", {"-x"}}});
    EXPECT_EQ(dir.read(kLogFileName), sound);
    EXPECT_EQ(dir.read("altered.csf"), altered + "\r\n");
}

// Every command with standard output (or error) that cannot be written, a
// full disk: it says so on standard error while that still works, and ends
// with its status for trouble, 2 for a companion, 1 for tavolin, whatever it
// would have ended with. A reader that has gone is told nothing: the command
// ends by SIGPIPE, or with that status where SIGPIPE is ignored (as on
// Windows, which has none).
TEST(Commands, WritesThatFailEndInTrouble) {
    test::TempDir dir;
    dir.write("cows.tav", kTrueFalse + "P");
    dir.write("broken.tav", "x\r\nQ\r\n1\r\nA\r\n1\r\nP");
    dir.write(kLogFileName, "");
    dir.write("garbled.csf", "garbage\r\n");
    struct Case {
        std::vector<std::string> argv;
        std::string in;
        bool error_full;  // standard error is /dev/full, not standard output
        int trouble;
    };
    const std::vector<Case> cases = {
        {{TAVOLIN_CHECK_BINARY, "cows.tav"}, "", false, 2},
        {{TAVOLIN_CHECK_BINARY, "--help"}, "", false, 2},
        {{TAVOLIN_CHECK_BINARY, "--version"}, "", false, 2},
        {{TAVOLIN_LOG_BINARY}, "", false, 2},
        {{TAVOLIN_LOG_BINARY, "--help"}, "", false, 2},
        {{TAVOLIN_BINARY, "--help"}, "", false, 1},
        {{TAVOLIN_BINARY, "--version"}, "", false, 1},
        {{TAVOLIN_BINARY}, "quit\n", false, 1},
        {{TAVOLIN_BINARY}, "", false, 1},
        {{TAVOLIN_CHECK_BINARY, "broken.tav"}, "", true, 2},
        {{TAVOLIN_LOG_BINARY, "garbled.csf"}, "", true, 2},
        {{TAVOLIN_BINARY, "--bogus"}, "", true, 1},
    };
    std::string got;
    std::string expected;
    for (const Case& c : cases) {
        const std::string program = std::filesystem::path(c.argv[0]).filename().string();
        std::string named = program;
        for (std::size_t i = 1; i < c.argv.size(); ++i) named += " " + c.argv[i];
        if (!c.in.empty()) named += " <<<quit";
        const auto tell = [&](const std::string& how, const Ran& r) {
            got += named + how + ": status " + std::to_string(r.status) + "\n" + r.err;
        };
        tell(c.error_full ? " 2>/dev/full" : " >/dev/full",
             run(dir, c.argv, {c.error_full ? nullptr : "/dev/full", c.error_full ? "/dev/full" : nullptr, false, false, c.in}));
        expected += named + (c.error_full ? " 2>/dev/full" : " >/dev/full") + ": status " + std::to_string(c.trouble) + "\n";
        if (c.error_full) continue;
        expected += program + ": write error: No space left on device\n";
        tell(" | gone", run(dir, c.argv, {nullptr, nullptr, true, false, c.in}));
        expected += named + " | gone: status " + std::to_string(128 + SIGPIPE) + "\n";
        tell(" | gone, SIGPIPE ignored", run(dir, c.argv, {nullptr, nullptr, true, true, c.in}));
        expected += named + " | gone, SIGPIPE ignored: status " + std::to_string(c.trouble) + "\n";
    }
    EXPECT_EQ(got, expected);
}

}  // namespace
}  // namespace tavolin
