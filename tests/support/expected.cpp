#include "support/expected.hpp"

#include <fstream>
#include <iterator>

namespace tavolin::test {

namespace {

std::string slurp(std::string_view file) {
    std::ifstream in(std::string(TAVOLIN_TEST_DATA) + "/" + std::string(file), std::ios::binary);
    if (!in) throw std::runtime_error("no data file " + std::string(file));
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    for (std::size_t at = text.find("@VERSION@"); at != std::string::npos; at = text.find("@VERSION@")) text.replace(at, 9, TAVOLIN_VERSION);
    return text;
}

}  // namespace

std::string block(std::string_view file, std::string_view name) {
    const std::string text = "\n" + slurp(file);
    const std::string head = "\n=== " + std::string(name) + "\n";
    const std::size_t at = text.find(head);
    if (at == std::string::npos) throw std::runtime_error("no block " + std::string(name));
    const std::size_t from = at + head.size();
    const std::size_t to = text.find("\n=== ", from - 1);
    if (to == from - 1) return {};  // an empty block
    return text.substr(from, to == std::string::npos ? text.size() - from - 1 : to - from);
}

std::vector<std::string> table(std::string_view file) {
    std::vector<std::string> rows;
    const std::string text = slurp(file);
    for (std::size_t at = 0, end = 0; at < text.size(); at = end + 1) {
        end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string row = text.substr(at, end - at);
        if (row.empty() || row[0] == '#') continue;
        if (row.back() != '|') throw std::runtime_error("row without its end mark: " + row);
        rows.push_back(row.substr(0, row.size() - 1));
    }
    return rows;
}

std::string render(std::string_view transcript) {
    std::string out;
    int set = 15;
    int shown = 15;
    for (std::size_t i = 0; i < transcript.size(); ++i) {
        if (transcript.substr(i, 2) == "{c" && transcript[i + 2] >= '0' && transcript[i + 2] <= '9') {
            const std::size_t close = transcript.find('}', i);
            set = std::stoi(std::string(transcript.substr(i + 2, close - i - 2)));
            i = close;
        } else if (transcript[i] == '{') {
            const std::size_t close = transcript.find('}', i);
            out += transcript.substr(i, close - i + 1);
            i = close;
        } else {
            if (set != shown && transcript[i] != '\n') out += "{c" + std::to_string(shown = set) + "}";
            out += transcript[i];
        }
    }
    if (set != 15) out += "{c" + std::to_string(set) + "}";
    return out;
}

}  // namespace tavolin::test
