#include "platform/help_frame.h"

#include <algorithm>

namespace platform {
namespace {

// The frame takes "| " on the left and " |" on the right of every line.
constexpr std::size_t kFrameColumns = 4;

}  // namespace

std::vector<std::string> wrap_text(std::string_view text, std::size_t width)
{
    // A line must hold at least one character, or a long word would never end.
    width = std::max<std::size_t>(width, 1);
    std::vector<std::string> lines;
    std::string line;
    std::size_t at = 0;
    while (true) {
        at = text.find_first_not_of(' ', at);
        if (at == std::string_view::npos)
            break;
        const std::size_t end = std::min(text.find(' ', at), text.size());
        std::string_view word = text.substr(at, end - at);
        at = end;

        if (!line.empty() && line.size() + 1 + word.size() <= width) {
            line += ' ';
            line += word;
            continue;
        }
        if (!line.empty())
            lines.push_back(std::move(line));
        line.clear();
        // A word too long for any line fills whole lines; its rest begins the next.
        while (word.size() > width) {
            lines.emplace_back(word.substr(0, width));
            word.remove_prefix(width);
        }
        line = word;
    }
    if (!line.empty())
        lines.push_back(std::move(line));
    return lines;
}

std::string help_frame(std::string_view caption, std::string_view text, std::size_t width)
{
    const std::size_t line_width = width > kFrameColumns ? width - kFrameColumns : 1;
    const std::vector<std::vector<std::string>> blocks = {wrap_text(caption, line_width), wrap_text(text, line_width)};

    std::size_t inner = 0;
    for (const auto& block : blocks) {
        for (const auto& line : block)
            inner = std::max(inner, line.size());
    }
    std::string rule(inner + kFrameColumns, '-');
    rule.front() = '+';
    rule.back() = '+';
    rule += '\n';

    std::string frame = rule;
    for (const auto& block : blocks) {
        for (const auto& line : block) {
            frame += "| ";
            frame += line;
            frame.append(inner - line.size(), ' ');
            frame += " |\n";
        }
        frame += rule;
    }
    return frame;
}

}  // namespace platform
