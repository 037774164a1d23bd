// The real tavolin.exe under Wine in a pseudo-terminal of 80 by 25, as a user
// at a terminal would run it. Wine draws the console in its own way (a clear
// as rows of blanks, "\r\r\n" line ends, the cursor hidden around every
// update, moves by "ESC [ n D" and "ESC [ row ; col H"), so what the screen
// shows is rebuilt from the bytes, cell by cell with its colour, and compared.
//
//   wine_tests [gtest options] path/to/tavolin.exe
//
// Wine must be set up by the caller (WINEPREFIX, a running wineserver).
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
std::string tavolin_exe;

// A terminal screen of 25 rows of 80 cells, each cell one character and the
// console colour (0 to 15) it was written in.
struct Screen {
    static constexpr int kRows = 25, kCols = 80;
    struct Cell {
        std::string ch = " ";
        int colour = 7;
    };
    std::vector<std::vector<Cell>> cells{kRows, std::vector<Cell>(kCols)};
    int row = 0, col = 0, colour = 7, unknown = 0;
    bool wrap = false;  // a character stands in the last column: the next one wraps
    std::string seq;    // an escape sequence not yet complete

    void down() {
        if (row + 1 < kRows) return void(++row);
        cells.erase(cells.begin());
        cells.emplace_back(kCols);
    }
    void control(char final, const std::string& params) {
        if (!params.empty() && params[0] == '?') return;  // the cursor shown or hidden
        std::vector<int> n;
        std::stringstream in(params);
        for (std::string part; std::getline(in, part, ';');) n.push_back(part.empty() ? 0 : std::stoi(part));
        auto arg = [&](std::size_t i) { return i < n.size() && n[i] > 0 ? n[i] : 1; };
        if (final != 'm') wrap = false;
        // SGR colours are red 1, green 2, blue 4; the console's blue 1, green 2, red 4.
        auto console = [](int c) { return (c & 1) * 4 + (c & 2) + (c & 4) / 4; };
        switch (final) {
            case 'm':
                for (int v : n.empty() ? std::vector<int>{0} : n) {
                    if (v == 0 || v == 39) colour = 7;
                    if (v >= 30 && v <= 37) colour = console(v - 30);
                    if (v >= 90 && v <= 97) colour = 8 + console(v - 90);
                }
                return;
            case 'H': row = arg(0) - 1, col = arg(1) - 1; return;
            case 'C': col = std::min(col + arg(0), kCols - 1); return;
            case 'D': col = std::max(col - arg(0), 0); return;
            case 'K': std::fill(cells[row].begin() + col, cells[row].end(), Cell{}); return;
            default: ++unknown;
        }
    }
    void feed(std::string_view bytes) {
        for (const char ch : bytes) {
            const auto byte = static_cast<unsigned char>(ch);
            if (!seq.empty()) {
                seq += ch;
                if (seq.size() == 2 && ch != '[') {
                    ++unknown;  // only CSI sequences are expected
                    seq.clear();
                } else if (seq.size() > 2 && byte >= 0x40 && byte <= 0x7e) {
                    control(ch, seq.substr(2, seq.size() - 3));
                    seq.clear();
                }
            } else if (ch == '\x1b') {
                seq = ch;
            } else if (ch == '\r' || ch == '\n' || ch == '\b') {
                if (ch == '\n') down();
                col = ch == '\r' ? 0 : ch == '\b' ? std::max(col - 1, 0) : col;
                wrap = false;
            } else if ((byte & 0xc0) == 0x80) {
                cells[row][wrap ? col : std::max(col - 1, 0)].ch += ch;  // the rest of a UTF-8 character
            } else if (byte >= 0x20) {
                if (wrap) {
                    col = 0;
                    down();
                }
                cells[row][col] = {std::string(1, ch), colour};
                wrap = col + 1 == kCols;
                col = std::min(col + 1, kCols - 1);
            }
        }
    }
    [[nodiscard]] std::string text(int r) const {
        std::string s;
        for (const Cell& c : cells[r]) s += c.ch;
        return s.substr(0, s.find_last_not_of(' ') + 1);
    }
    [[nodiscard]] int find(const std::string& s) const {
        for (int r = 0; r < kRows; ++r) if (text(r).find(s) != std::string::npos) return r;
        return -1;
    }
};

