// Fuzz target: key decoding and line editing over a fuzzed byte stream.
//
// The first input byte chooses a mode; the rest is read in one of two ways.
//
// Raw mode: the bytes are cut into bursts (a header byte gives the length of
// the burst that follows in its low six bits, and in its top two bits how the
// next answer is read). Bursts arrive a second apart, as the scripted console
// delivers them. The same bursts go two ways:
//   - straight through KeyDecoder and LineEditor, key by key, where every key
//     is checked against what it did to the line;
//   - through ScriptedConsole and Console's read_line / read_char /
//     read_number / wait_key, whose answers and screen must agree with the
//     lines of the first way.
// Structured mode: the bytes pick keys a terminal can send (printable
// characters, UTF-8 characters, Backspace, Enter in its three forms, a lone
// Esc, the escape sequences of the cursor, editing and function keys, other
// control bytes, Tab, Ctrl-D, Alt keys) and a model of the editing rules gives the
// exact lines expected; the lines read must be those.
//
// What a finished line must be, whatever the input:
//   - at most 254 bytes;
//   - no control byte: nothing from 0x00 to 0x1f but Tab (a typed Tab is a
//     character, which the number reading treats as a blank), no 0x7f, and
//     so no ESC and nothing else of an escape sequence;
//   - made of whole characters. A character is what the decoder gives as one
//     key: a UTF-8 lead byte with exactly the continuation bytes it
//     announces, or else one single byte (an ASCII byte, a stray continuation
//     byte, 0xc0, 0xc1, 0xf5 to 0xff, or a lead byte whose sequence was cut off
//     by another byte or by the timeout). The 254-byte limit refuses a
//     character that does not fit whole, and Backspace takes away whole
//     characters only (single bytes that together read as one UTF-8
//     character go together), so no key is ever cut in two, and a line typed
//     from valid UTF-8 is valid UTF-8.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "invariant.hpp"
#include "ground/base/errors.hpp"
#include "ground/base/text_width.hpp"
#include "ground/console/line_editor.hpp"
#include "support/scripted_console.hpp"
#include "ground/base/utf8.hpp"

namespace {

using tavolin::Key;
using tavolin::KeyDecoder;
using tavolin::LineEditor;

using fuzzing::check;
using fuzzing::fail;

bool is_control(unsigned char c) { return (c < 0x20 && c != '\t') || c == 0x7f; }

// Strict UTF-8: shortest forms only, no surrogates, nothing above U+10FFFF.
bool valid_utf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t n = 0;
        std::uint32_t cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        }
        if (c >= 0xc2 && c <= 0xdf) {
            n = 2;
            cp = c & 0x1fU;
        } else if (c >= 0xe0 && c <= 0xef) {
            n = 3;
            cp = c & 0x0fU;
        } else if (c >= 0xf0 && c <= 0xf4) {
            n = 4;
            cp = c & 0x07U;
        } else {
            return false;
        }
        if (i + n > s.size()) return false;
        for (std::size_t k = 1; k < n; ++k) {
            const auto d = static_cast<unsigned char>(s[i + k]);
            if (!tavolin::utf8::is_continuation(d)) return false;
            cp = (cp << 6) | (d & 0x3fU);
        }
        if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10ffff)) || (cp >= 0xd800 && cp <= 0xdfff))
            return false;
        i += n;
    }
    return true;
}

void check_line_bytes(std::string_view line) {
    check(line.size() <= LineEditor::kMaxBytes, "a line holds more than 254 bytes");
    for (const char c : line) check(!is_control(static_cast<unsigned char>(c)), "a control byte in a line");
}

