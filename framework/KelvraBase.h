// The request/reply discipline over the device agent's byte stream, shared by every
// codec: a request packet written whole, a 6-byte reply header, then the payload.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ColumnChanges.h"
#include "ComTypes.h"
#include "RecordBytes.h"
#include "TAMAgent.h"

namespace kelvra {

class CKelvraBase {
public:
    // Mismatch modes of Exchange: a wrong reply code is an error, or a false result.
    static constexpr int kMismatchIsError = 1;
    static constexpr int kMismatchIsFalse = 15;
    static constexpr DWORD kRecordTimeout = 2000;
    // The record requests every store answers.
    static constexpr uint16_t kCountRequest = 0x4100;
    static constexpr uint16_t kIndexListRequest = 0x4110;
    static constexpr uint16_t kReadRequest = 0x4120;
    static constexpr uint16_t kWriteRequest = 0x4130;
    static constexpr uint16_t kDeleteRequest = 0x4140;
    // A reply announcing more than this is garbled; nothing that large is ever sent.
    static constexpr uint32_t kLargestReply = 16u << 20;

    // The two link parameters are passed as 1 and 3000 by every caller and not kept.
    explicit CKelvraBase(ITAMAgent* agent, int linkParameter = 1, int linkTimeout = 3000);
    virtual ~CKelvraBase();

    // Sends the request and copies at most capacity payload bytes into reply; a longer
    // payload is read whole, so the link stays in step, and cut to the capacity. The
    // received length counts the bytes copied. False only for a wrong reply code in
    // mismatch mode 15.
    bool Exchange(std::string_view request, void* reply, size_t capacity, uint32_t& received, int mismatchMode,
                  DWORD timeoutMs);
    // Sends the request and returns the whole reply payload.
    std::string ExchangeAlloc(std::string_view request, uint32_t& received, DWORD timeoutMs);

    // How many exchanges of this process have failed (thrown, or answered with a wrong
    // reply code) so far: what a table keeps of a store is not trusted past one.
    static uint64_t FailedExchanges();

    uint32_t GetRecordCount(uint32_t store);
    // The first size bytes of a record; a shorter reply fails the read.
    RecordBytes ReadRecord(uint32_t store, uint32_t index, size_t size);
    // Writes a record; false only for a wrong reply code in mismatch mode 15.
    bool WriteRecord(uint32_t store, uint32_t index, const RecordBytes& record, int mismatchMode = kMismatchIsError);
    void DeleteRecord(uint32_t index, uint32_t store);
    // The record a write starts from: zeroed for a new one, else the handset's own, read
    // and decoded so that changes holds what the map changes in it.
    template <class Decode>
    RecordBytes StartRecord(uint32_t store, uint32_t index, size_t size, bool creating, const ColumnMap& map,
                            ColumnChanges& changes, Decode decode)
    {
        if (creating) {
            changes = ColumnChanges::ForNewRecord(map);
            return RecordBytes(size);
        }
        RecordBytes record = ReadRecord(store, index, size);
        ColumnMap current;
        decode(record, current);
        changes = ColumnChanges::ForRecord(map, current);
        return record;
    }
    // Appends the used record indexes of a store, at most maxCount of them.
    bool GetRecordIndexList(std::vector<uint32_t>& indexes, uint32_t store, uint32_t maxCount);
    void SetMode(long mode);

    ITAMAgent* Agent() const { return m_agent.Get(); }

protected:
    // The reply code and payload of one request, read whole unless a header of another
    // request's code announces more than a refusal holds.
    uint16_t Transact(std::string_view request, std::string& payload, DWORD timeoutMs);

private:
    // The reply header and payload, after the request went out. A long payload behind a
    // header whose code belongs to some other request is not read.
    uint16_t ReadReply(uint16_t command, std::string& payload, DWORD timeoutMs);
    // Reads away what the link still holds of a reply that failed, so that the next
    // request gets its own answer; a link that goes on sending is left after a while.
    void DiscardPending() noexcept;
    // Reads exactly count bytes from the stream.
    void ReadExactly(size_t count, DWORD timeoutMs, std::string& bytes);

    ComPtr<ITAMAgent> m_agent;
};

}  // namespace kelvra
