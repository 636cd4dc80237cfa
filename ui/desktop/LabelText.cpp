#include "ui/desktop/LabelText.h"

#include <cctype>

#include "ui/FileOpenDialog.h"

namespace ui {

namespace {

void AppendEscaped(std::string& out, char c) {
    switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        default:
            out += c;
    }
}

// Bytes of the UTF-8 character that starts with lead.
std::size_t CharLength(unsigned char lead) {
    if (lead >= 0xF0)
        return 4;
    if (lead >= 0xE0)
        return 3;
    if (lead >= 0xC0)
        return 2;
    return 1;
}

}  // namespace

std::string MnemonicToMarkup(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '&') {
            AppendEscaped(out, c);
            continue;
        }
        if (i + 1 >= text.size())
            break;  // a lone "&" at the end marks nothing
        if (text[i + 1] == '&') {
            out += "&amp;";
            ++i;
            continue;
        }
        std::size_t length =
            std::min(CharLength(static_cast<unsigned char>(text[i + 1])), text.size() - (i + 1));
        out += "<u>";
        for (std::size_t k = 0; k < length; ++k)
            AppendEscaped(out, text[i + 1 + k]);
        out += "</u>";
        i += length;
    }
    return out;
}

char MnemonicLetter(std::string_view text) {
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&')
            continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        unsigned char letter = static_cast<unsigned char>(text[i + 1]);
        return std::isalnum(letter) ? static_cast<char>(std::tolower(letter)) : 0;
    }
    return 0;
}

std::string WithoutMnemonics(std::string_view text) {
    std::string shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size())
            ++i;
        else if (text[i] == '&')
            continue;
        shown += text[i];
    }
    return shown;
}

std::string WrapLabel(std::string_view text, int width,
                      const std::function<int(const std::string&)>& measure) {
    std::string wrapped;
    std::size_t lineStart = 0;
    while (lineStart <= text.size()) {
        std::size_t lineEnd = text.find('\n', lineStart);
        if (lineEnd == std::string_view::npos)
            lineEnd = text.size();
        std::string_view line = text.substr(lineStart, lineEnd - lineStart);
        std::string current;
        std::size_t wordStart = 0;
        while (wordStart <= line.size()) {
            std::size_t wordEnd = line.find(' ', wordStart);
            if (wordEnd == std::string_view::npos)
                wordEnd = line.size();
            std::string word(line.substr(wordStart, wordEnd - wordStart));
            std::string candidate = current.empty() ? word : current + ' ' + word;
            if (!current.empty() && measure(WithoutMnemonics(candidate)) > width) {
                wrapped += current + '\n';
                current = word;
            } else {
                current = candidate;
            }
            wordStart = wordEnd + 1;
        }
        wrapped += current;
        if (lineEnd < text.size())
            wrapped += '\n';
        lineStart = lineEnd + 1;
    }
    return wrapped;
}

std::string WildcardFromFilter(const std::string& filter) {
    std::string wildcard;
    for (const auto& [name, pattern] : ParseFileFilter(filter)) {
        if (!wildcard.empty())
            wildcard += '|';
        wildcard += name + '|' + pattern;
    }
    return wildcard;
}

}  // namespace ui
