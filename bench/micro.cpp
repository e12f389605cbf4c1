// Micro-benchmarks of the core routines on generated addresses, a million of
// them unless said otherwise: splitting and counting, the two sorts straight
// from a text, the names, the subtract and join sets, the extraction, and the
// decoding of a list's text.
#include "email_extraction.h"
#include "entries.h"
#include "name_extraction.h"
#include "text_decoder.h"
#include "commands.h"
#include "entry_set.h"
#include "sort.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <span>
#include <string>

namespace {

constexpr std::int64_t kAddresses = 1'000'000;

// Addresses shaped as people have them: first.last<number>@department.organisation.se.
std::string address_text(std::size_t count, std::uint64_t seed = 42)
{
    static const char* const kFirst[] = {"anna", "bengt", "cecilia", "david", "elin", "fredrik", "greta", "hugo"};
    static const char* const kLast[] = {"andersson", "berg", "carlsson", "dahl", "ek", "falk", "holm", "lind"};
    static const char* const kDepartments[] = {"hr", "it", "finance", "sales", "research", "legal"};
    std::mt19937_64 random(seed);
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += kFirst[random() % 8];
        text += '.';
        text += kLast[random() % 8];
        text += std::to_string(random() % 1000000);
        text += '@';
        text += kDepartments[random() % 6];
        text += ".example.se\n";
    }
    return text;
}

// The same addresses in prose, some in brackets or after a display name.
std::string prose_text(std::size_t count)
{
    const std::string addresses = address_text(count);
    std::string text;
    std::size_t number = 0;
    mordavelle::for_each_entry(addresses, [&](std::string_view address) {
        text += "please answer the mail ";
        switch (number++ % 3) {
        case 0: text.append("<").append(address).append(">, "); break;
        case 1: text.append("(").append(address).append(") "); break;
        default: text.append(address).append(".\n"); break;
        }
    });
    return text;
}

void set_bytes(benchmark::State& state, std::size_t bytes)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes));
}

