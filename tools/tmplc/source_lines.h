#pragma once
// The lexical layer of a template source: logical lines of tokens.
//
// A line starting in column 0 opens a section ("window …", "Label 标签1 …"); an indented line
// is an attribute of the current section. Blank lines and lines whose first character other
// than a space is '#' are ignored. An indented line that starts with a quoted string
// continues the attribute above it, so long texts can span lines.
//
// Tokens are words or quoted strings (escapes \n \r \t \" \\). A word that opens a
// parenthesis runs to the closing one, so "rgb(0, 96, 192)" is one token.

#include <string>
#include <vector>

namespace tmplc {

struct Token {
    std::string text; // a string's text without quotes, escapes resolved
    bool quoted = false;
};

struct SourceLine {
    int number = 0; // 1-based line number of the line's start
    bool indented = false;
    std::vector<Token> tokens;
};

// Throws SourceError on an unterminated string, an unknown escape or an unclosed parenthesis.
std::vector<SourceLine> splitSourceLines(const std::string& file, const std::string& text);

} // namespace tmplc
