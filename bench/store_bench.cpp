// Loading the settings from large `.reg` files as the saver does at every start: a key with very many values
// and a library with very many patterns. Each size is timed at a tenth of it too, so growth shows.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "patterns/patterns.h"
#include "platform/logfile.h"
#include "platform/store.h"

namespace {

std::string WriteFile(const std::string &name, const std::string &text) {
    const std::filesystem::path path = std::filesystem::temp_directory_path() / name;
    FILE *file = fopen(path.string().c_str(), "wb");
    fwrite(text.data(), 1, text.size(), file);
    fclose(file);
    return path.string();
}

std::string Header() {
    return "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\" SETTINGS_KEY "]\r\n"
           "\"Morph Interval\"=dword:00000014\r\n\"Resolution\"=\"800 x 600\"\r\n";
}

std::string ManyValues(int64_t count) {
    std::string text = Header();
    char line[64];
    for (int64_t k = 0; k < count; ++k) {
        snprintf(line, sizeof line, "\"Value %lld\"=dword:%08llx\r\n", static_cast<long long>(k),
                 static_cast<unsigned long long>(k));
        text += line;
    }
    return text;
}

std::string ManyPatterns(int64_t count) {
    static const char *const kFields[] = {
        "Trail Kinkiness", "Trail Length",     "Trail Density",    "Trail Width",      "Number Of Trails",
        "Sparkle",         "Sparkliness",      "Fade Speed",       "Colour Speed",     "Jump Speed",
        "Spiral Trail",    "Always Fade Head", "Always Quicksand", "Don't Use Presets"};
    std::string text = Header();
    char line[96];
    for (int64_t k = 0; k < count; ++k) {
        snprintf(line, sizeof line, "\r\n[HKEY_CURRENT_USER\\" SETTINGS_KEY "\\Pattern %05lld]\r\n",
                 static_cast<long long>(k));
        text += line;
        for (const char *field : kFields) {
            snprintf(line, sizeof line, "\"%s\"=dword:00000005\r\n", field);
            text += line;
        }
        text += "\"Spiral Inc\"=hex:9a,99,99,99,99,99,b9,3f\r\n";
    }
    return text;
}

void Load(benchmark::State &state, const std::string &path, int expectedPatterns) {
    SetLogPathOverride("/dev/null");
    SetStoreBackend(RegFileStoreBackend());
    for (auto _ : state) {
        SetRegFilePath(path.c_str()); // forget the last read, so every round reads and parses the file
        GetSettings(false);
    }
    if (gPresetCount != expectedPatterns || gMorphInterval != 20)
        state.SkipWithError("the file did not load");
    state.SetComplexityN(state.range(0));
    SetStoreBackend(nullptr);
    SetRegFilePath(nullptr);
    SetLogPathOverride(nullptr);
}

void BM_LoadManyValues(benchmark::State &state) {
    const std::string path = WriteFile("tavo-bench-values.reg", ManyValues(state.range(0)));
    Load(state, path, NUM_STANDARD_PRESETS);
    std::filesystem::remove(path);
}
BENCHMARK(BM_LoadManyValues)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();

void BM_LoadManyPatterns(benchmark::State &state) {
    const std::string path = WriteFile("tavo-bench-patterns.reg", ManyPatterns(state.range(0)));
    Load(state, path, NUM_STANDARD_PRESETS + static_cast<int>(state.range(0)));
    std::filesystem::remove(path);
}
BENCHMARK(BM_LoadManyPatterns)->Arg(1600)->Arg(16000)->Unit(benchmark::kMillisecond)->Complexity();

} // namespace

BENCHMARK_MAIN();
