// Writes deterministic benchmark data: a list of all addresses, a list of
// responders and a free text holding the same addresses in prose.
//
//   mordavelle-generate COUNT FOLDER [SEED]
//
// The numbers come straight from std::mt19937_64, whose output the standard
// fixes, so the same seed gives the same files with every compiler.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kFirst[] = {"anna", "bengt", "cecilia", "david", "elin", "fredrik", "greta", "hugo",
    "ida", "jonas", "karin", "lars", "maja", "nils", "olivia", "per", "rut", "sven", "tova", "ulf", "vera",
    "william", "yvonne", "zara", "agnes", "bertil", "dagny", "erik", "frida", "gustav", "hanna", "isak"};
constexpr std::string_view kLast[] = {"andersson", "berg", "carlsson", "dahl", "ek", "falk", "gustafsson", "holm",
    "isaksson", "johansson", "karlsson", "lind", "magnusson", "nilsson", "olsson", "persson", "qvist", "rosen",
    "svensson", "wallin", "lundqvist", "nyberg", "sjoberg", "ahlgren"};
constexpr std::string_view kDepartments[] = {"hr", "it", "finance", "sales", "research", "legal", "support",
    "logistics", "marketing", "press", "library", "facilities"};
constexpr std::string_view kOrganisations[] = {"mordavelle", "northwind", "kvarnby", "lindholm", "example"};
constexpr std::string_view kDomains[] = {"se", "com", "org", "net", "eu"};
constexpr std::string_view kWords[] = {"please", "answer", "the", "meeting", "is", "on", "friday", "and", "we",
    "need", "a", "room", "for", "about", "twenty", "people", "thanks", "to", "everyone", "who", "wrote"};

class Random {
public:
    explicit Random(std::uint64_t seed) : engine_(seed) {}
    std::size_t below(std::size_t bound) { return static_cast<std::size_t>(engine_() % bound); }
    bool chance(unsigned percent) { return below(100) < percent; }
    template <typename T, std::size_t N>
    std::string_view pick(const T (&items)[N]) { return items[below(N)]; }

private:
    std::mt19937_64 engine_;
};

std::string make_address(Random& random, std::size_t number)
{
    std::string address{random.pick(kFirst)};
    address += '.';
    address += random.pick(kLast);
    address += std::to_string(number);
    address += '@';
    address += random.pick(kDepartments);
    address += '.';
    address += random.pick(kOrganisations);
    address += '.';
    address += random.pick(kDomains);
    return address;
}

void write_lines(const std::filesystem::path& path, const std::vector<std::string>& lines)
{
    std::FILE* file = std::fopen(path.string().c_str(), "wb");
    if (file == nullptr) {
        std::perror(path.string().c_str());
        std::exit(1);
    }
    for (const std::string& line : lines) {
        std::fwrite(line.data(), 1, line.size(), file);
        std::fputc('\n', file);
    }
    std::fclose(file);
}

// The address dressed as people write it in mail: bare, in angle brackets or
// parentheses, after a display name, ending a sentence, or as a mailto link.
std::string in_prose(Random& random, const std::string& address)
{
    std::string text;
    for (std::size_t words = 1 + random.below(6); words > 0; --words) {
        text += random.pick(kWords);
        text += ' ';
    }
    switch (random.below(6)) {
    case 0: return text + address;
    case 1: return text + "<" + address + ">,";
    case 2: return text + "(" + address + ")";
    case 3: return text + "\"Someone Else\" <" + address + ">";
    case 4: return text + address + ".";
    default: return text + "mailto:" + address + ";";
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fputs("usage: mordavelle-generate COUNT FOLDER [SEED]\n", stderr);
        return 2;
    }
    const std::size_t count = std::strtoull(argv[1], nullptr, 10);
    const std::filesystem::path folder = argv[2];
    Random random(argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 20261208);
    std::filesystem::create_directories(folder);

    std::vector<std::string> all;
    all.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        if (!all.empty() && random.chance(2)) {
            all.push_back(all[random.below(all.size())]);  // about 2% are repeats
            continue;
        }
        std::string address = make_address(random, i);
        if (random.chance(5))
            address[0] = static_cast<char>(address[0] - ('a' - 'A'));
        all.push_back(std::move(address));
    }

    std::vector<std::string> responders;
    responders.reserve(count / 2);
    for (const std::string& address : all) {
        if (random.chance(40))
            responders.push_back(address);
        if (random.below(1000) < 10)
            responders.push_back(make_address(random, count + responders.size()));  // about 1% unknown
    }

    std::vector<std::string> prose;
    prose.reserve(count);
    for (const std::string& address : all)
        prose.push_back(in_prose(random, address));

    write_lines(folder / "all.txt", all);
    write_lines(folder / "resp.txt", responders);
    write_lines(folder / "text.txt", prose);
    return 0;
}
