#include "ground/console/key_decoder.hpp"

#include <algorithm>

#include "ground/base/utf8.hpp"

namespace tavolin {

namespace {

constexpr unsigned char kEsc = 0x1b;

}  // namespace

Key Key::character(std::string_view s) {
    Key key;
    key.kind = Kind::Char;
    key.size = static_cast<std::uint8_t>(std::min<std::size_t>(s.size(), key.bytes.size()));
    std::copy_n(s.begin(), key.size, key.bytes.begin());
    return key;
}

void KeyDecoder::push(const Key& key) {
    if (count_ == queue_.size()) return;  // cannot happen: see the size note
    queue_[(head_ + count_) % queue_.size()] = key;
    ++count_;
}

std::optional<Key> KeyDecoder::take() {
    if (count_ == 0) return std::nullopt;
    Key key = queue_[head_];
    head_ = (head_ + 1) % queue_.size();
    --count_;
    return key;
}

std::optional<std::uint64_t> KeyDecoder::deadline() const {
    switch (state_) {
        case State::Ground: return std::nullopt;
        default: return latest_ms_ + kEscTimeoutMs;
    }
}

void KeyDecoder::start_utf8(unsigned char lead, std::uint8_t length, std::uint64_t now_ms, bool alt) {
    utf8_[0] = static_cast<char>(lead);
    utf8_have_ = 1;
    utf8_need_ = length;
    utf8_alt_ = alt;
    state_ = State::Utf8;
    latest_ms_ = now_ms;
}

void KeyDecoder::flush_utf8() {
    // An unfinished or broken sequence: keep the bytes as single characters
    // rather than lose what was typed. The line editor never splits them.
    // Behind Alt it gives no character at all.
    if (utf8_alt_) {
        push(Key::of(Key::Kind::Ignored));
    } else {
        for (std::uint8_t i = 0; i < utf8_have_; ++i) push(Key::character(std::string_view(&utf8_[i], 1)));
    }
    utf8_have_ = 0;
    utf8_need_ = 0;
    state_ = State::Ground;
}

void KeyDecoder::feed(unsigned char byte, std::uint64_t now_ms) {
    // A sequence that is still arriving is alive: the timeout counts from its
    // latest byte, so a sequence split over a slow link is not cut off with
    // its tail typed into the answer.
    if (state_ != State::Ground) latest_ms_ = now_ms;
    switch (state_) {
        case State::Esc:
            if (byte == '[') {
                state_ = State::Csi;
                csi_first_ = true;
            } else if (byte == 'O') {
                state_ = State::Ss3;
            } else if (byte == kEsc) {
                // ESC ESC: the first one is an Alt prefix of what follows
                // (some terminals send Alt+arrow so); keep waiting.
            } else if (const std::uint8_t n = utf8::sequence_length(byte); n > 1) {
                // Alt plus a UTF-8 character: the whole character gives no
                // key, so that none of its bytes lands in an answer.
                start_utf8(byte, n, now_ms, true);
            } else {
                // Alt plus a key, a control key included: Alt+Enter must not
                // wipe the line and send it, nor Alt+Backspace wipe it.
                push(Key::of(Key::Kind::Ignored));
                state_ = State::Ground;
            }
            return;
        case State::Csi:
            if (csi_first_ && byte == '[') {
                // The Linux console's F1-F5: ESC [ [ and one letter.
                state_ = State::Ss3;
                return;
            }
            csi_first_ = false;
            // Parameters and intermediates, but for '$': rxvt ends its
            // Shift-modified keys with it (ESC [ 2 $ is Shift+Insert), and no
            // key sends it as an intermediate.
            if (byte >= 0x20 && byte <= 0x3f && byte != '$') return;
            state_ = State::Ground;
            push(Key::of(Key::Kind::Ignored));
            if ((byte >= 0x40 && byte <= 0x7e) || byte == '$') return;  // the final byte
            feed(byte, now_ms);  // a broken sequence: the byte is a key of its own
            return;
        case State::Ss3:
            // Digits and ';' are parameters, as in ESC O 2 P (Shift+F1 from
            // xterm in its legacy mode and Konsole); the letter ends the key.
            if ((byte >= '0' && byte <= '9') || byte == ';') return;
            state_ = State::Ground;
            push(Key::of(Key::Kind::Ignored));
            if (byte >= 0x20 && byte <= 0x7e) return;
            feed(byte, now_ms);
            return;
        case State::Utf8:
            if (utf8::is_continuation(byte)) {
                utf8_[utf8_have_++] = static_cast<char>(byte);
                if (utf8_have_ == utf8_need_) {
                    push(utf8_alt_ ? Key::of(Key::Kind::Ignored)
                                   : Key::character(std::string_view(utf8_.data(), utf8_have_)));
                    utf8_have_ = 0;
                    state_ = State::Ground;
                }
                return;
            }
            flush_utf8();
            feed(byte, now_ms);
            return;
        case State::Ground:
            if (byte == kEsc) {
                after_cr_ = false;
                state_ = State::Esc;
                latest_ms_ = now_ms;
                return;
            }
            if (const std::uint8_t n = utf8::sequence_length(byte); n > 1) {
                after_cr_ = false;
                start_utf8(byte, n, now_ms, false);
                return;
            }
            ground(byte);
            return;
    }
}

void KeyDecoder::ground(unsigned char byte) {
    const bool after_cr = after_cr_;
    after_cr_ = false;
    if (byte == '\r') {
        after_cr_ = true;
        push(Key::of(Key::Kind::Enter));
    } else if (byte == '\n') {
        if (!after_cr) push(Key::of(Key::Kind::Enter));
    } else if (byte == 0x7f || byte == 0x08) {
        push(Key::of(Key::Kind::Backspace));
    } else if (byte == 0x04) {
        push(Key::of(Key::Kind::CtrlD));
    } else if (byte == '\t' || (byte >= 0x20 && byte < 0x7f)) {
        const char c = static_cast<char>(byte);
        push(Key::character(std::string_view(&c, 1)));
    } else if (byte >= 0x80) {
        // A byte that cannot start UTF-8 (a stray continuation, 0xc0, 0xc1,
        // 0xf5-0xff): kept in the line as typed (the echo shows it as '?').
        const char c = static_cast<char>(byte);
        push(Key::character(std::string_view(&c, 1)));
    } else {
        push(Key::of(Key::Kind::Ignored));  // any other control byte
    }
}

void KeyDecoder::expire(std::uint64_t now_ms) {
    const auto due = deadline();
    if (!due || now_ms < *due) return;
    finish();
}

void KeyDecoder::finish() {
    switch (state_) {
        case State::Ground: return;
        case State::Esc: push(Key::of(Key::Kind::Escape)); break;
        case State::Csi:
        case State::Ss3: push(Key::of(Key::Kind::Ignored)); break;
        case State::Utf8: flush_utf8(); return;
    }
    state_ = State::Ground;
}

}  // namespace tavolin
