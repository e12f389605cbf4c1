#pragma once

#include <string>

namespace casing {

// Every English capital letter A-Z of the text lowered; other bytes unchanged.
std::string fCaser(std::string text);

// The first byte raised when it is an English small letter a-z; the rest unchanged.
std::string fUpper(std::string text);

}  // namespace casing
