#include "case/case.h"

namespace casing {

std::string fCaser(std::string text)
{
    return text;
}

std::string fUpper(std::string text)
{
    return text;
}

}  // namespace casing
