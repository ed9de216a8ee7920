// The message device link: counts the handset's message boxes, reads stored messages
// into column maps and sends a new message through the handset.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "ColumnMap.h"
#include "KelvraBase.h"
#include "QELKELVRA.h"
#include "RecordBytes.h"
#include "SmsSettings.h"

namespace kelvra {

class CKelvraSMS : public CKelvraBase {
public:
    static constexpr size_t kSlotCount = 13;
    static constexpr uint32_t kNoSlot = 0xFFFF;
    static constexpr uint16_t kSendRequest = 0x4170;
    // Never more records are listed from one box, whatever count the handset gives.
    static constexpr uint32_t kMostPerBox = 10000;
    // The card word of a dual-card send.
    static constexpr uint32_t kFirstCard = 9;
    static constexpr uint32_t kSecondCard = 22;
    static constexpr DWORD kSendTimeout = 70000;
    static constexpr DWORD kSlowSendTimeout = 120000;

    // One box of the listing: its records, those not read yet, its slot (kNoSlot unused).
    struct Box {
        uint32_t count = 0;
        uint32_t remaining = 0;
        uint32_t slot = kNoSlot;
    };
    using BoxTable = std::array<Box, kSlotCount>;

    CKelvraSMS(ITAMAgent* agent, const SmsSettings& settings);

    static uint32_t GetBoxID(size_t slot);
    static std::wstring GetFolderName(uint32_t box);
    // 1 "Inbox", 2 "Outbox", 3 "Sent", 4 any other folder.
    static int FolderCode(const std::wstring& folder);
    // A message's SUID from its folder and its place among the folder's listed messages.
    static SUID MakeSUID(const std::wstring& folder, uint32_t position);

    // Fills the box table (the second card's boxes only on a dual-card handset) and
    // returns the records of all boxes.
    ULONG GetSMSCount(BoxTable& boxes, bool dualCard);
    // Reads record index of a box; position is the message's place in its folder.
    void ReadSMS(uint32_t index, uint32_t box, ColumnMap& map, uint32_t position);
    // Sends the message; throws the send-refused error unless the handset takes it.
    void SendSMS(const ColumnMap& map, bool dualCard);

    // The send request of a message, its texts cut to the model's fields.
    std::string BuildSendRequest(const ColumnMap& map, bool dualCard) const;
    DWORD SendTimeout() const;
    // One exchange of the send request with its own time-out; the agent's failures end
    // as the codes 20, 15 (time-out) and 774. Returns the reply body.
    std::string DynamicWriteStream_Dual(std::string_view packet, uint16_t& replyCommand, DWORD timeoutMs);

private:
    uint32_t MostPerBox() const;

    const SmsSettings& m_settings;
    TextField m_text;
    TextField m_number;
    size_t m_timeOffset = 0;
    size_t m_recordSize = 0;
};

}  // namespace kelvra
