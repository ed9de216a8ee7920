// The emulated handset: it keeps raw record bytes per store number and index, answers
// the generic record requests and hands its replies out in chunks of varying size. It
// knows nothing of the component's record layouts.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "HandsetContents.h"
#include "HandsetMemory.h"
#include "HandsetStore.h"
#include "KelvraSim.h"
#include "SimMms.h"

namespace kelvra::sim {

class SimHandset {
public:
    using Record = std::string;

    // The byte stream from the PC; each complete request packet is answered at once.
    // A request whose change cannot be saved throws StateError and gets no reply.
    void Write(std::string_view bytes);
    // Up to count bytes of pending reply; false when nothing is pending (a time-out).
    bool Read(size_t count, std::string& bytes);

    // Changes of the handset's contents. With a state folder each change is saved
    // before it is made; one that cannot be saved throws StateError and changes nothing.
    void PutRecord(uint32_t store, uint32_t index, Record bytes);
    void RemoveRecord(uint32_t store, uint32_t index);
    // A stored message appended to a box, after its highest index; time is the handset's
    // time word.
    void AddSms(uint32_t box, std::string_view number, std::string_view text, uint32_t time);
    // The privacy lock: one flag byte per locked kind of data, and the password (UTF-8).
    void SetPrivacyLock(std::string flags, std::string password);
    // The model the handset was made as; 0 while none is recorded.
    long Model() const { return m_contents.model; }
    void SetModel(long model);
    // A dual-card handset takes only send requests that lead with a card word.
    void SetDualCard(bool dualCard) { m_dualCard = dualCard; }

    const Record* FindRecord(uint32_t store, uint32_t index) const;
    // Everything the handset keeps, for comparing whole states.
    const HandsetContents& Contents() const { return m_contents; }
    size_t RecordCount(uint32_t store) const;
    // One past the highest index in use in the store; 0 for an empty store.
    uint32_t NextIndex(uint32_t store) const;
    SimMms& Mms() { return m_mms; }
    HandsetMemory& Memory() { return m_memory; }

    // Reads of an empty index of the store answer a zeroed record of this size.
    void SetRecordSize(uint32_t store, size_t size) { m_recordSizes[store] = size; }
    // What the card information request answers for a card kind (13 or 14).
    void SetCardInfo(uint32_t cardKind, uint32_t nameLimit, uint32_t slotCount, uint32_t numberLimit);
    void SetChunkSizes(size_t smallest, size_t largest);
    void InjectFault(SIMFAULT fault, long afterRequests);

    // Keeps the contents in a folder, which this handset holds locked until it is
    // released: loads them now and saves every change, so that what one session writes
    // the next one reads. Throws StateError when the folder cannot be used, stays
    // locked by another process for longer than waitMs, or holds a damaged state.
    void KeepStateIn(const std::wstring& folder, DWORD waitMs = kLockWaitMs);
    // Saves what this session changed into the state file and lets the folder go.
    void ReleaseState() noexcept;
    // Bytes written to state folders by this handset, journal and state files alike.
    uint64_t StateBytesWritten() const;

    static constexpr DWORD kLockWaitMs = 5000;

    SimHandset() = default;
    SimHandset(const SimHandset&) = delete;
    SimHandset& operator=(const SimHandset&) = delete;
    ~SimHandset() { ReleaseState(); }

    long RequestCount() const { return m_requestCount; }
    // Bytes the PC wrote to the handset and read from it.
    uint64_t BytesIn() const { return m_bytesIn; }
    uint64_t BytesOut() const { return m_bytesOut; }
    const std::string& LastRequest() const { return m_lastRequest; }

private:
    void AnswerCompleteRequests();
    // Answers one request; returns the reply code and fills the payload.
    uint16_t Answer(uint16_t code, std::string_view payload, std::string& reply);
    // Takes a message to send and keeps it in its card's sent box.
    uint16_t AnswerSend(uint16_t code, std::string_view payload, std::string& reply);
    // The total size of the memory whose root the request names.
    uint16_t AnswerTotalSize(uint16_t code, std::string_view payload, std::string& reply);
    void QueueReply(uint16_t requestCode, uint16_t replyCode, const std::string& payload);
    size_t NextChunkSize();
    // Saves a change line, then applies the change.
    template <class Apply>
    void Change(const std::string& line, Apply apply);
    bool Keeping() const { return m_store != nullptr; }

    HandsetContents m_contents;
    SimMms m_mms{*this};
    HandsetMemory m_memory;
    std::unique_ptr<HandsetStore> m_store;
    uint64_t m_earlierStateBytes = 0;  // written by stores already released
    std::map<uint32_t, size_t> m_recordSizes;
    std::map<uint32_t, std::string> m_cardInfo;
    std::string m_incoming;
    std::deque<char> m_outgoing;
    size_t m_smallestChunk = 1u << 20;
    size_t m_largestChunk = 1u << 20;
    uint32_t m_chunkSeed = 12345;
    SIMFAULT m_fault = SIMFAULT_NONE;
    long m_faultAfter = 0;
    long m_requestCount = 0;
    bool m_dualCard = false;
    uint64_t m_bytesIn = 0;
    uint64_t m_bytesOut = 0;
    std::string m_lastRequest;
};

std::string HexFromBytes(std::string_view bytes);
// Reads hex digits, ignoring blanks; false when the text is not whole bytes of hex.
bool BytesFromHex(std::wstring_view hex, std::string& bytes);

}  // namespace kelvra::sim
