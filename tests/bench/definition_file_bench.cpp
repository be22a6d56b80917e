// How long a load of the message menu takes for a large definition file:
// 10,000 lines of the kinds a real file holds — comments, defaults, phrase
// marks, icons, groups, separators, blank lines, Japanese text whose second
// bytes look like marks (表, ソ, the ideographic space).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <ctime>
#include <string>

#include "menu/definition_file.h"

namespace {

using namespace pavlune;

// <chrono> cannot be compiled for code page 932 literals (it spells µs).
double NowMilliseconds() {
    std::timespec now{};
    std::timespec_get(&now, TIME_UTC);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

class NoIcons : public IconSource {
public:
    int Load(const std::string&) override { return 0; }
    int Append(int) override { return appended_++; }
    void Drop(int) override {}

private:
    int appended_ = 0;
};

std::string GenerateDefinitionFile(int lines) {
    std::string file = "// 在席表示メニュー\r\n// 表示ソフト用\r\n";
    for (int i = 0; i < lines - 2; ++i) {
        const std::string n = std::to_string(i);
        const std::string group = std::to_string(i % 40);
        switch (i % 12) {
            case 0: file += "#在席 " + n; break;
            case 1: file += "会議中（第" + n + "会議室）"; break;
            case 2: file += "@外出"; break;
            case 3: file += "@行き先表.txt@出張　ソウル支社 " + n; break;
            case 4: file += "分類ソ" + group + "\\予定表 " + n; break;
            case 5: file += "$icons\\表" + group + ".ico$$icons\\ソ" + n + ".ico$帰宅" + group + "\\本日は帰宅しました"; break;
            case 6: file += "帰宅" + group + "\\明日は休みです " + n; break;
            case 7: file += "-"; break;
            case 8: file += "$icons\\lunch.ico$昼食 " + n; break;
            case 9: file += "  "; break;
            case 10: file += "分類ソ" + group + "\\-"; break;
            case 11: file += "@@会議　中@" + n; break;
        }
        file += "\r\n";
    }
    return file;
}

void BuildMessageMenuBench(benchmark::State& state) {
    const int lines = static_cast<int>(state.range(0));
    const std::string file = GenerateDefinitionFile(lines);
    MessageMenu menu;
    NoIcons icons;
    if (BuildMessageMenu(file, menu, icons) != DefinitionOutcome::Loaded || menu.Entries.size() < 1000) {
        state.SkipWithError("the generated file does not load in full");
        return;
    }
    double milliseconds = 0;
    for (auto _ : state) {
        const double start = NowMilliseconds();
        benchmark::DoNotOptimize(BuildMessageMenu(file, menu, icons));
        benchmark::ClobberMemory();
        milliseconds += NowMilliseconds() - start;
    }
    state.SetItemsProcessed(state.iterations() * lines);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(file.size()));
    state.counters["ms_per_10k_lines"] =
        benchmark::Counter(milliseconds * 10000.0 / lines, benchmark::Counter::kAvgIterations);
}

BENCHMARK(BuildMessageMenuBench)->Name("BuildMessageMenu")->ArgName("lines")->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
