#include "SimHandset.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "ByteCursor.h"
#include "ComTypes.h"
#include "MessageStores.h"
#include "OrganizerStores.h"
#include "StateCodec.h"
#include "StateError.h"

namespace kelvra::sim {

namespace {

constexpr size_t kHeaderSize = 6;
constexpr uint32_t kLargestRequest = 16u << 20;
constexpr uint16_t kErrorReply = 0xFFFF;

constexpr uint32_t kCardInformation = 101;

enum Command : uint16_t {
    kPrivacyUnlock = 0x1010,
    kPrivacyStatus = 0x1020,
    kCount = 0x4100,
    kIndexList = 0x4110,
    kRead = 0x4120,
    kWrite = 0x4130,
    kDelete = 0x4140,
    kSendSms = 0x4170,
    kTotalSize = 0x4190,
};

// The total size request carries a root path and "/" in ANSI, zero-filled to this size.
constexpr size_t kRootPathField = 255;

// The error reply of a request: its code with the low four bits 2, and a 4-byte cause.
constexpr uint16_t kRefusedBits = 0x2;
constexpr uint32_t kNoReceiver = 1;
constexpr uint32_t kMalformedSend = 2;

}  // namespace

void SimHandset::Write(std::string_view bytes)
{
    m_bytesIn += bytes.size();
    m_incoming.append(bytes);
    try {
        AnswerCompleteRequests();
    } catch (const StateError&) {
        // The request that could not be saved gets no reply: the caller hears of the
        // failure from the write, and the stream starts afresh with its next request.
        m_incoming.clear();
        throw;
    }
}

void SimHandset::AnswerCompleteRequests()
{
    for (;;) {
        ByteReader header(m_incoming);
        uint16_t code = header.ReadU16LE();
        uint32_t length = header.ReadU32LE();
        if (!header.Ok())
            return;
        if (length > kLargestRequest) {
            // A garbled request: drop what came and say so.
            m_incoming.clear();
            QueueReply(code, kErrorReply, {});
            return;
        }
        if (m_incoming.size() - kHeaderSize < length)
            return;
        std::string packet = m_incoming.substr(0, kHeaderSize + length);
        m_incoming.erase(0, kHeaderSize + length);
        ++m_requestCount;
        m_lastRequest = packet;
        std::string reply;
        uint16_t replyCode = Answer(code, std::string_view(packet).substr(kHeaderSize), reply);
        QueueReply(code, replyCode, reply);
    }
}

uint16_t SimHandset::Answer(uint16_t code, std::string_view payload, std::string& reply)
{
    if (SimMms::Handles(code))
        return m_mms.Answer(code, payload, reply);
    ByteReader request(payload);
    uint32_t store = request.ReadU32LE();
    ByteWriter answer;
    switch (code) {
    case kCount:
        answer.U32LE(static_cast<uint32_t>(RecordCount(store)));
        break;
    case kIndexList:
        for (const auto& [index, record] : m_contents.stores[store])
            answer.U16LE(static_cast<uint16_t>(index)).U8(0);
        break;
    case kRead: {
        uint32_t index = request.ReadU32LE();
        const Record* record = FindRecord(store, index);
        if (record)
            answer.Bytes(*record);
        else if (size_t size = OrganizerRecordSize(m_contents.model, store))
            answer.Bytes(std::string(size, '\0'));
        else if (m_recordSizes.count(store))
            answer.Bytes(std::string(m_recordSizes[store], '\0'));
        else
            return kErrorReply;  // an empty index of a store without fixed-size slots
        break;
    }
    case kWrite: {
        uint32_t index = request.ReadU32LE();
        // A record of a fixed-size store that does not fit it is refused, not kept.
        size_t size = OrganizerRecordSize(m_contents.model, store);
        if (request.Ok() && size && request.Rest().size() != size)
            return kErrorReply;
        if (request.Ok())
            PutRecord(store, index, Record(request.Rest()));
        answer.U32LE(store).U32LE(index);
        break;
    }
    case kDelete: {
        uint32_t index = request.ReadU32LE();
        if (store == kCardInformation) {
            uint32_t kind = index == 1 ? 14 : 13;
            if (!request.Ok() || !m_cardInfo.count(kind))
                return kErrorReply;
            reply = m_cardInfo[kind];
            return static_cast<uint16_t>(code + 1);
        }
        if (request.Ok())
            RemoveRecord(store, index);
        answer.U32LE(store).U32LE(index);
        break;
    }
    case kSendSms:
        return AnswerSend(code, payload, reply);
    case kTotalSize:
        return AnswerTotalSize(code, payload, reply);
    case kPrivacyStatus:
        reply = m_contents.lockFlags;
        return static_cast<uint16_t>(code + 1);
    case kPrivacyUnlock: {
        std::string_view given = payload.substr(0, std::min<size_t>(payload.size(), 8));
        given = given.substr(0, given.find('\0'));
        if (payload.size() != 9 || given != m_contents.password)
            return static_cast<uint16_t>(code + 2);  // refused
        SetPrivacyLock(std::string(m_contents.lockFlags.size(), '\0'), m_contents.password);
        return static_cast<uint16_t>(code + 1);
    }
    default:
        return kErrorReply;
    }
    if (!request.Ok())
        return kErrorReply;
    reply = answer.Take();
    return static_cast<uint16_t>(code + 1);
}

uint16_t SimHandset::AnswerSend(uint16_t code, std::string_view payload, std::string& reply)
{
    auto refuse = [&](uint32_t cause) {
        reply = ByteWriter().U32LE(cause).Take();
        return static_cast<uint16_t>((code & ~0xFu) | kRefusedBits);
    };
    SmsSendLayout layout = SendLayout(m_contents.model);
    size_t cardWord = m_dualCard ? 4 : 0;
    if (payload.size() != cardWord + 1 + layout.number + layout.text)
        return refuse(kMalformedSend);
    ByteReader request(payload);
    uint32_t card = m_dualCard ? request.ReadU32LE() : 0;
    size_t numberLength = std::min<size_t>(request.ReadU8(), layout.number);
    std::string_view number = request.ReadBytes(layout.number).substr(0, numberLength);
    number = number.substr(0, number.find('\0'));
    std::string_view text = request.ReadBytes(layout.text);
    text = text.substr(0, text.find('\0'));
    if (number.empty())
        return refuse(kNoReceiver);
    AddSms(SentBox(card), number, text, MessageClockNow(m_contents.model));
    return static_cast<uint16_t>(code + 1);
}

uint16_t SimHandset::AnswerTotalSize(uint16_t code, std::string_view payload, std::string& reply)
{
    if (payload.size() != kRootPathField)
        return kErrorReply;
    std::optional<HandsetPath> root = HandsetPath::Parse(Widen(payload.substr(0, payload.find('\0')), CP_ACP));
    if (!root)
        return kErrorReply;
    uint64_t capacity = std::min<uint64_t>(m_memory.Capacity(*root, m_contents.model), UINT32_MAX);
    reply = ByteWriter().U32LE(static_cast<uint32_t>(capacity)).Take();
    return static_cast<uint16_t>(code + 1);
}

void SimHandset::AddSms(uint32_t box, std::string_view number, std::string_view text, uint32_t time)
{
    auto found = m_contents.stores.find(box);
    uint32_t index = found == m_contents.stores.end() || found->second.empty() ? 1 : found->second.rbegin()->first + 1;
    PutRecord(box, index, StoredSmsRecord(m_contents.model, index, number, text, time));
}

void SimHandset::QueueReply(uint16_t requestCode, uint16_t replyCode, const std::string& payload)
{
    SIMFAULT fault = SIMFAULT_NONE;
    if (m_fault != SIMFAULT_NONE && m_faultAfter < 0) {
        fault = m_fault;  // every reply from now on
    } else if (m_fault != SIMFAULT_NONE && m_faultAfter-- <= 0) {
        fault = m_fault;
        m_fault = SIMFAULT_NONE;
    }
    if (fault == SIMFAULT_TIMEOUT)
        return;
    ByteWriter packet;
    packet.U16LE(fault == SIMFAULT_WRONG_REPLY_CODE ? requestCode : replyCode);
    packet.U32LE(fault == SIMFAULT_GARBAGE_LENGTH ? 0xFFFFFFF0u : static_cast<uint32_t>(payload.size()));
    if (fault != SIMFAULT_GARBAGE_LENGTH)
        packet.Bytes(payload);
    std::string_view bytes = packet.Data();
    // A short reply stops halfway through its payload, or through its header when it
    // has none.
    if (fault == SIMFAULT_SHORT_REPLY)
        bytes = bytes.substr(0, payload.empty() ? kHeaderSize / 2 : kHeaderSize + payload.size() / 2);
    m_outgoing.insert(m_outgoing.end(), bytes.begin(), bytes.end());
}

bool SimHandset::Read(size_t count, std::string& bytes)
{
    bytes.clear();
    if (m_outgoing.empty())
        return false;
    size_t given = std::min({count, NextChunkSize(), m_outgoing.size()});
    bytes.assign(m_outgoing.begin(), m_outgoing.begin() + static_cast<std::ptrdiff_t>(given));
    m_outgoing.erase(m_outgoing.begin(), m_outgoing.begin() + static_cast<std::ptrdiff_t>(given));
    m_bytesOut += given;
    return true;
}

template <class Apply>
void SimHandset::Change(const std::string& line, Apply apply)
{
    if (Keeping())
        m_store->Save(line, m_contents);
    apply();
    if (Keeping())
        m_store->FoldIfLarge(m_contents);
}

void SimHandset::PutRecord(uint32_t store, uint32_t index, Record bytes)
{
    std::string line = Keeping() ? StateCodec::RecordLine(store, index, bytes) : std::string();
    Change(line, [&] { m_contents.stores[store][index] = std::move(bytes); });
}

void SimHandset::RemoveRecord(uint32_t store, uint32_t index)
{
    auto found = m_contents.stores.find(store);
    if (found == m_contents.stores.end() || !found->second.count(index))
        return;  // nothing to change, nothing to save
    Change(StateCodec::RemoveLine(store, index), [&] { found->second.erase(index); });
}

void SimHandset::SetPrivacyLock(std::string flags, std::string password)
{
    Change(StateCodec::LockLine(flags, password), [&] {
        m_contents.lockFlags = std::move(flags);
        m_contents.password = std::move(password);
    });
}

void SimHandset::SetModel(long model)
{
    if (model != m_contents.model)
        Change(StateCodec::ModelLine(model), [&] { m_contents.model = model; });
}

const SimHandset::Record* SimHandset::FindRecord(uint32_t store, uint32_t index) const
{
    auto found = m_contents.stores.find(store);
    if (found == m_contents.stores.end())
        return nullptr;
    auto record = found->second.find(index);
    return record == found->second.end() ? nullptr : &record->second;
}

size_t SimHandset::RecordCount(uint32_t store) const
{
    auto found = m_contents.stores.find(store);
    return found == m_contents.stores.end() ? 0 : found->second.size();
}

uint32_t SimHandset::NextIndex(uint32_t store) const
{
    auto found = m_contents.stores.find(store);
    if (found == m_contents.stores.end() || found->second.empty())
        return 0;
    return found->second.rbegin()->first + 1;
}

void SimHandset::SetCardInfo(uint32_t cardKind, uint32_t nameLimit, uint32_t slotCount, uint32_t numberLimit)
{
    m_cardInfo[cardKind] = ByteWriter().U32LE(cardKind).U32LE(nameLimit).U32LE(slotCount).U32LE(numberLimit).Take();
}

void SimHandset::KeepStateIn(const std::wstring& folder, DWORD waitMs)
{
    ReleaseState();
    HandsetContents loaded;
    auto store = std::make_unique<HandsetStore>(folder, waitMs, loaded);
    m_contents = std::move(loaded);
    m_store = std::move(store);
}

void SimHandset::ReleaseState() noexcept
{
    if (!m_store)
        return;
    m_store->Close(m_contents);
    m_earlierStateBytes += m_store->BytesWritten();
    m_store.reset();
}

uint64_t SimHandset::StateBytesWritten() const
{
    return m_earlierStateBytes + (m_store ? m_store->BytesWritten() : 0);
}

void SimHandset::SetChunkSizes(size_t smallest, size_t largest)
{
    m_smallestChunk = std::max<size_t>(1, smallest);
    m_largestChunk = std::max(m_smallestChunk, largest);
}

void SimHandset::InjectFault(SIMFAULT fault, long afterRequests)
{
    m_fault = fault;
    m_faultAfter = afterRequests;
}

size_t SimHandset::NextChunkSize()
{
    // A fixed sequence, so a failing run can be repeated.
    m_chunkSeed = m_chunkSeed * 1103515245u + 12345u;
    size_t span = m_largestChunk - m_smallestChunk + 1;
    return m_smallestChunk + (m_chunkSeed >> 8) % span;
}

std::string HexFromBytes(std::string_view bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (unsigned char byte : bytes) {
        if (!hex.empty())
            hex += ' ';
        hex += digits[byte >> 4];
        hex += digits[byte & 15];
    }
    return hex;
}

bool BytesFromHex(std::wstring_view hex, std::string& bytes)
{
    bytes.clear();
    if (hex == L"-")
        return true;
    int high = -1;
    for (wchar_t c : hex) {
        int value;
        if (c == L' ' || c == L'\t' || c == L'\r' || c == L'\n')
            continue;
        if (c >= L'0' && c <= L'9')
            value = c - L'0';
        else if (c >= L'a' && c <= L'f')
            value = c - L'a' + 10;
        else if (c >= L'A' && c <= L'F')
            value = c - L'A' + 10;
        else
            return false;
        if (high < 0) {
            high = value;
        } else {
            bytes += static_cast<char>(high << 4 | value);
            high = -1;
        }
    }
    return high < 0;
}

}  // namespace kelvra::sim
