// kelvra-sync: a host program that syncs a handset through the component, as the
// synchronisation suite does, with the handset simulator standing in for the phone.
#include <windows.h>
#include <objbase.h>

#include <cstdio>

#include "ComFailure.h"
#include "CommandHelp.h"
#include "CommandLine.h"
#include "CommandTable.h"
#include "ExitCode.h"
#include "TableWalker.h"

using namespace kelvra;
using namespace kelvra::host;

namespace {

// What --stats says: the packets and bytes that crossed the simulated handset's link.
// A handset on a serial port keeps no such count.
void SayExchange(const SyncSession& session)
{
    ISimHandset* handset = session.Handset();
    long requests = 0;
    double bytes = 0;
    if (!handset || FAILED(handset->get_RequestCount(&requests)) || FAILED(handset->get_BytesExchanged(&bytes)))
        return;
    fprintf(stderr, "kelvra-sync: %ld requests, %.0f bytes exchanged with the handset\n", requests, bytes);
}

// Everything that can be checked and read without the handset comes first, so that a
// mistyped command or an unreadable file leaves the handset untouched.
int Run(CommandLine& line)
{
    if (line.help) {
        CommandTable::ResolveModel(line);
        return CommandHelp::Show(line);
    }
    HandsetWork work = CommandTable::Checked(line).start(line);
    if (!work)
        return kOk;
    SyncSession session(line.session);
    int code = work(session);
    if (line.stats)
        SayExchange(session);
    // Output that leaves out records must not look complete to a script; a failure
    // (thrown, so never here) outranks it.
    return TableWalker::PassedOver() && (code == kOk || code == kHandsetChanged) ? kPassedOver : code;
}

int Report(const char* message, int code, bool withUsage = false)
{
    fflush(stdout);
    fprintf(stderr, "kelvra-sync: %s\n%s", message, withUsage ? CommandTable::Usage() : "");
    return code;
}

int RunReporting(CommandLine& line)
{
    try {
        return Run(line);
    } catch (const UsageError& e) {
        return Report(e.what(), kUsage, true);
    } catch (const BadValue& e) {
        return Report(e.what(), kUsage);
    } catch (const ComFailure& e) {
        return Report(e.what(), kComponentFailure);
    } catch (const std::exception& e) {
        return Report(e.what(), kInputFailure);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    // Names and notes are printed as UTF-8; a Windows console shows them as such.
    SetConsoleOutputCP(CP_UTF8);
    CommandLine line;
    try {
        line = CommandLine::Parse(argc, argv);
    } catch (const UsageError& e) {
        return Report(e.what(), kUsage, true);
    } catch (const BadValue& e) {
        return Report(e.what(), kUsage);
    }
    // The whole usage needs nothing, not even COM.
    if (line.help && line.words.size() <= (line.words.empty() || line.words[0] != L"help" ? 0u : 1u)) {
        fputs(CommandTable::Usage(), stdout);
        return kOk;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return Report("COM could not be started", kComponentFailure);
    int result = RunReporting(line);
    fflush(stdout);
    CoUninitialize();
    return result;
}
