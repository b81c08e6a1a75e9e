// Micro-benchmarks of the calculator core. Run a Release build:
//   cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DPELMORA_BUILD_BENCH=ON
//   cmake --build build/bench --target core_bench && build/bench/bench/core_bench
#include <array>
#include <charconv>
#include <string>

#include <benchmark/benchmark.h>

#include "cone/cone.h"
#include "form/calculator_form.h"
#include "number/decimal.h"
#include "number/number_text.h"

namespace {

using namespace pelmora;

// The known pair of each variant, taken from the cone R = 3, L = 5.
constexpr double kKnown[cone::kVariantCount][2] = {{3, 5},      {3, 47.124}, {5, 75.398},
                                                   {5, 47.124}, {3, 75.398}, {47.124, 75.398}};

void BM_SolveCone(benchmark::State& state) {
    const auto variant = static_cast<std::int16_t>(state.range(0));
    double first = kKnown[variant][0];
    double second = kKnown[variant][1];
    for (auto _ : state) {
        benchmark::DoNotOptimize(first);
        benchmark::DoNotOptimize(second);
        benchmark::DoNotOptimize(cone::SolveCone(variant, first, second));
    }
}
BENCHMARK(BM_SolveCone)->DenseRange(0, 5);

void BM_ReadNumberShort(benchmark::State& state) {
    const std::string text = "1234.56789";  // ten characters
    for (auto _ : state)
        benchmark::DoNotOptimize(number::ReadNumber(text));
}
BENCHMARK(BM_ReadNumberShort);

// A pasted text of the given length: digits with blanks, which reading must walk through.
void BM_ReadNumberPasted(benchmark::State& state) {
    std::string text;
    while (text.size() < static_cast<std::size_t>(state.range(0)))
        text += "12 345 678 9";
    text.resize(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(number::ReadNumber(text));
    state.SetBytesProcessed(state.iterations() * state.range(0));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ReadNumberPasted)->RangeMultiplier(16)->Range(1 << 10, 1 << 20)->Complexity();

// An ordinary result: the total area of the cone R = 3, L = 5, shown as 75.398.
constexpr double kOrdinary = 75.39822368615496;

// The yardstick for FormatResult: the standard library writing the same value with three
// decimals, without the 15-digit cut, grouping, regional symbols or a string.
void BM_ToCharsFixed3(benchmark::State& state) {
    double value = kOrdinary;
    std::array<char, 32> buffer;
    for (auto _ : state) {
        benchmark::DoNotOptimize(value);
        const std::to_chars_result written = std::to_chars(
            buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, 3);
        benchmark::DoNotOptimize(written.ptr);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ToCharsFixed3);

// The exact cut to 15 significant digits, which FormatResult takes for values within its reach
// of a half-thousandth and for values from 5·10^10 up.
void BM_CutTo15Digits(benchmark::State& state) {
    double value = kOrdinary;
    for (auto _ : state) {
        benchmark::DoNotOptimize(value);
        benchmark::DoNotOptimize(number::CutTo15Digits(value));
    }
}
BENCHMARK(BM_CutTo15Digits);

// 0: the ordinary result; 1: the largest double, written with 309 integer digits; 2: a value
// just below a half-thousandth that the cut rounds up to it, so it takes the exact cut.
constexpr double kFormatted[] = {kOrdinary, 1.7976931348623157e308, 1234.567499999997};

void BM_FormatResult(benchmark::State& state) {
    const number::NumberFormat format;
    double value = kFormatted[state.range(0)];
    for (auto _ : state) {
        benchmark::DoNotOptimize(value);
        benchmark::DoNotOptimize(number::FormatResult(value, format));
    }
}
BENCHMARK(BM_FormatResult)->DenseRange(0, 2);

// One press of Calculate on the worked cone: read two fields, solve, write four.
void BM_Calculate(benchmark::State& state) {
    form::CalculatorForm form([] { return number::NumberFormat{}; });
    form.LoadForm();
    for (auto _ : state) {
        form.TypeText(0, "3");
        form.TypeText(1, "5");
        benchmark::DoNotOptimize(form.CommandClick(0));
    }
}
BENCHMARK(BM_Calculate);

}  // namespace
