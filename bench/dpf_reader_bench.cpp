// Reading a definition file of 2000 parameters: time of LoadDefinition (read,
// scan, parse, store, build the parameter set) and the heap it needs at its
// peak. The goal is well under 10 ms per file.
//
//   dpf_reader_bench [runs]
#include <merlin/core/CDpfParSet.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

namespace {

// Heap bytes in use and their peak, counted by the replaced operator new.
std::atomic<size_t> g_inUse{0};
std::atomic<size_t> g_peak{0};

void* Allocate(size_t size)
{
    void* block = std::malloc(size + sizeof(size_t));
    if (!block)
        throw std::bad_alloc();
    *static_cast<size_t*>(block) = size;
    const size_t now = g_inUse += size;
    size_t peak = g_peak.load();
    while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {}
    return static_cast<size_t*>(block) + 1;
}

void Release(void* p)
{
    if (!p)
        return;
    size_t* block = static_cast<size_t*>(p) - 1;
    g_inUse -= *block;
    std::free(block);
}

// 2000 parameters in 20 groups: every fourth a choice parameter, names and
// units from 1000 strings, choice lists of 5 texts.
std::string Definition()
{
    std::string text = "; benchmark definition\n[Revision]\n1,8,'LM3 '\n2,1,'Normal'\n3,3,'V3'\n\n[Strings]\n";
    for (int k = 1; k < 1000; ++k)
        text += std::to_string(k) + ",Parameter text number " + std::to_string(k) + "\n";
    text += "\n[Groups]\n";
    for (int g = 1; g <= 20; ++g)
        text += std::to_string(g) + "," + std::to_string(g) + ",0, G" + std::to_string(g) + ",0,0\n";
    text += "\n[Parameters]\n";
    for (int k = 0; k < 2000; ++k) {
        const bool choice = k % 4 == 0;
        text += std::to_string(k) + "," + std::to_string(1 + k % 999) + "," + (choice ? "1" : "12") +
                ",0," + (choice ? "4" : "32000") + "," + std::to_string(choice ? 1 + k % 50 : 500 + k % 20) +
                "," + std::to_string(k % 7 == 0) + "," + std::to_string(40001 + k) + ",0, P" +
                std::to_string(k) + ",0,0\n";
    }
    text += "\n[Parameter List]\n";
    for (int k = 1; k < 2000; ++k)
        text += std::to_string(k) + "," + std::to_string(1 + (k - 1) / 100) + "," + std::to_string(k) + "\n";
    text += "\n[Enum]\n";
    for (int list = 1, line = 1; list <= 50; ++list)
        for (int v = 0; v < 5; ++v, ++line)
            text += std::to_string(line) + "," + std::to_string(list) + "," + std::to_string(v) + "," +
                    std::to_string(900 + v) + "\n";
    text += "\n[Fault Code]\n";
    for (int f = 0; f < 40; ++f)
        text += std::to_string(f + 1) + "," + std::to_string(f) + "," + std::to_string(800 + f) + ",0, F,0\n";
    text += "\n[Active Faults]\n1,1\n2,2\n\n[End]\n";
    return text;
}

}  // namespace

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("dpf_bench_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir / "DeviceData");
    const std::string text = Definition();
    std::ofstream(dir / "DeviceData" / "bench.dpf", std::ios::binary) << text;

    std::vector<double> ms;
    size_t peakHeap = 0;
    int parameters = 0;
    for (int r = 0; r < runs; ++r) {
        const size_t before = g_inUse.load();
        g_peak = before;
        const auto start = std::chrono::steady_clock::now();
        {
            merlin::CDpfParSet set(dir);
            set.SetTrace(nullptr);
            if (set.LoadDefinition("bench.dpf") != merlin::kLoadOk) {
                std::fprintf(stderr, "load failed\n");
                return 1;
            }
            parameters = set.Count();
        }
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        peakHeap = std::max(peakHeap, g_peak.load() - before);
    }
    std::filesystem::remove_all(dir);
    std::sort(ms.begin(), ms.end());
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("definition file: %zu bytes, 2000 parameters defined, %d in the set\n", text.size(), parameters);
    std::printf("LoadDefinition over %d runs: min %.3f ms, median %.3f ms, 90%% %.3f ms (goal < 10 ms)\n",
                runs, ms.front(), ms[ms.size() / 2], ms[ms.size() * 9 / 10]);
    std::printf("peak heap during one load: %.1f KiB; process peak RSS %ld KiB\n", peakHeap / 1024.0,
                usage.ru_maxrss);
    return 0;
}
