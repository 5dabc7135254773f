#include "platform/x11/CommandLineSplit.h"

namespace quorvane {

namespace {

bool isSeparator(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

bool escapableInDoubleQuotes(char c) {
    return c == '$' || c == '`' || c == '"' || c == '\\' || c == '\n';
}

} // namespace

std::optional<std::vector<std::string>> splitCommandLine(std::string_view line) {
    std::vector<std::string> words;
    std::string word;
    // A word exists once anything was seen for it, so that '' and "" give empty words.
    bool inWord = false;
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (isSeparator(c)) {
            if (inWord)
                words.push_back(std::move(word));
            word.clear();
            inWord = false;
            ++i;
        } else if (c == '\'') {
            const std::size_t close = line.find('\'', i + 1);
            if (close == std::string_view::npos)
                return std::nullopt;
            word.append(line.substr(i + 1, close - i - 1));
            inWord = true;
            i = close + 1;
        } else if (c == '"') {
            ++i;
            bool closed = false;
            while (i < line.size()) {
                const char d = line[i];
                if (d == '"') {
                    closed = true;
                    ++i;
                    break;
                }
                if (d == '\\' && i + 1 < line.size() && escapableInDoubleQuotes(line[i + 1])) {
                    if (line[i + 1] != '\n')
                        word += line[i + 1];
                    i += 2;
                    continue;
                }
                word += d;
                ++i;
            }
            if (!closed)
                return std::nullopt;
            inWord = true;
        } else if (c == '\\') {
            if (i + 1 < line.size()) {
                if (line[i + 1] != '\n') {
                    word += line[i + 1];
                    inWord = true;
                }
                i += 2;
            } else {
                // A trailing backslash has nothing to escape and stands for itself.
                word += c;
                inWord = true;
                ++i;
            }
        } else {
            word += c;
            inWord = true;
            ++i;
        }
    }
    if (inWord)
        words.push_back(std::move(word));
    return words;
}

} // namespace quorvane
