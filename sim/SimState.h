// What a simulator connection and its agent share: the handset and the link settings.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>

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
    ConnectionPoint* transferEvents = nullptr;  // the connection's point, while it lives
    TransferControl transfer;
    long linkVersion = 5;
    long freeSpaceError = 0;  // non-zero: free space answers 0 and this is the last error

    // The HRESULT a method was told to fail with, or S_OK.
    HRESULT InjectedFailure(const wchar_t* method) const
    {
        auto found = failures.find(method);
        return found == failures.end() ? S_OK : found->second;
    }
};

// Fails the calling method with a description the caller can read as error information.
HRESULT Fail(HRESULT hr, const std::wstring& description);
// Fails with the Win32 error the last call left, named after the description.
HRESULT FailWithLastError(const std::wstring& description);

}  // namespace kelvra::sim
