// Micro-benchmarks of the core routines on generated addresses.
#include "shell/list_file.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>

namespace {

std::string address_text(std::size_t count)
{
    std::mt19937_64 random(42);
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += "first";
        text += std::to_string(random() % 100000);
        text += ".last@dept";
        text += std::to_string(random() % 50);
        text += ".example.se\n";
    }
    return text;
}

void split_entries(benchmark::State& state)
{
    const std::string text = address_text(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(shell::split_entries(text));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(split_entries)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
