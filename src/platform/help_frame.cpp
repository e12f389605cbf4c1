#include "platform/help_frame.h"

#include <algorithm>

namespace platform {

std::string help_frame(std::string_view caption, std::string_view text)
{
    const std::size_t inner = std::max(caption.size(), text.size());
    std::string rule(inner + 4, '-');
    rule.front() = '+';
    rule.back() = '+';
    rule += '\n';

    std::string frame = rule;
    for (std::string_view content : {caption, text}) {
        frame += "| ";
        frame += content;
        frame.append(inner - content.size(), ' ');
        frame += " |\n";
        frame += rule;
    }
    return frame;
}

}  // namespace platform
