// The two case routines. They know the 26 letters of the English alphabet in
// ASCII and nothing else: no locale, no code page, one byte for one byte.
#pragma once

#include <span>
#include <string>

namespace casing {

// Every English capital letter A-Z of the text lowered; other bytes unchanged.
// An empty text is refused: the message, a pause of three seconds, and the
// end of the program with status 1.
std::string fCaser(std::string text);

// The first byte raised when it is an English small letter a-z; the rest
// unchanged. An empty text is refused as fCaser refuses it.
std::string fUpper(std::string text);

// The byte rule of fUpper for one byte.
constexpr char raised(char byte)
{
    return byte >= 'a' && byte <= 'z' ? static_cast<char>(byte - ('a' - 'A')) : byte;
}

// The byte rule of fCaser over any run of bytes, in place. As it never
// touches white space, lowering a whole list text and then splitting it gives
// exactly the entries that fCaser would give one by one.
void lower_letters(std::span<char> bytes);

}  // namespace casing
