#include "KelvraBase.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <exception>

#include "ByteCursor.h"
#include "DebugLog.h"
#include "Errors.h"
#include "Request.h"

namespace kelvra {

namespace {

constexpr size_t kHeaderSize = 6;
constexpr uint16_t kReplyCodeBits = 0x000F;
constexpr uint32_t kLargestForeignReply = 4096;
// Empty reads in a row after which the agent is taken to have timed out.
constexpr int kMostEmptyReads = 3;
// Leftovers of a failed reply are read in pieces of this size, each waited for this long,
// for this long at most in all: a line that floods never stops on its own.
constexpr long kDiscardChunk = 4096;
constexpr long kDiscardTimeout = 100;
constexpr ULONGLONG kDiscardDeadlineMs = 2000;

std::atomic<uint64_t> g_failedExchanges{0};

// Counts the exchange it guards as failed when it ends by a throw.
class FailureCount {
public:
    ~FailureCount()
    {
        if (std::uncaught_exceptions() > m_before)
            ++g_failedExchanges;
    }

private:
    int m_before = std::uncaught_exceptions();
};

std::wstring Hex(unsigned value)
{
    wchar_t text[16];
    swprintf(text, 16, L"0x%04X", value);
    return text;
}

[[noreturn]] void ThrowWrongReply(uint16_t command, uint16_t replyCode)
{
    ThrowTamError(kTamWrongReply, L"The handset answered request " + Hex(command) + L" with reply code " +
                                      Hex(replyCode) + L" instead of " + Hex(static_cast<uint16_t>(command + 1)));
}

}  // namespace

CKelvraBase::CKelvraBase(ITAMAgent* agent, int, int) : m_agent(agent)
{
}

CKelvraBase::~CKelvraBase() = default;

void CKelvraBase::SetMode(long mode)
{
    RequirePointer(m_agent, L"The device agent");
    Check(m_agent->SetMode(mode), m_agent.Get());
}

void CKelvraBase::ReadExactly(size_t count, DWORD timeoutMs, std::string& bytes)
{
    int emptyReads = 0;
    while (bytes.size() < count) {
        size_t wanted = count - bytes.size();
        ByteArray chunk;
        Check(m_agent->ReadStream(static_cast<long>(wanted), static_cast<long>(timeoutMs), chunk.Out()), m_agent.Get());
        size_t got = chunk.Size();
        if (got > wanted)
            ThrowTamError(kTamWrongReply, L"The device agent returned more bytes than were asked for");
        if (got == 0) {
            if (++emptyReads >= kMostEmptyReads)
                ThrowTamError(kTamAgentTimeout, L"The handset stopped sending before its reply was complete");
            continue;
        }
        emptyReads = 0;
        chunk.AppendTo(bytes);
    }
}

void CKelvraBase::DiscardPending() noexcept
{
    // The failure's own error information stays the thread's.
    ComPtr<IErrorInfo> failure;
    GetErrorInfo(0, failure.GetAddressOf());
    try {
        size_t discarded = 0;
        ULONGLONG deadline = GetTickCount64() + kDiscardDeadlineMs;
        while (discarded < kLargestReply && GetTickCount64() < deadline) {
            ByteArray chunk;
            if (FAILED(m_agent->ReadStream(kDiscardChunk, kDiscardTimeout, chunk.Out())) || chunk.Size() == 0)
                break;
            discarded += chunk.Size();
        }
        DebugLog(L"%zu bytes of a reply that could not be taken were discarded", discarded);
    } catch (...) {
    }
    SetErrorInfo(0, failure.Get());
}

uint16_t CKelvraBase::Transact(std::string_view request, std::string& payload, DWORD timeoutMs)
{
    RequirePointer(m_agent, L"The device agent");
    ByteArray packet(request.data(), request.size());
    Check(m_agent->WriteStream(packet.Get(), static_cast<long>(request.size())), m_agent.Get());
    try {
        return ReadReply(ByteReader(request).ReadU16LE(), payload, timeoutMs);
    } catch (...) {
        // What is left of a reply that could not be taken would be read as the answer
        // to the next request, and every later one would be off by one.
        DiscardPending();
        throw;
    }
}

uint16_t CKelvraBase::ReadReply(uint16_t command, std::string& payload, DWORD timeoutMs)
{
    std::string header;
    ReadExactly(kHeaderSize, timeoutMs, header);
    ByteReader reader(header);
    uint16_t replyCode = reader.ReadU16LE();
    uint32_t length = reader.ReadU32LE();
    // A reply's code differs from its request's in the lowest four bits, or it is a
    // short refusal (a card slot it cannot read answers 0xFFFF). A header of another
    // code announcing more is no reply to this request: reading that payload could take
    // a flooding line for minutes.
    if ((replyCode & ~kReplyCodeBits) != (command & ~kReplyCodeBits) && length > kLargestForeignReply)
        ThrowWrongReply(command, replyCode);
    if (length > kLargestReply)
        ThrowTamError(kTamWrongReply, L"The handset's reply announces " + std::to_wstring(length) +
                                           L" bytes, more than any reply can hold");
    payload.clear();
    payload.reserve(length);
    try {
        ReadExactly(length, timeoutMs, payload);
    } catch (const _com_error& e) {
        // The agent's failure stays the result; the text says the reply came short.
        ComPtr<IErrorInfo> info;
        *info.ReleaseAndGetAddressOf() = e.ErrorInfo();  // a reference of its own
        Bstr cause;
        if (info)
            info->GetDescription(cause.Out());
        ThrowComError(e.Error(), L"The handset's reply stopped after " + std::to_wstring(payload.size()) + L" of " +
                                     std::to_wstring(length) + L" bytes" +
                                     (cause.Length() ? L": " + cause.Str() : std::wstring()));
    }
    return replyCode;
}

uint64_t CKelvraBase::FailedExchanges()
{
    return g_failedExchanges;
}

bool CKelvraBase::Exchange(std::string_view request, void* reply, size_t capacity, uint32_t& received,
                           int mismatchMode, DWORD timeoutMs)
{
    FailureCount failureCount;
    received = 0;
    std::string payload;
    uint16_t replyCode = Transact(request, payload, timeoutMs);
    size_t kept = payload.size() < capacity ? payload.size() : capacity;
    if (kept)
        memcpy(reply, payload.data(), kept);
    received = static_cast<uint32_t>(kept);

    uint16_t command = ByteReader(request).ReadU16LE();
    if (replyCode == static_cast<uint16_t>(command + 1))
        return true;
    if (mismatchMode == kMismatchIsFalse) {
        ++g_failedExchanges;
        return false;
    }
    ThrowWrongReply(command, replyCode);
}

std::string CKelvraBase::ExchangeAlloc(std::string_view request, uint32_t& received, DWORD timeoutMs)
{
    FailureCount failureCount;
    received = 0;
    std::string payload;
    uint16_t replyCode = Transact(request, payload, timeoutMs);
    received = static_cast<uint32_t>(payload.size());
    uint16_t command = ByteReader(request).ReadU16LE();
    if (replyCode != static_cast<uint16_t>(command + 1))
        ThrowWrongReply(command, replyCode);
    return payload;
}

uint32_t CKelvraBase::GetRecordCount(uint32_t store)
{
    Request request(kCountRequest);
    request.Word(store);
    uint8_t count[4] = {};
    uint32_t received = 0;
    Exchange(request, count, sizeof(count), received, kMismatchIsError, kRecordTimeout);
    // Fewer than four bytes leave the missing ones zero.
    return ByteReader(std::string_view(reinterpret_cast<const char*>(count), sizeof(count))).ReadU32LE();
}

bool CKelvraBase::GetRecordIndexList(std::vector<uint32_t>& indexes, uint32_t store, uint32_t maxCount)
{
    Request request(kIndexListRequest);
    request.Word(store);
    std::string entries(std::min<size_t>(static_cast<size_t>(maxCount) * 3, kLargestReply), '\0');
    uint32_t received = 0;
    Exchange(request, entries.data(), entries.size(), received, kMismatchIsError, kRecordTimeout);
    ByteReader reader(std::string_view(entries).substr(0, received));
    while (reader.Remaining() >= 3) {
        indexes.push_back(reader.ReadU16LE());
        reader.Skip(1);
    }
    return true;
}

RecordBytes CKelvraBase::ReadRecord(uint32_t store, uint32_t index, size_t size)
{
    uint32_t received = 0;
    std::string reply = ExchangeAlloc(Request(kReadRequest).Word(store).Word(index), received, kRecordTimeout);
    if (reply.size() < size)
        ThrowTamError(kTamWrongReply, L"The handset's record " + std::to_wstring(index) + L" of store " +
                                          std::to_wstring(store) + L" is a short reply of " +
                                          std::to_wstring(reply.size()) + L" bytes; the model's layout needs " +
                                          std::to_wstring(size));
    reply.resize(size);
    return RecordBytes(std::move(reply));
}

bool CKelvraBase::WriteRecord(uint32_t store, uint32_t index, const RecordBytes& record, int mismatchMode)
{
    uint8_t reply[8];
    uint32_t received = 0;
    return Exchange(Request(kWriteRequest).Word(store).Word(index).Bytes(record.Bytes()), reply, sizeof(reply),
                    received, mismatchMode, kRecordTimeout);
}

void CKelvraBase::DeleteRecord(uint32_t index, uint32_t store)
{
    uint8_t reply[8];
    uint32_t received = 0;
    Exchange(Request(kDeleteRequest).Word(store).Word(index), reply, sizeof(reply), received, kMismatchIsError,
             kRecordTimeout);
}

}  // namespace kelvra
