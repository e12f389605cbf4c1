// Hints to the system and the processor about memory the program is about to
// use. Only hints: the program works the same whether they are taken or not.
#pragma once

#include <cstddef>

namespace platform {

// Asks the system to back a large buffer with large pages. Called on fresh
// memory before it is first touched: where the system offers them, one fault
// then maps two megabytes instead of four kilobytes, and filling a list of
// forty megabytes costs a few milliseconds instead of a tenth of a second.
// Systems without the means do nothing; on Windows large pages need a
// privilege that users do not hold.
#if defined(_WIN32)
inline void prefer_large_pages(void* /*data*/, std::size_t /*bytes*/) {}
#else
void prefer_large_pages(void* data, std::size_t bytes);
#endif

// Tells the processor that the bytes at `address` will be read soon, so that a
// walk through entries that lie far apart in memory (a sorted list, a hash
// table) does not wait for each of them in turn.
inline void prefetch(const void* address)
{
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(address);
#else
    (void)address;
#endif
}

}  // namespace platform
