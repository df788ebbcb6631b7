// The formatting helper against snprintf on the conversions the writers use
// most, and the number reader against atof, per value.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "TextFormat.h"
#include "cStrConv.h"

namespace {

// Values as a vector table holds them: coordinates, speeds, small counts.
const std::vector<double>& Values() {
    static const std::vector<double> values = [] {
        std::vector<double> list;
        std::mt19937_64 random(18);
        std::uniform_real_distribution<double> unit(-1.0, 1.0);
        for (int i = 0; i < 4096; ++i) list.push_back(unit(random) * (i % 3 == 0 ? 180.0 : 60.0));
        return list;
    }();
    return values;
}

const char* const kFormats[] = {" %12.7f", " %11.7f", " %8.3f", " %10.3f ", " %8.4f", " %7.1f  "};

void BM_SnprintfFixed(benchmark::State& state) {
    const auto& values = Values();
    char text[64];
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            std::snprintf(text, sizeof text, kFormats[i % std::size(kFormats)], values[i % 4096]));
        ++i;
    }
}
BENCHMARK(BM_SnprintfFixed);

void BM_FormatIntoFixed(benchmark::State& state) {
    const auto& values = Values();
    char text[64];
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            FormatInto(text, sizeof text, kFormats[i % std::size(kFormats)], values[i % 4096]));
        ++i;
    }
}
BENCHMARK(BM_FormatIntoFixed);

// A table column's format, read once.
void BM_CompiledFixed(benchmark::State& state) {
    const auto& values = Values();
    CFormatOne formats[std::size(kFormats)];
    for (size_t f = 0; f < std::size(kFormats); ++f) formats[f].Compile(kFormats[f]);
    char text[64];
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            formats[i % std::size(kFormats)].Format(text, sizeof text, values[i % 4096]));
        ++i;
    }
}
BENCHMARK(BM_CompiledFixed);

void BM_SnprintfLong(benchmark::State& state) {
    char text[64];
    long i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(std::snprintf(text, sizeof text, " %6ld  ", i++));
}
BENCHMARK(BM_SnprintfLong);

void BM_FormatIntoLong(benchmark::State& state) {
    char text[64];
    long i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(FormatInto(text, sizeof text, " %6ld  ", i++));
}
BENCHMARK(BM_FormatIntoLong);

const std::vector<std::string>& Texts() {
    static const std::vector<std::string> texts = [] {
        std::vector<std::string> list;
        char text[64];
        for (double v : Values()) {
            std::snprintf(text, sizeof text, "  %11.7f", v);
            list.push_back(text);
        }
        return list;
    }();
    return texts;
}

void BM_Atof(benchmark::State& state) {
    const auto& texts = Texts();
    size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(std::atof(texts[i++ % 4096].c_str()));
}
BENCHMARK(BM_Atof);

void BM_StringToDouble(benchmark::State& state) {
    const auto& texts = Texts();
    size_t i = 0;
    for (auto _ : state) {
        double value = 0;
        benchmark::DoNotOptimize(CStrConv::StringToDouble(texts[i++ % 4096].c_str(), &value));
        benchmark::DoNotOptimize(value);
    }
}
BENCHMARK(BM_StringToDouble);

}  // namespace

BENCHMARK_MAIN();