// A key as the decoder must give it: a character is one byte, or a lead byte
// with exactly the continuation bytes it announces.
void check_key(const Key& key) {
    if (key.kind != Key::Kind::Char) {
        check(key.size == 0, "a key that is no character carries bytes");
        return;
    }
    check(key.size >= 1 && key.size <= 4, "a character key of no size");
    if (key.size == 1) return;
    const auto lead = static_cast<unsigned char>(key.bytes[0]);
    check(tavolin::utf8::sequence_length(lead) == key.size, "a multi-byte key whose lead announces another length");
    for (std::size_t i = 1; i < key.size; ++i)
        check(tavolin::utf8::is_continuation(static_cast<unsigned char>(key.bytes[i])),
              "a multi-byte key with a byte that does not continue it");
}

// The input as the scripted console delivers it: each burst a second after
// the one before, every byte of a burst at the same moment.
struct Burst {
    std::string bytes;
    int read_mode = 0;
};

// The scripted console's way of turning the bursts into keys, step for step.
class KeySource {
public:
    explicit KeySource(const std::vector<Burst>& bursts) {
        std::uint64_t time = 0;
        for (const Burst& b : bursts) {
            time += 1000;
            for (const char c : b.bytes) input_.emplace_back(static_cast<unsigned char>(c), time);
        }
    }
    Key next() {
        for (;;) {
            if (auto key = decoder_.take()) return *key;
            if (pos_ == input_.size()) {
                decoder_.finish();
                if (auto key = decoder_.take()) return *key;
                return Key::of(Key::Kind::EndOfFile);
            }
            const auto [byte, time] = input_[pos_++];
            decoder_.expire(time);
            decoder_.feed(byte, time);
        }
    }

private:
    std::vector<std::pair<unsigned char, std::uint64_t>> input_;
    std::size_t pos_ = 0;
    KeyDecoder decoder_;
};

// Every line the editor finishes from the bursts, each key checked against
// the change it made. Stops at the end of input; more keys than that never
// come, so the loop ends.
std::vector<std::string> edit_lines(const std::vector<Burst>& bursts) {
    std::vector<std::string> lines;
    KeySource source(bursts);
    for (;;) {
        LineEditor editor;
        // For each byte of the line, the number of the key it came from.
        // (0 for the bytes of a key that is not UTF-8, shown and erased as
        // one '?' a byte).
        std::vector<std::uint32_t> owner;
        std::string screen;  // what the echo shows of the line
        std::uint32_t key_number = 0;
        bool all_valid = true;  // every character key taken is valid UTF-8
        for (;;) {
            const Key key = source.next();
            ++key_number;
            check_key(key);
            const std::string before = editor.text();
            const LineEditor::Effect effect = editor.apply(key);
            const std::string& after = editor.text();
            check(!(effect.done && effect.end_of_input), "a line both finished and the input ended");
            switch (key.kind) {
                case Key::Kind::Char:
                    if (after.size() == before.size()) {
                        check(before.size() + key.size > LineEditor::kMaxBytes, "a character refused with room left");
                        check(effect.echo.empty(), "a refused character was echoed");
                    } else {
                        check(after == before + std::string(key.text()), "a character not added whole at the end");
                        const bool valid = valid_utf8(key.text());
                        owner.insert(owner.end(), key.size, valid ? key_number : 0);
                        if (!valid) all_valid = false;
                    }
                    break;
                case Key::Kind::Backspace:
                case Key::Kind::Escape: {
                    check(after.size() <= before.size() && before.compare(0, after.size(), after) == 0,
                          "an erase that changed more than the end of the line");
                    if (!before.empty()) check(after.size() < before.size(), "an erase of a line that erased nothing");
                    if (key.kind == Key::Kind::Escape) check(after.empty(), "Esc left text in the line");
                    // The cut falls between two keys.
                    if (!after.empty() && after.size() < before.size())
                        check(owner[after.size()] == 0 || owner[after.size() - 1] != owner[after.size()],
                              "Backspace cut a character in two");
                    owner.resize(after.size());
                    check(effect.erase.empty() == (after.size() == before.size()),
                          "the erased echo does not match the erased text");
                    break;
                }
                default:
                    check(after == before, "a key that gives no character changed the line");
                    break;
            }
            // The echo takes back only what it showed, and then shows the
            // line in its screen form.
            check(screen.ends_with(effect.erase), "an erase of echo that was never shown");
            screen.resize(screen.size() - effect.erase.size());
            screen += effect.echo;
            check(screen == tavolin::screen_form(after), "the echo does not show the line");
            check_line_bytes(after);
            if (effect.end_of_input) {
                check(after.empty(), "the input ended with text in the line");
                return lines;
            }
            if (effect.done) {
                if (all_valid) check(valid_utf8(after), "a line typed in valid UTF-8 is not valid UTF-8");
                lines.push_back(after);
                break;
            }
        }
    }
}

