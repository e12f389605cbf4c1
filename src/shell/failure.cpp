#include "shell/failure.h"

#include "platform/console.h"
#include "shell/console.h"

namespace shell {

constexpr unsigned kFailurePauseMs = 2000;

void end_program(int status)
{
    throw ProgramEnd{status};
}

void fail(std::string_view message, std::string_view name, std::string_view closing_word)
{
    print_line_with_name(message, name);
    print_line(closing_word);
    platform::pause(kFailurePauseMs);
    end_program();
}

}  // namespace shell
