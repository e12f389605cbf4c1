#include "case/case.h"

#include "platform/console.h"
#include "shell/console.h"
#include "shell/failure.h"

#include <string_view>

namespace casing {
namespace {

constexpr std::string_view kCaserRefusal = "bad string in fCaser, closing...";
constexpr std::string_view kUpperRefusal = "bad string in fUpper, closing...";
constexpr unsigned kRefusalPauseMs = 3000;
constexpr char kCaseDistance = 'a' - 'A';

[[noreturn]] void refuse(std::string_view message)
{
    shell::print_line(message);
    platform::pause(kRefusalPauseMs);
    shell::end_program();
}

}  // namespace

void lower_letters(std::span<char> bytes)
{
    // Every byte is written, changed or not, so that the compiler can lower
    // many bytes in one instruction.
    for (char& byte : bytes)
        byte = static_cast<char>(byte + (static_cast<unsigned char>(byte - 'A') < 26 ? kCaseDistance : 0));
}

std::string fCaser(std::string text)
{
    if (text.empty())
        refuse(kCaserRefusal);
    lower_letters(text);
    return text;
}

std::string fUpper(std::string text)
{
    if (text.empty())
        refuse(kUpperRefusal);
    text.front() = raised(text.front());
    return text;
}

}  // namespace casing
