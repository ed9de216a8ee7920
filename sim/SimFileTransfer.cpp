#include "SimFileTransfer.h"

#include <algorithm>
#include <climits>
#include <string>

namespace kelvra::sim {

namespace {

constexpr long kSmallestBlock = 1024;

}  // namespace

SimFileTransfer::SimFileTransfer(SimState& state, TransferDirection direction)
    : m_state(state),
      m_direction(direction),
      m_failAfterBlocks(state.transfer.failAfterBlocks),
      m_failWith(state.transfer.failWith),
      m_failureOnlyInEvent(state.transfer.failureOnlyInEvent)
{
    m_state.transfer = TransferControl{};
    m_state.transfer.running = true;
}

SimFileTransfer::~SimFileTransfer()
{
    m_state.transfer.running = false;
}

HRESULT SimFileTransfer::Copy(HANDLE source, HANDLE target)
{
    LARGE_INTEGER size;
    if (!GetFileSizeEx(source, &size))
        return FailWithLastError(L"The size of the file to copy cannot be read");
    if (size.QuadPart > LONG_MAX)
        return Fail(HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE), L"The handset copies files below 2 GiB only");
    const long total = static_cast<long>(size.QuadPart);
    const long blockSize = std::max(kSmallestBlock, total / 4 + (total % 4 != 0));
    std::string buffer(static_cast<size_t>(blockSize), '\0');
    long done = 0;
    long blocks = 0;
    do {
        if (blocks == m_failAfterBlocks)
            return Fail(m_failWith, L"The copy failed after " + std::to_wstring(blocks) + L" blocks, as told");
        long size = std::min(blockSize, total - done);
        if (HRESULT hr = MoveBlock(source, target, buffer, static_cast<DWORD>(size)); FAILED(hr))
            return hr;
        done += size;
        ++blocks;
        if (!ReportProgress(done, total)) {
            return Fail(E_ABORT, L"The copy was cancelled after " + std::to_wstring(done) + L" of " +
                                     std::to_wstring(total) + L" bytes");
        }
    } while (done < total);
    return S_OK;
}

HRESULT SimFileTransfer::MoveBlock(HANDLE source, HANDLE target, std::string& buffer, DWORD size)
{
    DWORD moved = 0;
    if (!ReadFile(source, buffer.data(), size, &moved, nullptr))
        return FailWithLastError(L"The file to copy could not be read");
    if (moved != size)
        return Fail(HRESULT_FROM_WIN32(ERROR_HANDLE_EOF), L"The file to copy grew shorter while it was copied");
    if (!WriteFile(target, buffer.data(), size, &moved, nullptr) || moved != size)
        return FailWithLastError(L"The copy could not be written");
    return S_OK;
}

bool SimFileTransfer::ReportProgress(long done, long total)
{
    // A sink's cleared flag alone does not stop the copy: only the cancel method does.
    for (const auto& sink : Sinks()) {
        long continueFlag = 1;
        sink->OnTransferProgress(done, total, &continueFlag);
    }
    return !CancelRequested();
}

bool SimFileTransfer::CancelRequested() const
{
    return m_direction == TransferDirection::ToPc ? m_state.transfer.cancelToPc : m_state.transfer.cancelToHandset;
}

HRESULT SimFileTransfer::Complete(HRESULT hr)
{
    // A sink may leave error information of its own; the caller's is the copy's.
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, &info) != S_OK)
        info.Reset();
    for (const auto& sink : Sinks())
        sink->OnTransferComplete(hr);
    if (m_failureOnlyInEvent)
        hr = S_OK;
    SetErrorInfo(0, FAILED(hr) ? info.Get() : nullptr);
    return hr;
}

std::vector<ComPtr<ITAMAgentEvents>> SimFileTransfer::Sinks() const
{
    // Taken afresh for each event, so that a sink may unadvise while it is called.
    std::vector<ComPtr<ITAMAgentEvents>> sinks;
    if (!m_state.transferEvents)
        return sinks;
    for (const auto& sink : m_state.transferEvents->Sinks()) {
        ComPtr<ITAMAgentEvents> events;
        if (sink && SUCCEEDED(sink.As(&events)))
            sinks.push_back(events);
    }
    return sinks;
}

}  // namespace kelvra::sim
