// Turns the raw bytes a terminal sends into keys, with no I/O of its own.
//
// The caller feeds bytes together with the time they arrived and asks for the
// keys that are complete. Everything a keyboard can send falls in one of these
// classes:
//   - a character: printable ASCII, Tab, or one whole UTF-8 sequence;
//   - Enter (CR or LF; an LF right after a CR belongs to the same Enter);
//   - Backspace (DEL 0x7f or BS 0x08);
//   - Escape: an ESC byte with nothing behind it for kEscTimeoutMs;
//   - Ctrl-D (0x04), which ends input on an empty line;
//   - an ignored key: any escape sequence (CSI "ESC [ ... final" as sent by
//     the arrows, Home/End, Insert, Delete, PgUp/PgDn and F5-F12, with rxvt's
//     "ESC [ 2 $" for its Shift-modified keys; SS3 "ESC O x", with optional
//     digit parameters, as sent by F1-F4 and the arrows in application mode;
//     "ESC [ [ x" as the Linux console sends F1-F5), an Alt-modified key (ESC
//     followed by any byte within the timeout, Enter and Backspace included),
//     or any other control byte.
// An unfinished sequence is never taken for Escape: a sequence cut off by the
// timeout is reported as an ignored key, because Escape would wipe the line.
// The timeout counts from the latest byte of the sequence.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tavolin {

struct Key {
    enum class Kind : std::uint8_t { Char, Enter, Backspace, Escape, CtrlD, Ignored, EndOfFile };

    Kind kind = Kind::Ignored;
    std::array<char, 4> bytes{};  // the character's bytes, for Kind::Char
    std::uint8_t size = 0;        // how many of bytes are in use

    [[nodiscard]] std::string_view text() const { return {bytes.data(), size}; }
    static Key of(Kind k) {
        Key key;
        key.kind = k;
        return key;
    }
    static Key character(std::string_view s);
};

class KeyDecoder {
public:
    static constexpr std::uint64_t kEscTimeoutMs = 50;

    // Takes one byte that arrived at now_ms (a monotonic millisecond clock).
    void feed(unsigned char byte, std::uint64_t now_ms);
    // Tells the decoder that now_ms has come with no further byte: a lone ESC
    // older than the timeout becomes Escape, a cut-off sequence an ignored key,
    // and an unfinished UTF-8 sequence is given up as the bytes it had.
    void expire(std::uint64_t now_ms);
    // Like expire, whatever the time: no more bytes will ever come.
    void finish();

    // The next complete key, if any.
    std::optional<Key> take();
    // When the caller must call expire if no byte arrives before then.
    [[nodiscard]] std::optional<std::uint64_t> deadline() const;

private:
    enum class State : std::uint8_t { Ground, Esc, Csi, Ss3, Utf8 };

    void ground(unsigned char byte);
    void push(const Key& key);
    void start_utf8(unsigned char lead, std::uint8_t length, std::uint64_t now_ms, bool alt);
    void flush_utf8();

    State state_ = State::Ground;
    std::uint64_t latest_ms_ = 0;  // when the latest byte of an unfinished key came
    bool after_cr_ = false;
    bool csi_first_ = false;  // no byte after "ESC [" yet
    std::array<char, 4> utf8_{};
    std::uint8_t utf8_have_ = 0;
    std::uint8_t utf8_need_ = 0;
    bool utf8_alt_ = false;  // the character follows an ESC (Alt): it gives no key
    // A byte can complete at most three keys (a cut-off UTF-8 sequence, then
    // the byte itself), so a tiny ring is enough.
    std::array<Key, 4> queue_{};
    std::size_t head_ = 0;
    std::size_t count_ = 0;
};

}  // namespace tavolin