// tavolin.exe (or a companion with its arguments) started by wine in a
// pseudo-terminal, in a new folder of the test's own (with the given files
// in it), removed at the end. Wine maps names and arguments through the
// locale: a UTF-8 one keeps them whole.
class Wine {
public:
    explicit Wine(const std::vector<std::string>& files = {}, std::vector<std::string> command = {}) {
        if (command.empty()) command = {tavolin_exe};
        command.insert(command.begin(), "wine");
        std::vector<char*> argv;
        for (std::string& word : command) argv.push_back(word.data());
        argv.push_back(nullptr);
        fs::create_directories(dir);
        for (const std::string& name : files) std::ofstream(dir / name).close();
        winsize size{Screen::kRows, Screen::kCols, 0, 0};
        pid_ = forkpty(&fd_, nullptr, nullptr, &size);
        if (pid_ == 0) {
            if (chdir(dir.c_str()) != 0) _exit(126);
            setenv("LC_ALL", "C.UTF-8", 1);
            execvp("wine", argv.data());
            _exit(127);
        }
        tcgetattr(fd_, &before_);
    }
    ~Wine() {
        if (status_ < 0) kill(pid_, SIGKILL), waitpid(pid_, nullptr, 0);
        close(fd_);
        fs::remove_all(dir);
    }
    // Types keys once Wine has the terminal in raw mode (until then the terminal would take them as a line).
    void type(std::string_view keys) {
        until([&] { termios t{}; return tcgetattr(fd_, &t) == 0 && (t.c_lflag & ICANON) == 0; });
        ASSERT_EQ(write(fd_, keys.data(), keys.size()), ssize_t(keys.size()));
    }
    // Reads output until test holds (true) or 20 s have gone by (false).
    bool until(const std::function<bool()>& test) {
        for (const auto end = Clock::now() + std::chrono::seconds(20); !test(); read_for(50)) {
            if (Clock::now() > end) return false;
        }
        return true;
    }
    bool see(const std::string& s) { return until([&] { return screen.find(s) >= 0; }); }
    bool at(const std::string& row) { return until([&] { return screen.text(screen.row) == row; }); }
    // Waits for a prompt ("> " at the cursor, no output for 300 ms), then types an answer and Enter.
    bool answer(const std::string& keys) {
        const bool ok = until([&] {
            const std::string r = screen.text(screen.row);
            return !r.empty() && r.back() == '>' && !read_for(300);
        });
        type(keys + "\r");
        return ok;
    }
    int exit_status() {
        until([&] { return waitpid(pid_, &status_, WNOHANG) == pid_; });
        return WIFEXITED(status_) ? WEXITSTATUS(status_) : 128 + WTERMSIG(status_);
    }
    void expect_terminal_given_back() const {
        termios now{};
        ASSERT_EQ(tcgetattr(fd_, &now), 0);
        EXPECT_EQ(now.c_iflag, before_.c_iflag);
        EXPECT_EQ(now.c_oflag, before_.c_oflag);
        EXPECT_EQ(now.c_lflag, before_.c_lflag);
        EXPECT_EQ(std::memcmp(now.c_cc, before_.c_cc, sizeof now.c_cc), 0);
    }
    const fs::path dir = fs::temp_directory_path() / ("tavolin-wine-" + std::to_string(getpid()) + "-" +
                                                      testing::UnitTest::GetInstance()->current_test_info()->name());
    Screen screen;

private:
    // Output for up to ms milliseconds; false when none came.
    bool read_for(int ms) {
        pollfd p{fd_, POLLIN, 0};
        char buf[4096];
        if (poll(&p, 1, ms) <= 0) return false;
        const ssize_t n = read(fd_, buf, sizeof buf);
        if (n > 0) screen.feed(std::string_view(buf, static_cast<std::size_t>(n)));
        return n > 0;
    }
    int fd_ = -1, status_ = -1;
    pid_t pid_ = -1;
    termios before_{};
};

