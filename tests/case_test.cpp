#include "entries.h"

#include <gtest/gtest.h>

namespace {

TEST(CaseRoutines, ChangeTheTwentySixEnglishLettersAndNoOtherByte)
{
    std::string every_byte;
    for (int byte = 0; byte < 256; ++byte)
        every_byte += static_cast<char>(byte);
    std::string lowered = every_byte;
    mordavelle::fCaser(lowered);
    for (int byte = 0; byte < 256; ++byte) {
        const bool capital = byte >= 'A' && byte <= 'Z';
        const bool small = byte >= 'a' && byte <= 'z';
        EXPECT_EQ(lowered[byte], static_cast<char>(capital ? byte + 32 : byte)) << byte;
        EXPECT_EQ(mordavelle::fUpper(static_cast<char>(byte)), static_cast<char>(small ? byte - 32 : byte)) << byte;
    }
}

}  // namespace
