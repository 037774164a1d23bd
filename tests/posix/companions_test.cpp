// The companion commands as a user runs them: what each prints on standard
// output and standard error, and its exit status, typed out in
// tests/data/companions.txt; and the files they read left as they were. And
// every command, tavolin too, with output that cannot be written.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "resultlog/encodeon.hpp"
#include "support/scripted_console.hpp"
#include "support/expected.hpp"
#include "support/temp_dir.hpp"

namespace tavolin {
namespace {

struct Ran {
    int status = -1;
    std::string out;
    std::string err;
};

// The command in the folder, the file `in` on its standard input, its
// standard output and error in files or devices (/dev/full), or both in one
// file as one screen shows them (the same name for both); or its standard
// output a pipe whose reader has gone ("|", or "| SIGPIPE ignored"). The
// status of a death by signal is given as a shell gives it (128 + signal).
Ran run(const test::TempDir& dir, std::vector<std::string> argv, const std::string& out = ".out",
        const std::string& err = ".err", const std::string& in = "/dev/null") {
    std::vector<char*> args;
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    int gone[2] = {-1, -1};
    if (out.starts_with("|") && ::pipe(gone) == 0) ::close(gone[0]);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(dir.path().c_str()) != 0) ::_exit(126);
        const int flags = O_WRONLY | O_CREAT | O_TRUNC;
        const int to[] = {::open(in.c_str(), O_RDONLY), gone[1] >= 0 ? gone[1] : ::open(out.c_str(), flags, 0644),
                          err == out ? -2 : ::open(err.c_str(), flags, 0644)};
        for (int fd = 0; fd < 3; ++fd) {
            if (to[fd] == -2 ? ::dup2(1, 2) < 0 : to[fd] < 0 || ::dup2(to[fd], fd) < 0) ::_exit(126);
        }
        ::signal(SIGPIPE, out.ends_with("ignored") ? SIG_IGN : SIG_DFL);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    if (gone[1] >= 0) ::close(gone[1]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    // A CR, a tab and a byte-order mark are shown as \r, \t and <BOM>, as the expected texts give them.
    const auto shown = [](std::string text) {
        for (const auto& [c, mark] : {std::pair{"\r", "\\r"}, std::pair{"\t", "\\t"}, std::pair{"\xEF\xBB\xBF", "<BOM>"}}) {
            for (std::size_t at = text.find(c); at != std::string::npos; at = text.find(c, at + 1)) text.replace(at, std::strlen(c), mark);
        }
        return text;
    };
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), shown(out == ".out" ? dir.read(out) : ""),
            shown(err == ".err" ? dir.read(err) : "")};
}

// Each run of the command in the folder against the block "PREFIX: name" of
// companions.txt: its status, then its standard output and error (a run named
// "... on one screen": both as one).
void expect_runs(const test::TempDir& dir, const char* command, const std::string& prefix,
                 const std::vector<std::pair<std::string, std::vector<std::string>>>& runs) {
    for (const auto& [name, args] : runs) {
        std::vector<std::string> argv = {command};
        argv.insert(argv.end(), args.begin(), args.end());
        const bool one_screen = name.ends_with("on one screen");
        const Ran r = run(dir, argv, ".out", one_screen ? ".out" : ".err");
        EXPECT_EQ("status " + std::to_string(r.status) + (one_screen ? "\n--- screen\n" : "\n--- out\n") + r.out +
                      (one_screen ? "" : "--- err\n" + r.err),
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
    dir.write("-", kTrueFalse + "P");
    std::filesystem::create_directory(dir.file("folder.tav"));
    expect_runs(dir, TAVOLIN_CHECK_BINARY, "check",
                {{"all good", {"good.tav", "warned.tav"}},
                 {"errors and summaries on one screen", {"good.tav", "broken.tav", "good.tav", "warned.tav"}},
                 {"unreadable files and errors", {"missing.tav", "folder.tav", "broken.tav"}},
                 {"a file named -", {"-"}},
                 {"no file", {}},
                 {"an unknown option", {"--bogus", "good.tav"}}, {"--help", {"--help"}}, {"--version", {"--version"}}});
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
    dir.write("empty.csf", "");
    dir.write("garbled.csf", "garbled\r\n");
    expect_runs(dir, TAVOLIN_LOG_BINARY, "log",
                {{"the log here", {}},
                 {"two logs as CSV", {"--csv", "Encrypted_file.csf", "altered.csf"}},
                 {"an altered log", {"altered.csf"}},
                 {"a missing log", {"missing.csf", "altered.csf"}},
                 {"an empty log and one whose only line is unreadable", {"empty.csf", "garbled.csf"}},
                 {"an unknown option", {"-x"}}, {"--help", {"--help"}}, {"--version", {"--version"}}});
    // The table fits the 80 columns of a terminal for names of 20 characters,
    // one log or several.
    dir.write("long.csf", sound.substr(0, sound.find('\n') + 1).replace(sound.find("cows.tav"), 8, std::string(20, 'n')));
    for (const std::string& out : {run(dir, {TAVOLIN_LOG_BINARY, "long.csf"}).out,
                                   run(dir, {TAVOLIN_LOG_BINARY, "long.csf", "altered.csf", "garbled.csf"}).out}) {
        EXPECT_NE(out.find(std::string(20, 'n') + "\n"), std::string::npos);
        for (std::size_t at = 0, end; (end = out.find('\n', at)) != std::string::npos; at = end + 1) EXPECT_LE(end - at, 80U) << out;
    }
    EXPECT_EQ(dir.read(kLogFileName), sound);
    EXPECT_EQ(dir.read("altered.csf"), altered + "\r\n");
}

// Every command with standard output or standard error that cannot be
// written: a full disk, and a pipe whose reader has gone (with SIGPIPE at its
// default, and ignored as it may be by a parent); typed out in
// companions.txt. Each reads "quit" on standard input (started by sh, which
// leaves an ignored SIGPIPE ignored).
TEST(Commands, WritesThatFail) {
    test::TempDir dir;
    dir.write("cows.tav", kTrueFalse + "P");
    dir.write("quit", "quit\n");
    const std::string bin = std::filesystem::path(TAVOLIN_BINARY).parent_path().string() + "/";
    std::string got;
    for (const std::string command : {"tavolin-check cows.tav", "tavolin-check --help", "tavolin-log --help",
                                      "tavolin --help", "tavolin --version", "tavolin", "tavolin --bogus"}) {
        for (const auto& [out, err] : {std::pair{"/dev/full", ".err"}, {"|", ".err"}, {"| SIGPIPE ignored", ".err"},
                                       {".out", "/dev/full"}}) {
            const Ran r = run(dir, {"/bin/sh", "-c", "exec " + bin + command}, out, err, "quit");
            got += command + " >" + out + " 2>" + err + ": " + std::to_string(r.status) + "\n" + r.err;
        }
    }
    EXPECT_EQ(got, test::block("companions.txt", "writes that fail") + "\n");
}

}  // namespace
}  // namespace tavolin
