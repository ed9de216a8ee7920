// One file copy between the PC and the handset: the bytes move in blocks, and after each
// block every sink of the connection's ITAMAgentEvents point hears the progress and may
// stop the copy by calling the agent's cancel method of the copy's direction; a cleared
// continue flag alone stops nothing. A transfer that has started always ends with
// OnTransferComplete.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ComTypes.h"
#include "SimState.h"
#include "TAMAgent.h"

namespace kelvra::sim {

enum class TransferDirection { ToPc, ToHandset };

class SimFileTransfer {
public:
    // Takes over the copy failure the handset was told of, which applies to this copy only.
    SimFileTransfer(SimState& state, TransferDirection direction);
    ~SimFileTransfer();
    SimFileTransfer(const SimFileTransfer&) = delete;
    SimFileTransfer& operator=(const SimFileTransfer&) = delete;

    // Copies the whole source into the target. E_ABORT when a sink stopped it, the
    // injected failure, or the file error; each with error information.
    HRESULT Copy(HANDLE source, HANDLE target);
    // Tells the sinks how the copy ended and hands the result back, error information kept;
    // S_OK instead for a handset told to report its failures only in the event.
    HRESULT Complete(HRESULT hr);

private:
    HRESULT MoveBlock(HANDLE source, HANDLE target, std::string& buffer, DWORD size);
    // Whether the copy may go on after a block.
    bool ReportProgress(long done, long total);
    bool CancelRequested() const;
    std::vector<ComPtr<ITAMAgentEvents>> Sinks() const;

    SimState& m_state;
    TransferDirection m_direction;
    long m_failAfterBlocks;
    HRESULT m_failWith;
    bool m_failureOnlyInEvent;
};

}  // namespace kelvra::sim
