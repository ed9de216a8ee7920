// The handset's MMS requests: access, folder counts and headers, content fetched in
// blocks and new messages sent in blocks. Message content stays an opaque byte image.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ColumnMap.h"
#include "KelvraBase.h"
#include "ModelName.h"
#include "Request.h"

namespace kelvra {

class CKelvraMms : public CKelvraBase {
public:
    static constexpr uint16_t kOpenRequest = 0x5200;
    static constexpr uint16_t kCloseRequest = 0x5210;
    static constexpr uint16_t kFolderCountRequest = 0x5140;
    static constexpr uint16_t kHeaderRequest = 0x5143;
    static constexpr uint16_t kContentStartRequest = 0x5150;
    static constexpr uint16_t kContentBlockRequest = 0x5153;
    static constexpr uint16_t kContentEndRequest = 0x5156;
    static constexpr uint16_t kSendStartRequest = 0x5170;
    static constexpr uint16_t kSendBlockRequest = 0x5173;
    static constexpr uint16_t kSendRefusedReply = 0x5177;

    // _tam_error codes: the handset's own error code is added to the first.
    static constexpr LONG kTamHandsetError = 40000;
    static constexpr LONG kTamSendRefused = 40516;

    // No MMS reply may be longer than the handset's own reply buffer.
    static constexpr size_t kLargestReply = 0x7800;
    static constexpr DWORD kTimeout = 30000;
    static constexpr DWORD kLastBlockTimeout = 60000;
    static constexpr size_t kSendBlockSize = 0x77F1;
    static constexpr size_t kLargestSend = 1u << 20;
    // A content fetch larger than this is taken for a garbled announcement.
    static constexpr size_t kLargestContent = 16u << 20;
    // No handset folder holds more messages than this; a larger count is garbled.
    static constexpr uint32_t kMostPerFolder = 10000;

    static constexpr uint32_t kFolderCodes[] = {1, 2, 3, 4};

    CKelvraMms(ITAMAgent* agent, ModelName model);

    // Keeps the handset's MMS access open for a scope. Closing is best effort, so that
    // a failure inside the scope stays the one reported.
    class Access {
    public:
        explicit Access(CKelvraMms& codec);
        ~Access();
        Access(const Access&) = delete;
        Access& operator=(const Access&) = delete;

    private:
        CKelvraMms& m_codec;
    };

    // Appends the headers of a folder, as the columns of its items; returns its count.
    uint32_t ListMmsFolder(uint32_t folder, std::vector<ColumnMap>& headers);
    // The whole content of a message, exactly as many bytes as the handset announced.
    std::string FetchContent(uint32_t messageId, uint32_t folder);
    // Sends the bytes as a new message; at most kLargestSend of them.
    void SendMms(std::string_view content);

    // One request of the MMS exchange and its reply body, after the reply rules: an
    // error reply, a reply to another request and a refused send each fail.
    std::string MmsExchange(const Request& request, DWORD timeoutMs = kTimeout);
    // The columns of a header reply; a reply whose fields do not fit it is refused.
    void DecodeHeader(std::string_view reply, ColumnMap& map);

    static std::wstring FolderName(uint32_t code);
    // The code of a folder name; 0 for a name that is none.
    static uint32_t FolderCode(const std::wstring& name);

private:
    // The date a header's time field stands for on this model.
    DATE CreateDate(uint32_t seconds) const;
    // The agent's own identity, the sender of every outbox message.
    std::wstring OwnNumber();
    void ReadContentBlocks(uint32_t total, std::string& content);

    ModelName m_model;
};

}  // namespace kelvra