std::string read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(WineTest, TitleScreenInColourLineEditingAndQuit) {
    Wine w;
    ASSERT_TRUE(w.at("Numbers 1-4   >"));
    std::ifstream expected(std::string(TAVOLIN_TEST_DATA) + "/wine/title.txt");
    std::string text, colours;
    for (int r = 0; std::getline(expected, text);) {
        if (text.rfind('#', 0) == 0) continue;
        std::getline(expected, colours);
        text.resize(text.find_last_not_of(' ') + 1);
        ASSERT_EQ(w.screen.text(r).size(), text.size()) << "row " << r << ": " << w.screen.text(r);
        for (std::size_t c = 0; c < text.size(); ++c) {
            const auto& cell = w.screen.cells[r][c];
            if (text[c] != '?') {
                EXPECT_EQ(cell.ch, std::string(1, text[c])) << "row " << r << " column " << c;
            }
            if (cell.ch != " ") {
                EXPECT_EQ(cell.colour, std::stoi(colours.substr(c, 1), nullptr, 16)) << "row " << r << " column " << c;
            }
        }
        ++r;
    }
    // Backspace takes a whole UTF-8 character, Esc the whole line (it must come
    // alone under Wine), an arrow nothing: "men", Left, "u" is the word menu.
    for (const auto& [keys, row] : std::vector<std::pair<std::string, std::string>>{
             {"mx", "Numbers 1-4   > mx"}, {"\x7f", "Numbers 1-4   > m"}, {"\xc3\xa9", "Numbers 1-4   > m\xc3\xa9"},
             {"\x7f", "Numbers 1-4   > m"}, {"\x1b", "Numbers 1-4   >"}, {"men\x1b[D", "Numbers 1-4   > men"}}) {
        w.type(keys);
        EXPECT_TRUE(w.at(row)) << w.screen.text(w.screen.row);
    }
    w.type("u\r");
    ASSERT_TRUE(w.see("***  MENU  ***"));
    EXPECT_EQ(w.screen.cells[1][37].colour, 15);
    w.type("quit\r");
    EXPECT_TRUE(w.see("Thank you for using Tavolin."));
    EXPECT_EQ(w.exit_status(), 0);
    EXPECT_EQ(w.screen.unknown, 0);
    w.expect_terminal_given_back();
}

// At the menu after a quiz in report mode, with text typed: the report gets
// its closing lines first.
TEST(WineTest, CtrlCFinishesTheReportEndsTheRunAndGivesTheTerminalBack) {
    Wine w;
    std::ofstream(w.dir / "q.tav", std::ios::binary) << "t\r\nCows moo.\r\n2\r\nTrue\r\nFalse\r\n1\r\nP";
    for (const char* keys : {"3", "q.tav", "1"}) ASSERT_TRUE(w.answer(keys)) << keys;
    ASSERT_TRUE(w.see("Press the delete key to continue"));
    w.type("he");
    ASSERT_TRUE(w.at("Numbers 1-3   > he"));
    w.type("\x03");
    EXPECT_EQ(w.exit_status(), 0xC000013A & 0xff);  // Windows' status of a Ctrl-C, as Wine passes it on
    w.expect_terminal_given_back();
    EXPECT_TRUE(read_file(w.dir / "report.txt").ends_with("100.00%.\r\n \r\nThank you for using Tavolin!!\r\n"));
}

