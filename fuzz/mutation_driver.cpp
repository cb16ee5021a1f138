// The plain fuzz driver, for machines without a coverage-guided fuzzer: it
// mutates the seed models (numbers above all, then bytes, lines and tokens)
// with a fixed random seed and runs each mutant through the fuzz target.
//
//   korvex_fuzz [-seconds=N] [-runs=N] [-seed=N] [-timeout=S] [-artifact_prefix=P] SEED_DIR...
//
// The mutant about to run is kept in P + "current.sur", so a sanitizer stop
// leaves its input behind; a mutant that takes longer than a second is saved
// as P + "slow-<n>.sur" and fails the pass (one second unless -timeout says otherwise).
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

constexpr std::size_t kMaxInput = 1 << 16;

struct Options {
    double seconds = 60;
    double timeout = 1.0;  // an input slower than this is a finding
    long runs = -1;
    unsigned long seed = 1;
    std::string prefix;
    std::vector<std::string> dirs;
};

std::string read_file(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void write_file(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

using Rng = std::mt19937_64;

std::size_t pick(Rng& rng, std::size_t n) { return n ? std::uniform_int_distribution<std::size_t>(0, n - 1)(rng) : 0; }

// The spans of the numbers in text.
std::vector<std::pair<std::size_t, std::size_t>> number_spans(const std::string& text) {
    std::vector<std::pair<std::size_t, std::size_t>> spans;
    for (std::size_t i = 0; i < text.size();) {
        const bool starts = std::isdigit(static_cast<unsigned char>(text[i])) ||
                            ((text[i] == '-' || text[i] == '.') && i + 1 < text.size() &&
                             std::isdigit(static_cast<unsigned char>(text[i + 1])));
        if (!starts || (i > 0 && std::isalpha(static_cast<unsigned char>(text[i - 1])))) {
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        while (j < text.size() && (std::isdigit(static_cast<unsigned char>(text[j])) || std::strchr(".eE+-", text[j])))
            ++j;
        spans.emplace_back(i, j - i);
        i = j;
    }
    return spans;
}

std::string mutate_number(Rng& rng, const std::string& number) {
    const double v = std::strtod(number.c_str(), nullptr);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    double r = v;
    switch (pick(rng, 8)) {
        case 0: r = v * (1.0 + 0.1 * unit(rng)); break;
        case 1: r = v + unit(rng); break;
        case 2: r = v * std::pow(10.0, 3.0 * unit(rng)); break;
        case 3: r = -v; break;
        case 4: r = 0; break;
        case 5: r = v * 1e12; break;
        case 6: r = v + 1e-9 * unit(rng); break;
        default: r = std::round(v * 2.0) / 2.0 + 0.5; break;
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17g", r);
    return buffer;
}

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line + "\n");
    return lines;
}

std::string join(const std::vector<std::string>& lines) {
    std::string s;
    for (const auto& l : lines) s += l;
    return s;
}

void mutate_once(Rng& rng, std::string& text, const std::vector<std::string>& seeds) {
    const std::size_t kind = pick(rng, 10);
    if (kind < 5) {  // numbers are what users change most
        const auto spans = number_spans(text);
        if (spans.empty()) return;
        const auto [at, len] = spans[pick(rng, spans.size())];
        text.replace(at, len, mutate_number(rng, text.substr(at, len)));
    } else if (kind == 5 && !text.empty()) {
        text[pick(rng, text.size())] = static_cast<char>(pick(rng, 256));
    } else if (kind == 6 && !text.empty()) {
        text.erase(pick(rng, text.size()), 1 + pick(rng, 8));
    } else if (kind <= 8) {
        auto lines = split_lines(text);
        if (lines.empty()) return;
        const std::size_t i = pick(rng, lines.size());
        if (kind == 7) lines.erase(lines.begin() + static_cast<long>(i));
        else lines.insert(lines.begin() + static_cast<long>(i), lines[pick(rng, lines.size())]);
        text = join(lines);
    } else {  // a line of another seed
        auto lines = split_lines(text);
        const auto other = split_lines(seeds[pick(rng, seeds.size())]);
        if (other.empty()) return;
        lines.insert(lines.begin() + static_cast<long>(pick(rng, lines.size() + 1)), other[pick(rng, other.size())]);
        text = join(lines);
    }
}

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("-seconds=", 0) == 0) o.seconds = std::atof(a.c_str() + 9);
        else if (a.rfind("-timeout=", 0) == 0) o.timeout = std::atof(a.c_str() + 9);
        else if (a.rfind("-runs=", 0) == 0) o.runs = std::atol(a.c_str() + 6);
        else if (a.rfind("-seed=", 0) == 0) o.seed = std::strtoul(a.c_str() + 6, nullptr, 10);
        else if (a.rfind("-artifact_prefix=", 0) == 0) o.prefix = a.substr(17);
        else if (a.rfind("-", 0) == 0) std::fprintf(stderr, "ignored option %s\n", a.c_str());
        else o.dirs.push_back(a);
    }
    return o;
}

std::vector<std::string> load_seeds(const std::vector<std::string>& dirs) {
    std::vector<std::filesystem::path> files;
    for (const auto& d : dirs)
        for (const auto& entry : std::filesystem::directory_iterator(d))
            if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    std::vector<std::string> seeds;
    for (const auto& f : files) seeds.push_back(read_file(f));
    return seeds;
}

// Runs one input; returns its duration in seconds.
double run_one(const std::string& text, const std::string& current) {
    write_file(current, text);
    const auto start = std::chrono::steady_clock::now();
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const Options o = parse(argc, argv);
    const std::vector<std::string> seeds = load_seeds(o.dirs);
    if (seeds.empty()) {
        std::fprintf(stderr, "usage: korvex_fuzz [-seconds=N] [-runs=N] [-seed=N] SEED_DIR...\n");
        return 2;
    }
    Rng rng(o.seed);
    const std::string current = o.prefix + "current.sur";
    const auto start = std::chrono::steady_clock::now();
    long runs = 0, slow = 0;
    for (const auto& s : seeds) run_one(s, current), ++runs;  // every seed as it is, first
    while ((o.runs < 0 || runs < o.runs) &&
           std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() < o.seconds) {
        std::string text = seeds[pick(rng, seeds.size())];
        for (std::size_t m = 1 + pick(rng, 4); m > 0; --m) mutate_once(rng, text, seeds);
        if (text.size() > kMaxInput) text.resize(kMaxInput);
        if (run_one(text, current) > o.timeout) {
            write_file(o.prefix + "slow-" + std::to_string(++slow) + ".sur", text);
            std::fprintf(stderr, "slow input saved as %sslow-%ld.sur\n", o.prefix.c_str(), slow);
        }
        ++runs;
    }
    std::remove(current.c_str());
    std::printf("korvex_fuzz: %ld runs, %ld slow inputs\n", runs, slow);
    return slow ? 1 : 0;
}
