// kelvra-handset: the simulator's handset served at the far end of a serial line, for
// trying the serial link without a phone and for the tests that drive it through a tty.
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <cwchar>

#include "AgentService.h"
#include "ComFailure.h"
#include "CommandLine.h"
#include "CommandTable.h"
#include "ExitCode.h"
#include "HandsetOnPort.h"
#include "SimulatedHandset.h"

using namespace kelvra;
using namespace kelvra::host;

namespace {

const char kUsageText[] =
    "usage: kelvra-handset --port COMn --handset FOLDER [--model ID] [--baud N] [--log]\n"
    "                      [--stop-at CODE:N]\n"
    "  serves the simulated handset kept in FOLDER (made as model ID, 202 unless given,\n"
    "  when it is new) on a serial port, 8N1 at 115200 baud unless --baud is given,\n"
    "  until it is stopped (Ctrl-C); every change is saved before the handset answers;\n"
    "  --log prints a line for each request it takes; --stop-at 0x4130:5 ends the program\n"
    "  as a pulled plug would once it has taken (and saved) the 5th request 0x4130, before\n"
    "  it answers, to try what a host does when the handset goes away\n";

struct Options {
    std::wstring port;
    std::wstring folder;
    std::wstring model;
    long baudRate = 0;
    bool log = false;
    StopPoint stop;
};

StopPoint ParseStopPoint(const std::wstring& text)
{
    wchar_t* end = nullptr;
    StopPoint stop;
    stop.code = static_cast<uint16_t>(wcstoul(text.c_str(), &end, 16));
    if (*end == L':')
        stop.count = wcstol(end + 1, &end, 10);
    if (text.empty() || *end != L'\0' || stop.count <= 0)
        throw BadValue("--stop-at takes a request code and a count, such as 0x4130:5");
    return stop;
}

Options Parse(int argc, wchar_t** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::wstring word = argv[i];
        if (word == L"--log") {
            options.log = true;
            continue;
        }
        if (i + 1 >= argc)
            throw UsageError(word == L"--help" || word == L"-h" ? "" : "\"" + NarrowUtf8(word) + "\" needs a value");
        std::wstring value = argv[++i];
        if (word == L"--port")
            options.port = value;
        else if (word == L"--handset")
            options.folder = value;
        else if (word == L"--model")
            options.model = value;
        else if (word == L"--baud")
            options.baudRate = CommandLine::ParseBaudRate(value);
        else if (word == L"--stop-at")
            options.stop = ParseStopPoint(value);
        else
            throw UsageError("unknown option \"" + NarrowUtf8(word) + "\"");
    }
    if (options.port.empty() || options.folder.empty())
        throw UsageError("--port and --handset are needed");
    return options;
}

ComPtr<ITAMAgent> AgentOf(ISimHandset* handset)
{
    ComPtr<ITAMConnection> connection;
    CheckCall(handset->QueryInterface(IID_PPV_ARGS(&connection)), "Asking the simulator for its connection");
    ComPtr<ITAMAgent> agent = GetAgentService(connection.Get());
    if (!agent)
        throw ComFailure(E_NOINTERFACE, "The simulator's connection serves no agent");
    return agent;
}

int Serve(const Options& options)
{
    int model = options.model.empty()
                    ? 0
                    : CommandTable::CheckedModel(options.model, CommandLine::ParseModel(options.model));
    SimulatedHandset handset(options.folder, model);
    handset.RecordModel();
    ComPtr<ITAMAgent> agent = AgentOf(handset.Control());
    serial::SerialPort port;
    CheckCall(port.Open(options.port, static_cast<DWORD>(options.baudRate)), "Opening the serial port");
    printf("kelvra-handset: serving the handset in %s (model %d) on %s\n", NarrowUtf8(options.folder).c_str(),
           handset.Model(), NarrowUtf8(port.Name()).c_str());
    fflush(stdout);
    HandsetOnPort server(port, agent, handset.Control());
    server.SetLogging(options.log);
    server.StopAt(options.stop);
    server.Serve();
}

int Report(const char* message, int code, bool withUsage = false)
{
    if (*message)
        fprintf(stderr, "kelvra-handset: %s\n", message);
    fputs(withUsage ? kUsageText : "", stderr);
    return code;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    SetConsoleOutputCP(CP_UTF8);
    Options options;
    try {
        options = Parse(argc, argv);
    } catch (const UsageError& e) {
        return Report(e.what(), kUsage, true);
    } catch (const BadValue& e) {
        return Report(e.what(), kUsage);
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return Report("COM could not be started", kComponentFailure);
    int result;
    try {
        result = Serve(options);
    } catch (const BadValue& e) {
        result = Report(e.what(), kUsage);
    } catch (const std::exception& e) {
        result = Report(e.what(), kComponentFailure);
    }
    CoUninitialize();
    return result;
}