void split_entries(benchmark::State& state)
{
    const std::string text = address_text(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(mordavelle::split_entries(text));
    set_bytes(state, text.size());
}
BENCHMARK(split_entries)->Arg(kAddresses)->Unit(benchmark::kMillisecond);

void count_entries(benchmark::State& state)
{
    const std::string text = address_text(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(mordavelle::count_entries(text));
    set_bytes(state, text.size());
}
BENCHMARK(count_entries)->Arg(kAddresses)->Unit(benchmark::kMillisecond);

void sort_text_by_bytes(benchmark::State& state)
{
    const std::string text = address_text(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(mordavelle::SortedEntries(text, mordavelle::SortKey::whole_entry).size());
    set_bytes(state, text.size());
}
BENCHMARK(sort_text_by_bytes)->Arg(10'000)->Arg(kAddresses)->Unit(benchmark::kMillisecond);

void sort_text_by_department(benchmark::State& state)
{
    const std::string text = address_text(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(mordavelle::SortedEntries(text, mordavelle::SortKey::department).size());
    set_bytes(state, text.size());
}
BENCHMARK(sort_text_by_department)->Arg(kAddresses)->Unit(benchmark::kMillisecond);

void sort_names(benchmark::State& state)
{
    const std::string text = address_text(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        std::string keys = text;
        state.ResumeTiming();
        benchmark::DoNotOptimize(mordavelle::make_name_keys(keys).entries);
        benchmark::DoNotOptimize(mordavelle::SortedEntries(keys, mordavelle::SortKey::whole_entry).size());
    }
    set_bytes(state, text.size());
}
BENCHMARK(sort_names)->Arg(kAddresses)->Unit(benchmark::kMillisecond);

void subtract(benchmark::State& state)
{
    const std::string all_text = address_text(static_cast<std::size_t>(state.range(0)));
    const auto all = mordavelle::split_entries(all_text);
    std::vector<std::string_view> responders;
    for (std::size_t i = 0; i < all.size(); i += 5)
        responders.insert(responders.end(), {all[i], all[i + 1]});
    for (auto _ : state) {
        std::size_t dropped = 0;
        mordavelle::Responders(responders).mark(mordavelle::EntryCursor(all_text),
                                           [&dropped](std::string_view, bool drop) { dropped += drop; });
        benchmark::DoNotOptimize(dropped);
    }
    set_bytes(state, all_text.size());
}
BENCHMARK(subtract)->Arg(kAddresses)->Unit(benchmark::kMillisecond);

void join(benchmark::State& state)
{
    const std::size_t count = static_cast<std::size_t>(state.range(0));
    const std::string first_text = address_text(count, 1);
    const std::string second_text = address_text(count / 2, 2) + address_text(count / 2, 1);
    const std::size_t most = mordavelle::count_entries(first_text) + mordavelle::count_entries(second_text);
    for (auto _ : state) {
        benchmark::DoNotOptimize(mordavelle::join_entries(mordavelle::EntryCursor(first_text),
                                                          mordavelle::EntryCursor(second_text), most));
    }
    set_bytes(state, first_text.size() + second_text.size());
}
BENCHMARK(join)->Arg(kAddresses)->Unit(benchmark::kMillisecond);

void extract_addresses(benchmark::State& state)
{
    const std::string prose = prose_text(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        std::string text = prose;
        state.ResumeTiming();
        mordavelle::break_text(text);
        std::size_t words = 0;
        mordavelle::for_each_word_with_at_signs(text, [&words](std::string_view) { ++words; });
        benchmark::DoNotOptimize(words);
    }
    set_bytes(state, prose.size());
}
BENCHMARK(extract_addresses)->Arg(kAddresses)->Unit(benchmark::kMillisecond);

void decode_plain_text(benchmark::State& state)
{
    // A plain list costs a look at its first bytes, one search for the 0xEF,
    // 0xFE and 0xFF that begin byte-order marks, and under the Windows rule
    // one search for the byte 0x1A.
    std::string text = address_text(kAddresses);
    const auto rule = state.range(0) == 0 ? mordavelle::EofByte::kept : mordavelle::EofByte::blank;
    for (auto _ : state) {
        mordavelle::decode_whole_text(text, rule);
        benchmark::DoNotOptimize(text.data());
    }
    set_bytes(state, text.size());
}
BENCHMARK(decode_plain_text)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The list as a UTF-16LE file, its mark included; with Swedish letters, every
// a and o becomes U+00E4 and U+00F6, which take the decoder's slower way.
std::string utf16_list(bool swedish)
{
    const std::string text = address_text(kAddresses);
    std::string file = "\xFF\xFE";
    file.reserve(2 + 2 * text.size());
    for (const char byte : text) {
        if (swedish && (byte == 'a' || byte == 'o'))
            file.append(byte == 'a' ? "\xE4\0" : "\xF6\0", 2);
        else
            file.append({byte, '\0'});
    }
    return file;
}

void decode_utf16_text(benchmark::State& state)
{
    const std::string file = utf16_list(state.range(0) != 0);
    for (auto _ : state) {
        state.PauseTiming();
        std::string text = file;
        state.ResumeTiming();
        mordavelle::decode_whole_text(text, mordavelle::EofByte::blank);
        benchmark::DoNotOptimize(text.data());
    }
    set_bytes(state, file.size());
}
BENCHMARK(decode_utf16_text)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void decode_utf16_in_pieces(benchmark::State& state)
{
    std::string file = utf16_list(false);
    constexpr std::size_t kPiece = std::size_t{1} << 18;
    std::string out;
    for (auto _ : state) {
        mordavelle::TextDecoder decoder(mordavelle::EofByte::blank);
        std::size_t bytes = 0;
        for (std::size_t at = 0; at < file.size(); at += kPiece)
            bytes += decoder.decode(std::span<char>(file).subspan(at, std::min(kPiece, file.size() - at)), out).size();
        benchmark::DoNotOptimize(bytes += decoder.finish(out).size());
    }
    set_bytes(state, file.size());
}
BENCHMARK(decode_utf16_in_pieces)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
