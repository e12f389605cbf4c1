#include "platform/help_frame.h"

#include <algorithm>

namespace platform {

// The frame takes "| " on the left and " |" on the right of every line.
constexpr std::size_t kFrameColumns = 4;

std::vector<std::string> wrap_text(std::string_view text, std::size_t width)
{
    // A line must hold at least one character, or a long word would never end.
    width = std::max<std::size_t>(width, 1);
    std::vector<std::string> lines;
    std::size_t at = 0;
    while ((at = text.find_first_not_of(' ', at)) != std::string_view::npos) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        std::string_view word = text.substr(at, end - at);
        at = end;
        if (!lines.empty() && lines.back().size() + 1 + word.size() <= width) {
            lines.back().append(1, ' ').append(word);
            continue;
        }
        // A word too long for any line fills whole lines; its rest begins the next.
        for (; word.size() > width; word.remove_prefix(width))
            lines.emplace_back(word.substr(0, width));
        lines.emplace_back(word);
    }
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
        for (const auto& line : block)
            frame.append("| ").append(line).append(inner - line.size(), ' ').append(" |\n");
        frame += rule;
    }
    return frame;
}

}  // namespace platform