// The worked example of a quiz of all three kinds made, its bytes, then taken
// in report mode (with a byte-order mark put before it, as a Windows editor
// would) to the grade; the report and the results log it leaves.
TEST(WineTest, MakeTakeInReportModeAndLog) {
    Wine w({"Encrypted_file.csf"});
    for (const char* keys : {"1", "q1.tav", "T", "The sun rises in the east.", "t", "y", "m",
                             "Which of these animals is a mammal?", "3", "Shark", "Dolphin", "Trout", "2", "y", "F",
                             "The capital of France is ____.", " Paris ", "n"}) {
        ASSERT_TRUE(w.answer(keys)) << keys;
    }
    ASSERT_TRUE(w.answer("3"));
    // The answers may run ahead of a slow Wine; the quiz file is whole once the next dialogue begins.
    ASSERT_TRUE(w.see("What quiz file would you like to use?"));
    const std::string quiz =
        "T\r\nThe sun rises in the east.\r\n2\r\nTrue\r\nFalse\r\n1\r\nm\r\nWhich of these animals is a mammal?\r\n3\r\n"
        "Shark\r\nDolphin\r\nTrout\r\n2\r\nF\r\nThe capital of France is ____.\r\n1\r\nParis\r\n1\r\nP";
    EXPECT_EQ(read_file(w.dir / "q1.tav"), quiz);
    std::ofstream(w.dir / "q1.tav", std::ios::binary) << "\xEF\xBB\xBF" << quiz;
    ASSERT_TRUE(w.answer("q1.tav"));
    for (int q = 1; q <= 3; ++q) {
        ASSERT_TRUE(w.until([&] { return w.screen.find("Question " + std::to_string(q) + " out of 3") >= 0; }));
        ASSERT_TRUE(w.until([&] { return !w.screen.text(w.screen.row).empty() && w.screen.text(w.screen.row).back() == '>'; }));
        // True/False in file order; the number shown before Dolphin; Paris.
        const int m = w.screen.find(") Dolphin"), fill = w.screen.find("Fill in the Blank: ");
        EXPECT_TRUE(m >= 0 || fill >= 0 || w.screen.find("    1)  True    2) False") >= 0);
        ASSERT_TRUE(w.answer(fill >= 0 ? "Paris" : m >= 0 ? w.screen.text(m).substr(w.screen.text(m).find(") D") - 1, 1) : "1"));
        ASSERT_TRUE(w.see("Your answer is  *correct*"));
        for (int c = 16; c < 25; ++c) EXPECT_EQ(w.screen.cells[w.screen.find("*correct*")][c].colour, 9);
    }
    ASSERT_TRUE(w.see("Press the delete key to continue"));
    EXPECT_GE(w.screen.find("Your grade on the quiz is A, with a 100.00%."), 0);
    const int r = w.screen.find("Press the delete key");
    for (int c = 0; c < 32; ++c) EXPECT_EQ(w.screen.cells[r][c].colour, c >= 10 && c < 20 ? 12 : 15) << c;
    w.type("3");  // the key that ends the wait stands at the start of the next answer
    ASSERT_TRUE(w.at("Numbers 1-3   > 3"));
    w.type("\r");
    EXPECT_EQ(w.exit_status(), 0);
    EXPECT_EQ(w.screen.unknown, 0);
    const std::string report = read_file(w.dir / "report.txt");
    ASSERT_EQ(report.substr(0, 82), std::string(80, '*') + "\r\n");
    EXPECT_EQ(report.substr(6 * 82, 82), std::string(80, '*') + "\r\n");
    EXPECT_EQ(report.substr(7 * 82), " \r\nOn Quiz 1 using file, 'q1.tav' you missed 0\r\nout of 3, your score was 100.00%.\r\n"
                                     " \r\nThank you for using Tavolin!!\r\n");
    // Three events (made, opened, graded), each a line of nineteen numbers and the name.
    EXPECT_TRUE(std::regex_match(read_file(w.dir / "Encrypted_file.csf"), std::regex("((-?[0-9]+ ){19}q1\\.tav\r\n){3}")));
}

// A quiz with a UTF-8 name made and taken in tavolin.exe: the name stands
// on disk as typed, tavolin-check takes it as an argument and shows it on a
// console window, and tavolin-log writes it, redirected, as UTF-8 bytes.
TEST(WineTest, UnicodeFileNameThroughAllThreePrograms) {
    const std::string name = "caf\xC3\xA9\xE6\x97\xA5\xE6\x9C\xAC.tav";  // café日本.tav
    Wine w({"Encrypted_file.csf"});
    for (const std::string keys : {"1", name.c_str(), "t", "Le caf\xC3\xA9 est noir.", "t", "n", "2", name.c_str(), "1"}) {
        ASSERT_TRUE(w.answer(keys)) << keys;
    }
    ASSERT_TRUE(w.see("Press the delete key to continue"));
    w.type("4");
    ASSERT_TRUE(w.at("Numbers 1-4   > 4"));
    w.type("\r");
    EXPECT_EQ(w.exit_status(), 0);
    EXPECT_EQ(read_file(w.dir / name), "t\r\nLe caf\xC3\xA9 est noir.\r\n2\r\nTrue\r\nFalse\r\n1\r\nP");
    const std::string exe = fs::path(tavolin_exe).parent_path().string();
    Wine check({}, {exe + "/tavolin-check.exe", name});
    EXPECT_TRUE(check.see(name + ": 1 question: 1 true/false, 0 multiple choice, 0 fill in the blank"));
    EXPECT_EQ(check.exit_status(), 0);
    // Redirected, the rows made, opened and graded with the name as UTF-8 bytes.
    ASSERT_EQ(std::system(("cd '" + w.dir.string() + "' && LC_ALL=C.UTF-8 wine " + exe + "/tavolin-log.exe >out.txt").c_str()), 0);
    EXPECT_TRUE(std::regex_search(read_file(w.dir / "out.txt"),
                                  std::regex("([^\n]* (made|opened|graded) [^\n]* caf\xC3\xA9\xE6\x97\xA5\xE6\x9C\xAC\\.tav\r\n){3}")));
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);  // leaves argv[1], the path of tavolin.exe
    if (argc == 2) tavolin_exe = fs::absolute(argv[1]).string();
    return argc == 2 ? RUN_ALL_TESTS() : 2;
}
