#include "tools/tmplc/source_lines.h"

#include "tools/tmplc/source_error.h"

#include <sstream>

namespace tmplc {
namespace {

class LineTokenizer {
public:
    LineTokenizer(const std::string& file, int number, const std::string& line)
        : file_(file)
        , number_(number)
        , line_(line)
    {
    }

    std::vector<Token> tokens()
    {
        std::vector<Token> tokens;
        while (skipSpaces())
            tokens.push_back(line_[pos_] == '"' ? quoted() : word());
        return tokens;
    }

private:
    bool skipSpaces()
    {
        while (pos_ < line_.size() && (line_[pos_] == ' ' || line_[pos_] == '\t'))
            ++pos_;
        return pos_ < line_.size();
    }

    Token quoted()
    {
        Token token { {}, true };
        for (++pos_; pos_ < line_.size(); ++pos_) {
            char c = line_[pos_];
            if (c == '"') {
                ++pos_;
                return token;
            }
            if (c == '\\')
                c = escape();
            token.text += c;
        }
        throw SourceError(file_, number_, "unterminated string");
    }

    char escape()
    {
        if (++pos_ == line_.size())
            throw SourceError(file_, number_, "unterminated string");
        switch (line_[pos_]) {
        case 'n':
            return '\n';
        case 'r':
            return '\r';
        case 't':
            return '\t';
        case '"':
            return '"';
        case '\\':
            return '\\';
        }
        throw SourceError(file_, number_, std::string("unknown escape \\") + line_[pos_]);
    }

    Token word()
    {
        Token token;
        int depth = 0;
        for (; pos_ < line_.size(); ++pos_) {
            char c = line_[pos_];
            if (depth == 0 && (c == ' ' || c == '\t'))
                break;
            depth += c == '(' ? 1 : c == ')' ? -1 : 0;
            if (c != ' ' && c != '\t')
                token.text += c;
        }
        if (depth != 0)
            throw SourceError(file_, number_, "unclosed parenthesis in '" + token.text + "'");
        return token;
    }

    const std::string& file_;
    int number_;
    const std::string& line_;
    std::size_t pos_ = 0;
};

bool isComment(const std::string& line)
{
    auto first = line.find_first_not_of(" \t");
    return first == std::string::npos || line[first] == '#';
}

} // namespace

std::vector<SourceLine> splitSourceLines(const std::string& file, const std::string& text)
{
    std::vector<SourceLine> lines;
    std::istringstream in(text);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (isComment(line))
            continue;
        bool indented = line[0] == ' ' || line[0] == '\t';
        auto tokens = LineTokenizer(file, number, line).tokens();
        bool continuation
            = indented && tokens.front().quoted && !lines.empty() && lines.back().indented;
        if (continuation)
            lines.back().tokens.insert(lines.back().tokens.end(), tokens.begin(), tokens.end());
        else
            lines.push_back({ number, indented, std::move(tokens) });
    }
    return lines;
}

} // namespace tmplc
