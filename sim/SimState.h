// What a simulator connection and its agent share: the handset and the link settings.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "SimHandset.h"

namespace kelvra::sim {

struct SimState {
    SimHandset handset;
    std::wstring fileRoot;  // the PC folder that stands for the handset's file system
    long mode = 0;
    long codePage = -1;
    bool agentAvailable = true;
    std::map<std::wstring, HRESULT> failures;  // agent method name to the HRESULT it returns

    // The HRESULT a method was told to fail with, or S_OK.
    HRESULT InjectedFailure(const wchar_t* method) const
    {
        auto found = failures.find(method);
        return found == failures.end() ? S_OK : found->second;
    }
};

// Fails the calling method with a description the caller can read as error information.
HRESULT Fail(HRESULT hr, const std::wstring& description);

}  // namespace kelvra::sim