// What the screen must show of a finished line: its screen form.
std::string echo_of(std::string_view line) { return tavolin::screen_form(line); }

// The number Console::read_number must give for a line, worked out apart.
std::optional<tavolin::NumberInput> number_of(std::string_view line) {
    const std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos) return std::nullopt;  // a blank line is passed over
    std::size_t end = line.find_first_of(" \t", start);
    if (end == std::string_view::npos) end = line.size();
    std::string_view word = line.substr(start, end - start);
    bool negative = false;
    if (word.front() == '+' || word.front() == '-') {
        negative = word.front() == '-';
        word.remove_prefix(1);
    }
    tavolin::NumberInput n;
    if (word.empty()) return n;
    long long magnitude = 0;
    for (const char c : word) {
        if (c < '0' || c > '9') return n;
        if (magnitude < 1000000) magnitude = magnitude * 10 + (c - '0');
    }
    long long value = negative ? -magnitude : magnitude;
    if (value > 32767) value = 32767;
    if (value < -32768) value = -32768;
    n.value = static_cast<std::int16_t>(value);
    n.ok = true;
    return n;
}

// Reads through the console services until the input ends and compares every
// answer and the whole screen with the lines the editor finished.
void read_through_console(const std::vector<Burst>& bursts, const std::vector<std::string>& lines) {
    tavolin::ScriptedConsole con;
    for (const Burst& b : bursts) con.type(b.bytes);
    std::string screen;
    std::size_t next = 0;
    // A line the console must have read: it must be the next one of the editor.
    auto take = [&](const std::string& got) {
        check(next < lines.size(), "the console read a line the editor never finished");
        check(got == lines[next], "the console read another line than the editor");
        screen += echo_of(got);
        screen += '\n';
        ++next;
    };
    try {
        for (std::size_t turn = 0;; ++turn) {
            const int mode = bursts.empty() ? 0 : bursts[turn % bursts.size()].read_mode;
            switch (mode) {
                case 0:
                    take(con.read_line());
                    break;
                case 1: {
                    const char c = con.read_char();
                    check(next < lines.size(), "read_char read past the last line");
                    const std::string& line = lines[next];
                    check(c == (line.empty() ? '\r' : line.front()), "read_char gave another character");
                    take(line);
                    break;
                }
                case 2: {
                    const tavolin::NumberInput n = con.read_number();
                    // Blank lines before the number are passed over.
                    while (next < lines.size() && !number_of(lines[next])) take(lines[next]);
                    check(next < lines.size(), "read_number read past the last line");
                    const auto expected = number_of(lines[next]);
                    check(n.ok == expected->ok && (!n.ok || n.value == expected->value),
                          "read_number gave another number");
                    take(lines[next]);
                    break;
                }
                default:
                    // Ctrl-D only ends the key wait, where the editor takes it
                    // for the end of the input: past the editor's last line
                    // the two part ways, so the reading stops there.
                    if (next == lines.size()) throw tavolin::EndOfInput();
                    con.wait_key();
                    take(con.read_line());
                    break;
            }
            check(con.text() == screen, "the screen does not show the lines read");
        }
    } catch (const tavolin::EndOfInput&) {
    }
    // A read_number that met the end of input may have passed over blank lines.
    while (next < lines.size() && !number_of(lines[next])) {
        screen += echo_of(lines[next]) + '\n';
        ++next;
    }
    check(next == lines.size(), "the console stopped before the editor's last line");
    check(con.text() == screen, "the screen does not show the lines read");
}

