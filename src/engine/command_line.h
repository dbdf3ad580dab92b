#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cm {

// One way of reading a command as a program and its arguments.
struct ProgramCall {
    std::string program;
    std::vector<std::string> arguments;

    friend bool operator==(const ProgramCall&, const ProgramCall&) = default;
};

// Reading the command text of a task. A command is typed by the user as one line, so which
// part is the program is not marked: a program path may itself hold blanks, and a quoted
// program is the only unambiguous form.
class CommandLine {
public:
    // Splits parameters as a POSIX shell splits words, with nothing expanded: blanks (space,
    // tab, newline) separate words; a backslash takes the next character literally; single
    // quotes keep everything up to the next single quote; double quotes keep everything up to
    // the next double quote except that a backslash there escapes only \ " $ ` and newline.
    // Quoted empty text ("" or '') is an empty word. An unbalanced quote runs to the end.
    static std::vector<std::string> splitWords(std::string_view text);

    // The readings to try in turn, without repeats or empty programs, for a command whose trailing blanks are
    // ignored:
    //  1. the whole command as the program, without arguments;
    //  2. the first split: a leading double quote opens the program and the next double quote
    //     ends it, else the program ends at the first blank (one at the very end does not
    //     count); without a split point the program is the whole command without its leading
    //     quote;
    //  3. only when the first split found its point: each blank from the next-to-last
    //     character back to the third, the text before it as the program.
    // The text after the program, leading blanks removed, gives the arguments by splitWords().
    static std::vector<ProgramCall> readings(std::string_view command);

    // "scheme:rest" with a scheme of two or more characters (so "C:" is no URL) and no blank.
    static bool isUrl(std::string_view text);
};

}  // namespace cm
