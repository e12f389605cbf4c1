// Every end-to-end dialogue in tests/cases, run by the recording build: the
// console output, the exit status, the recorded pauses, tones and removals,
// and the folder's files afterwards, byte for byte.
#include "e2e.h"
#include "platform/help_frame.h"
#include "commands.h"

#include <gtest/gtest.h>

namespace {

class Dialogue : public testing::TestWithParam<e2e::Case> {};

TEST_P(Dialogue, RunsAsRecorded)
{
    e2e::check(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Cases, Dialogue,
    testing::ValuesIn(e2e::load_cases({{"@help", platform::help_frame("Mordsavelle", mordavelle::kHelpText)}})),
    e2e::case_name);

}  // namespace