void run_raw(const std::uint8_t* data, std::size_t size) {
    std::vector<Burst> bursts;
    std::size_t i = 0;
    while (i < size) {
        const std::uint8_t header = data[i++];
        const std::size_t length = std::min<std::size_t>(header & 0x3fU, size - i);
        bursts.push_back({std::string(reinterpret_cast<const char*>(data + i), length), header >> 6});
        i += length;
    }
    const std::vector<std::string> lines = edit_lines(bursts);
    read_through_console(bursts, lines);
}

// ---- structured mode ----

// Key sequences of the cursor, editing and function keys, in the forms that
// xterm, the Linux console and VT100 application mode send, with modifiers,
// and a few other sequences a terminal may report.
constexpr std::string_view kSequences[] = {
    "\x1b[A",    "\x1b[B",    "\x1b[C",     "\x1b[D",    "\x1b[H",      "\x1b[F",     "\x1b[1~",    "\x1b[2~",
    "\x1b[3~",   "\x1b[4~",   "\x1b[5~",    "\x1b[6~",   "\x1bOA",      "\x1bOB",     "\x1bOC",     "\x1bOD",
    "\x1bOH",    "\x1bOF",    "\x1bOP",     "\x1bOQ",    "\x1bOR",      "\x1bOS",     "\x1b[11~",   "\x1b[15~",
    "\x1b[17~",  "\x1b[24~",  "\x1b[1;5A",  "\x1b[1;2D", "\x1b[3;5~",   "\x1b[[A",    "\x1b[[E",    "\x1b[200~",
    "\x1b[201~", "\x1b[?1;2c", "\x1b[12;40R", "\x1b\x1b[A", "\x1b\x1bOB", "\x1b\x61",      "\x1bx",      "\x1b ",
    "\x1b[I",    "\x1b[O",    "\x1b[M",     "\x1b[Z",     "\x1bO2P",    "\x1bO5A",    "\x1bO1;2Q",  "\x1b[2$",
    "\x1b[7$",   "\x1b[2^",   "\x1b[2@",    "\x1b\r",     "\x1b\x7f",   "\x1b\x08",
};
constexpr std::string_view kUtf8Chars[] = {"\xc3\xa9", "\xc3\xb1", "\xe2\x82\xac", "\xe4\xb8\xad",
                                           "\xf0\x9d\x84\x9e", "\xf0\x9f\x90\x84", "\xc2\xa0", "\xef\xbf\xbd"};
constexpr unsigned char kOtherControls[] = {0x00, 0x01, 0x02, 0x03, 0x05, 0x06, 0x07, 0x0b, 0x0c, 0x0e,
                                            0x0f, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18,
                                            0x19, 0x1a, 0x1c, 0x1d, 0x1e, 0x1f};

// The editing rules, on whole characters.
class Model {
public:
    void character(std::string_view c) {
        if (bytes_ + c.size() > LineEditor::kMaxBytes) return;
        chars_.emplace_back(c);
        bytes_ += c.size();
    }
    void backspace() {
        if (chars_.empty()) return;
        bytes_ -= chars_.back().size();
        chars_.pop_back();
    }
    void escape() {
        chars_.clear();
        bytes_ = 0;
    }
    [[nodiscard]] bool empty() const { return chars_.empty(); }
    std::string finish() {
        std::string s;
        for (const std::string& c : chars_) s += c;
        escape();
        return s;
    }

private:
    std::vector<std::string> chars_;
    std::size_t bytes_ = 0;
};

