#include "engine/command_line.h"

#include <algorithm>

#include "base/fixed_text.h"

namespace cm {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::string_view dropLeadingBlanks(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    return text;
}

bool isSchemeChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' || c == '-' ||
           c == '.';
}

}  // namespace

std::vector<std::string> CommandLine::splitWords(std::string_view text) {
    std::vector<std::string> words;
    std::string word;
    // A word exists once anything, even an empty pair of quotes, has been read into it.
    bool inWord = false;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        const char c = text[i];
        if (isBlank(c)) {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
            ++i;
            continue;
        }
        inWord = true;
        if (c == '\\') {
            // A backslash as the very last character has nothing to escape and stays.
            word += i + 1 < n ? text[i + 1] : '\\';
            i += 2;
        } else if (c == '\'') {
            const std::size_t end = text.find('\'', i + 1);
            const std::size_t stop = end == std::string_view::npos ? n : end;
            word.append(text.substr(i + 1, stop - i - 1));
            i = stop + 1;
        } else if (c == '"') {
            ++i;
            while (i < n && text[i] != '"') {
                if (text[i] == '\\' && i + 1 < n) {
                    const char next = text[i + 1];
                    if (next == '\\' || next == '"' || next == '$' || next == '`' || next == '\n') {
                        word += next;
                        i += 2;
                        continue;
                    }
                }
                word += text[i++];
            }
            ++i;  // the closing quote, or past the end
        } else {
            word += c;
            ++i;
        }
    }
    if (inWord) words.push_back(std::move(word));
    return words;
}

std::vector<ProgramCall> CommandLine::readings(std::string_view command) {
    const std::string_view cmd = FixedText::trimTrailingBlanks(command);
    std::vector<ProgramCall> out;
    auto add = [&out](std::string_view program, std::string_view parameters) {
        if (program.empty()) return;
        ProgramCall call{std::string(program), splitWords(dropLeadingBlanks(parameters))};
        if (std::find(out.begin(), out.end(), call) == out.end()) out.push_back(std::move(call));
    };

    add(cmd, {});

    bool split = false;
    if (!cmd.empty() && cmd.front() == '"') {
        const std::string_view rest = cmd.substr(1);
        const std::size_t quote = rest.find('"');
        split = quote != std::string_view::npos;
        if (split)
            add(rest.substr(0, quote), rest.substr(quote + 1));
        else
            add(rest, {});
    } else {
        const std::size_t blank = cmd.find(' ');
        split = blank != std::string_view::npos && blank + 1 < cmd.size();
        if (split)
            add(cmd.substr(0, blank), cmd.substr(blank + 1));
        else
            add(cmd, {});
    }

    if (split && cmd.size() >= 3) {
        for (std::size_t i = cmd.size() - 2; i >= 2; --i) {
            if (cmd[i] == ' ') add(FixedText::trimTrailingBlanks(cmd.substr(0, i)), cmd.substr(i + 1));
        }
    }
    return out;
}

bool CommandLine::isUrl(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon < 2 || colon + 1 >= text.size()) return false;
    const char first = text.front();
    if (!((first >= 'a' && first <= 'z') || (first >= 'A' && first <= 'Z'))) return false;
    if (!std::all_of(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(colon), isSchemeChar)) return false;
    return std::none_of(text.begin(), text.end(), isBlank);
}

}  // namespace cm
