// The companion commands as a user runs them: what each prints on standard
// output and standard error, and its exit status, typed out in
// tests/data/companions.txt; and the files they read left as they were.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

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

// The command in the folder, its standard output and error caught in files,
// or both in one, as one screen shows them.
Ran run(const test::TempDir& dir, std::vector<std::string> argv, bool one_screen = false) {
    std::vector<char*> args;
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    const std::string out = dir.file(".out");
    const std::string err = dir.file(".err");
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (o < 0 || e < 0 || ::dup2(o, 1) < 0 || ::dup2(one_screen ? o : e, 2) < 0 || ::chdir(dir.path().c_str()) != 0) {
            ::_exit(126);
        }
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    // A CR and a tab are shown as \r and \t, as the expected texts give them.
    const auto shown = [](std::string text) {
        for (const auto& [c, mark] : {std::pair{'\r', "\\r"}, std::pair{'\t', "\\t"}}) {
            for (std::size_t at = text.find(c); at != std::string::npos; at = text.find(c, at + 2)) text.replace(at, 1, mark);
        }
        return text;
    };
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, shown(dir.read(".out")), shown(dir.read(".err"))};
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
        const Ran r = run(dir, argv, one_screen);
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

}  // namespace
}  // namespace tavolin