void run_structured(const std::uint8_t* data, std::size_t size, bool wait_first) {
    std::vector<Burst> bursts(1);
    std::vector<std::string> expected;
    Model model;
    bool ended = false;   // Ctrl-D on an empty line: no line after it
    bool after_cr = false;  // the last byte sent was a CR
    auto send = [&](std::string_view bytes) {
        bursts.back().bytes += bytes;
        after_cr = !bytes.empty() && bytes.back() == '\r';
    };
    auto brk = [&] { bursts.emplace_back(); };
    std::size_t i = 0;
    auto param = [&]() -> std::uint8_t { return i < size ? data[i++] : 0; };
    while (i < size && !ended) {
        const std::uint8_t token = data[i++];
        switch (token % 12) {
            case 0:
            case 1:
            case 2: {  // a printable ASCII character
                const char c = static_cast<char>(0x20 + token / 12 % 95);
                send(std::string_view(&c, 1));
                model.character(std::string_view(&c, 1));
                break;
            }
            case 3: {
                const std::string_view c = kUtf8Chars[param() % std::size(kUtf8Chars)];
                send(c);
                model.character(c);
                break;
            }
            case 4:
                send(token & 0x80 ? "\x08" : "\x7f");
                model.backspace();
                break;
            case 5: {  // Enter as CR, LF or CR LF
                const int form = token / 12 % 3;
                const bool lf_joins = after_cr;
                send(form == 0 ? "\r" : form == 1 ? "\n" : "\r\n");
                if (form == 1 && lf_joins) break;  // the LF of a CR LF split by the token boundary
                expected.push_back(model.finish());
                break;
            }
            case 6:  // a lone Esc: nothing behind it before the timeout
                send("\x1b");
                brk();
                model.escape();
                break;
            case 7:
                if (token & 0x80) {  // Alt and a UTF-8 character
                    send("\x1b");
                    send(kUtf8Chars[param() % std::size(kUtf8Chars)]);
                } else {
                    send(kSequences[param() % std::size(kSequences)]);
                    after_cr = false;  // Alt+Enter's CR belongs to its key: an LF after it is an Enter
                }
                break;
            case 8: {  // a CSI sequence of any parameters and final byte
                std::string seq = "\x1b[";
                const std::uint8_t n = param() % 6;
                // Parameter and intermediate bytes, but for '$', which ends
                // rxvt's shifted keys.
                for (std::uint8_t k = 0; k < n; ++k) {
                    const auto b = static_cast<char>(0x20 + param() % 0x20);
                    seq += b == '$' ? '%' : b;
                }
                char final = static_cast<char>(0x40 + param() % 0x3f);
                // "ESC [ [" is no sequence of its own: it begins the Linux
                // console's F1-F5, which has a letter after it.
                if (n == 0 && final == '[') final = 'A';
                seq += final;
                send(seq);
                break;
            }
            case 9: {
                const auto c = static_cast<char>(kOtherControls[param() % std::size(kOtherControls)]);
                send(std::string_view(&c, 1));
                break;
            }
            case 10:
                if (token & 0x80) {  // Ctrl-D: the end of input on an empty line, else nothing
                    send("\x04");
                    if (model.empty()) ended = true;
                } else {
                    send("\t");
                    model.character("\t");
                }
                break;
            default:
                brk();
                break;
        }
    }
    if (!ended && !model.empty()) expected.push_back(model.finish());  // a last line without Enter

    // The editor, key by key, then the console services.
    const std::vector<std::string> lines = edit_lines(bursts);
    check(lines == expected, "the editor's lines differ from the editing rules");
    tavolin::ScriptedConsole con;
    for (const Burst& b : bursts) con.type(b.bytes);
    std::size_t next = 0;
    try {
        for (;;) {
            if (wait_first && next == expected.size()) break;  // as above: Ctrl-D only ends the wait
            if (wait_first) con.wait_key();
            const std::string line = con.read_line();
            check(next < expected.size(), "the console read a line after the last one");
            check(line == expected[next], "the console read another line than the editing rules give");
            ++next;
        }
    } catch (const tavolin::EndOfInput&) {
    }
    check(next == expected.size(), "the console stopped before the last line");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t mode = data[0];
    if ((mode & 1U) == 0) {
        run_raw(data + 1, size - 1);
    } else {
        run_structured(data + 1, size - 1, (mode & 2U) != 0);
    }
    return 0;
}
