// kelvra-bench: what every table's operations cost against the simulated handset, with
// the pauses switched off: the component's time per record, the packets and bytes per
// record, and the time those bytes take on a 115,200-baud line and at USB full speed,
// beside the bare packet exchange. Every C++ allocation of the component and the
// simulator is served from size classes, as the Windows heap serves small blocks (see
// SizeClassHeap).
//
//   kelvra-bench [--quick] [--json FILE] [N]
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <cwchar>
#include <exception>
#include <string>
#include <vector>

#include "BenchReport.h"
#include "FileCopyBench.h"
#include "MessageBench.h"
#include "QuietPlatform.h"
#include "TableBench.h"

using namespace kelvra;
using namespace kelvra::bench;

namespace {

struct Options {
    std::vector<int> sizes = {100, 1000, 2000};
    bool quick = false;
    std::wstring json;
};

bool Parse(int argc, wchar_t** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        std::wstring word = argv[i];
        if (word == L"--quick") {
            options.quick = true;
            options.sizes = {3};
        } else if (word == L"--json" && i + 1 < argc) {
            options.json = argv[++i];
        } else if (!word.empty() && iswdigit(word[0]) && _wtoi(word.c_str()) > 0) {
            options.sizes = {_wtoi(word.c_str())};
        } else {
            return false;
        }
    }
    return true;
}

void RunEverything(const Options& options, BenchReport& report)
{
    QuietPlatform quiet;
    struct Installed {
        Platform* previous;
        ~Installed() { Platform::Install(previous); }
    } installed{Platform::Install(&quiet)};
    TableBench tables(quiet, report, !options.quick);
    for (const TableSpec& spec : RecordTables())
        tables.RunAll(spec, options.sizes);
    MessageBench(quiet, report).Run(options.sizes);
    FileCopyBench(quiet, report).Run(options.sizes);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    Options options;
    if (!Parse(argc, argv, options)) {
        fprintf(stderr, "usage: kelvra-bench [--quick] [--json FILE] [N]\n");
        return 1;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    BenchReport report;
    int code = 0;
    double start = CpuSeconds();
    try {
        RunEverything(options, report);
        printf("%zu lines in %.1f s\n", report.Lines().size(), CpuSeconds() - start);
        if (!options.json.empty() && !report.WriteJson(options.json)) {
            fprintf(stderr, "kelvra-bench: cannot write %ls\n", options.json.c_str());
            code = 1;
        }
    } catch (const std::exception& e) {
        fflush(stdout);
        fprintf(stderr, "kelvra-bench: %s\n", e.what());
        code = 1;
    }
    CoUninitialize();
    return code;
}
