// What a simulator connection and its agent share: the handset and the link settings.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <utility>

#include "ConnectionPoint.h"
#include "SimHandset.h"

namespace kelvra::sim {

// What a running file copy answers to: cancel requests and a failure it was told of.
struct TransferControl {
    bool running = false;
    bool cancelToPc = false;
    bool cancelToHandset = false;
    long failAfterBlocks = -1;  // the next copy fails after this many blocks; -1 never
    HRESULT failWith = S_OK;
    // The next copy method answers S_OK however the copy ended (a cancel included), and
    // tells how only in its completion event, as some agents do.
    bool failureOnlyInEvent = false;
};

struct SimState {
    SimHandset handset;
    std::wstring fileRoot;  // the PC folder that stands for the handset's file system
    long mode = 0;
    long codePage = -1;
    bool agentAvailable = true;
    std::map<std::wstring, HRESULT> failures;  // agent method name to the HRESULT it returns
    // Agent method name to the one call, counted from 1 as its calls go on, that fails.
    std::map<std::wstring, std::pair<long, HRESULT>> failingCalls;
    std::map<std::wstring, long> calls;  // agent method name to its calls so far
    ConnectionPoint* transferEvents = nullptr;  // the connection's point, while it lives
    TransferControl transfer;
    long linkVersion = 5;
    long freeSpaceError = 0;  // non-zero: free space answers 0 and this is the last error

    // Counts a call of the method; the HRESULT it was told to fail with, or S_OK.
    HRESULT InjectedFailure(const wchar_t* method)
    {
        long call = ++calls[method];
        auto once = failingCalls.find(method);
        if (once != failingCalls.end() && once->second.first == call) {
            HRESULT hr = once->second.second;
            failingCalls.erase(once);
            return hr;
        }
        auto found = failures.find(method);
        return found == failures.end() ? S_OK : found->second;
    }
    long Calls(const std::wstring& method) const
    {
        auto found = calls.find(method);
        return found == calls.end() ? 0 : found->second;
    }
};

// Fails the calling method with a description the caller can read as error information.
HRESULT Fail(HRESULT hr, const std::wstring& description);
// Fails with the Win32 error the last call left, named after the description.
HRESULT FailWithLastError(const std::wstring& description);

}  // namespace kelvra::sim
