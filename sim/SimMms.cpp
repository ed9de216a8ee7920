#include "SimMms.h"

#include <algorithm>

#include "ByteCursor.h"
#include "SimHandset.h"

namespace kelvra::sim {

namespace {

enum Command : uint16_t {
    kOpen = 0x5200,
    kClose = 0x5210,
    kFolderCount = 0x5140,
    kHeader = 0x5143,
    kContentStart = 0x5150,
    kContentBlock = 0x5153,
    kContentEnd = 0x5156,
    kSendStart = 0x5170,
    kSendBlock = 0x5173,
};

// The handset's own error codes.
enum MmsError : uint32_t {
    kNoSuchHeader = 2,
    kNoSuchFolder = 3,
    kNoSuchMessage = 5,
    kNoFetchOpen = 6,
    kBadSend = 7,
};

constexpr size_t kLargestBlock = 8000;

uint16_t Success(uint16_t code)
{
    return static_cast<uint16_t>(code + 1);
}

uint16_t Refuse(uint16_t code, MmsError error, std::string& reply)
{
    reply = ByteWriter().U32LE(error).Take();
    return static_cast<uint16_t>((code & 0xFFF0) | 2);
}

bool IsFolder(uint32_t folder)
{
    return folder >= 1 && folder <= 4;
}

ByteWriter& Text(ByteWriter& header, const std::string& text)
{
    return header.U32LE(static_cast<uint32_t>(text.size())).Bytes(text);
}

}  // namespace

bool SimMms::Handles(uint16_t code)
{
    switch (code) {
    case kOpen: case kClose: case kFolderCount: case kHeader: case kContentStart: case kContentBlock:
    case kContentEnd: case kSendStart: case kSendBlock:
        return true;
    default:
        return false;
    }
}

uint16_t SimMms::Answer(uint16_t code, std::string_view payload, std::string& reply)
{
    reply.clear();
    switch (code) {
    case kFolderCount: return FolderCount(payload, reply);
    case kHeader: return Header(payload, reply);
    case kContentStart: return ContentStart(payload, reply);
    case kContentBlock: return ContentBlock(reply);
    case kContentEnd:
        m_fetchOpen = false;
        m_fetching.clear();
        return Success(code);
    case kSendStart: return SendStart(payload);
    case kSendBlock: return SendBlock(payload, reply);
    default:  // opening and closing the MMS access
        return Success(code);
    }
}

uint16_t SimMms::FolderCount(std::string_view payload, std::string& reply)
{
    uint32_t folder = ByteReader(payload).ReadU32LE();
    if (!IsFolder(folder))
        return Refuse(kFolderCount, kNoSuchFolder, reply);
    m_countedFolder = folder;
    reply = ByteWriter().U32LE(static_cast<uint32_t>(m_handset.RecordCount(kHeaderStoreBase + folder))).Take();
    return Success(kFolderCount);
}

uint16_t SimMms::Header(std::string_view payload, std::string& reply)
{
    ByteReader request(payload);
    uint32_t index = request.ReadU32LE();
    const std::string* header = m_handset.FindRecord(kHeaderStoreBase + m_countedFolder, index);
    if (!request.Ok() || !header)
        return Refuse(kHeader, kNoSuchHeader, reply);
    reply = *header;
    return Success(kHeader);
}

uint16_t SimMms::ContentStart(std::string_view payload, std::string& reply)
{
    ByteReader request(payload);
    uint32_t id = request.ReadU32LE();
    const std::string* content = m_handset.FindRecord(kContentStore, id);
    if (!request.Ok() || !content)
        return Refuse(kContentStart, kNoSuchMessage, reply);
    m_fetching = *content;
    m_fetched = 0;
    m_fetchOpen = true;
    reply = ByteWriter().U32LE(static_cast<uint32_t>(m_fetching.size())).Take();
    return Success(kContentStart);
}

uint16_t SimMms::ContentBlock(std::string& reply)
{
    if (!m_fetchOpen)
        return Refuse(kContentBlock, kNoFetchOpen, reply);
    std::string_view block = std::string_view(m_fetching).substr(m_fetched, kLargestBlock);
    m_fetched += block.size();
    bool last = m_fetched == m_fetching.size();
    reply = ByteWriter().U32LE(static_cast<uint32_t>(block.size())).U8(last).Bytes(block).Take();
    return Success(kContentBlock);
}

uint16_t SimMms::SendStart(std::string_view payload)
{
    ByteReader request(payload);
    request.Skip(12);
    m_sendSize = request.ReadU32LE();
    m_sending.clear();
    m_sendOpen = true;
    return Success(kSendStart);
}

uint16_t SimMms::SendBlock(std::string_view payload, std::string& reply)
{
    ByteReader request(payload);
    uint32_t length = request.ReadU32LE();
    request.Skip(4);
    bool last = request.ReadU8() != 0;
    std::string_view block = request.Rest();
    if (!m_sendOpen || !request.Ok() || block.size() != length || m_sending.size() + length > m_sendSize)
        return Refuse(kSendBlock, kBadSend, reply);
    m_sending.append(block);
    if (last) {
        m_sendOpen = false;
        if (m_sending.size() != m_sendSize)
            return Refuse(kSendBlock, kBadSend, reply);
        Add(kSentFolder, "", "", "", 0, m_sending);
    }
    return Success(kSendBlock);
}

uint32_t SimMms::Add(uint32_t folder, const std::string& subject, const std::string& sender,
                     const std::string& receiver, uint32_t time, const std::string& content)
{
    uint32_t id = std::max<uint32_t>(1, m_handset.NextIndex(kContentStore));
    uint32_t size = static_cast<uint32_t>(content.size());
    ByteWriter header;
    header.U32LE(id).U32LE(folder).U32LE(0).U32LE(0).U32LE(0);
    for (const std::string* text : {&subject, &sender, &receiver})
        Text(header, *text);
    Text(header, "");
    Text(header, "");
    header.U32LE(time).U32LE(size).U32LE(size).U32LE(0).U32LE(0).U16LE(0).U8(0);
    m_handset.PutRecord(kContentStore, id, content);
    uint32_t store = kHeaderStoreBase + folder;
    m_handset.PutRecord(store, m_handset.NextIndex(store), header.Take());
    return id;
}

}  // namespace kelvra::sim
