#include "KelvraMms.h"

#include <algorithm>

#include "ByteCursor.h"
#include "DebugLog.h"
#include "Errors.h"
#include "MessageTime.h"

namespace kelvra {

namespace {

constexpr uint16_t kLowBits = 0x000F;
constexpr uint16_t kErrorReplyBits = 0x0002;
constexpr int kHeaderTexts = 5;

const wchar_t* const kFolderNames[] = {L"Inbox", L"Outbox", L"Draft", L"Sent"};

std::wstring Hex(unsigned value)
{
    wchar_t text[16];
    swprintf(text, 16, L"0x%04X", value);
    return text;
}

uint32_t ReplyWord(const std::string& reply, uint16_t command)
{
    if (reply.size() < 4)
        ThrowTamError(kTamWrongReply, L"The handset's reply to request " + Hex(command) + L" carries no number");
    return ByteReader(reply).ReadU32LE();
}

void SetUnsigned(ColumnMap& map, const wchar_t* name, uint32_t value)
{
    Variant number;
    number.Get().vt = VT_UI4;
    number.Get().ulVal = value;
    map[name] = number;
}

void SetInt(ColumnMap& map, const wchar_t* name, LONG value)
{
    map.SetValue(name, VT_INT, value);
}

}  // namespace

CKelvraMms::CKelvraMms(ITAMAgent* agent, ModelName model) : CKelvraBase(agent, 1, 3000), m_model(std::move(model))
{
}

CKelvraMms::Access::Access(CKelvraMms& codec) : m_codec(codec)
{
    uint32_t received = 0;
    m_codec.ExchangeAlloc(Request(kOpenRequest), received, kRecordTimeout);
}

CKelvraMms::Access::~Access()
{
    try {
        uint32_t received = 0;
        m_codec.ExchangeAlloc(Request(kCloseRequest), received, kRecordTimeout);
    } catch (...) {
        DebugLog(L"%ls", L"The handset's MMS access could not be closed");
    }
}

std::string CKelvraMms::MmsExchange(const Request& request, DWORD timeoutMs)
{
    std::string reply;
    uint16_t replyCode = Transact(request, reply, timeoutMs);
    uint16_t command = ByteReader(request).ReadU16LE();
    // Read whole, so the link stays in step, but never taken in.
    if (reply.size() > kLargestReply)
        ThrowTamError(kTamWrongReply, L"The handset's reply to request " + Hex(command) + L" holds " +
                                          std::to_wstring(reply.size()) + L" bytes, more than an MMS reply can");
    if (replyCode == ((command & ~kLowBits) | kErrorReplyBits)) {
        uint32_t code = ByteReader(reply).ReadU32LE();
        // A code too large to be told apart in an HRESULT is shown as the largest that is.
        LONG shown = static_cast<LONG>(std::clamp<uint32_t>(code, 1, 0xFFFF - kTamHandsetError));
        ThrowTamError(kTamHandsetError + shown, L"The handset refused request " + Hex(command) + L" with code " +
                                                    std::to_wstring(code));
    }
    if ((replyCode & ~kLowBits) != (command & ~kLowBits))
        ThrowTamError(kTamWrongReply, L"The handset answered request " + Hex(command) + L" with reply code " +
                                          Hex(replyCode));
    if (replyCode == kSendRefusedReply)
        ThrowTamError(kTamSendRefused, L"The handset refused the message");
    return reply;
}

uint32_t CKelvraMms::ListMmsFolder(uint32_t folder, std::vector<ColumnMap>& headers)
{
    uint32_t count = ReplyWord(MmsExchange(Request(kFolderCountRequest).Word(folder).Word(0)), kFolderCountRequest);
    // Each header is its own exchange: a garbled count must not start billions of them.
    if (count > kMostPerFolder)
        ThrowTamError(kTamWrongReply, L"The handset counts " + std::to_wstring(count) + L" messages in MMS folder " +
                                          std::to_wstring(folder) + L", more than a folder holds");
    std::wstring sender;
    bool senderKnown = false;
    for (uint32_t index = 0; index < count; ++index) {
        std::string reply = MmsExchange(Request(kHeaderRequest).Word(index));
        if (reply.empty())
            continue;
        ColumnMap header;
        DecodeHeader(reply, header);
        if (folder == 2) {
            if (!senderKnown)
                sender = OwnNumber();
            senderKnown = true;
            header.SetText(L"SENDER", sender);
        }
        headers.push_back(std::move(header));
    }
    return count;
}

std::wstring CKelvraMms::OwnNumber()
{
    Bstr text;
    Check(Agent()->GetOwnNumber(text.Out()), Agent());
    return text.Str();
}

void CKelvraMms::DecodeHeader(std::string_view reply, ColumnMap& map)
{
    ByteReader fields(reply);
    uint32_t id = fields.ReadU32LE();
    uint32_t folder = fields.ReadU32LE();
    fields.Skip(8);
    uint32_t flags = fields.ReadU32LE();
    std::string_view texts[kHeaderTexts];
    for (std::string_view& text : texts)
        text = fields.ReadBytes(fields.ReadU32LE());
    uint32_t time = fields.ReadU32LE();
    uint32_t totalSize = fields.ReadU32LE();
    uint32_t bodySize = fields.ReadU32LE();
    uint32_t report = fields.ReadU32LE();
    uint32_t delivery = fields.ReadU32LE();
    uint16_t drm = fields.ReadU16LE();
    fields.ReadU8();
    if (!fields.Ok())
        ThrowTamError(kTamWrongReply, L"The handset's MMS header of " + std::to_wstring(reply.size()) +
                                          L" bytes announces more than it holds");

    SetInt(map, L"SUID", static_cast<LONG>(id));
    SetInt(map, L"MY_FOLDER", -1);
    Variant date;
    date.Get().vt = VT_DATE;
    date.Get().date = CreateDate(time);
    map[L"CREATE_DATE"] = date;
    map.SetText(L"MESSAGE_ID", std::to_wstring(id));
    map.SetText(L"FOLDER", FolderName(folder));
    map.SetText(L"TRANSACTION_ID", L"");
    map.SetText(L"SUBJECT", WidenUtf8(texts[0]));
    map.SetText(L"SENDER", Widen(texts[1], CP_THREAD_ACP));
    map.SetText(L"RECEIVER", Widen(texts[2], CP_THREAD_ACP));
    map.SetText(L"CC", Widen(texts[3], CP_THREAD_ACP));
    map.SetText(L"BCC", Widen(texts[4], CP_THREAD_ACP));
    SetUnsigned(map, L"TIME_STAMP", time);
    SetUnsigned(map, L"TOTAL_SIZE", totalSize);
    SetUnsigned(map, L"BODY_SIZE", bodySize);
    SetInt(map, L"READ_STATUS", (report & 0xFF) != 0);
    SetInt(map, L"READ_REPORT", (report >> 8 & 0xFF) != 0);
    SetInt(map, L"DELIVERY_REPORT", (report >> 16 & 0xFF) != 0);
    SetInt(map, L"MESSAGE_CLASS", static_cast<LONG>(report >> 24));
    SetInt(map, L"COMPLETED", 0);
    SetInt(map, L"PRIORITY", static_cast<LONG>(delivery & 0xFF));
    SetInt(map, L"VISIBILITY", (delivery >> 8 & 0xFF) != 0);
    SetInt(map, L"MM_STATUS", static_cast<LONG>(delivery >> 16));
    SetInt(map, L"DRM", drm & 0xFF);
    SetInt(map, L"MSG_FLAG_NOTI", (flags >> 2) & 1);
    SetInt(map, L"MSG_FLAG_LOCK", (flags >> 1) & 1);
    SetInt(map, L"MSG_FLAG_TEMPLATE_MSG_LOCK", flags & 1);
}

DATE CKelvraMms::CreateDate(uint32_t seconds) const
{
    // These models keep the time word on the PC's own clock.
    if (m_model.IsOneOfIgnoringCase({L"KTM-A280", L"KTM-A150"}))
        return DateFromUnixSeconds(seconds);
    return HandsetTimeToDate(seconds, m_model.Text());
}

std::string CKelvraMms::FetchContent(uint32_t messageId, uint32_t folder)
{
    Request start(kContentStartRequest);
    start.Word(messageId).Word(folder).Word(0).Word(0).Word(0);
    uint32_t total = ReplyWord(MmsExchange(start), kContentStartRequest);
    std::string content;
    try {
        if (total > kLargestContent)
            ThrowTamError(kTamWrongReply, L"The handset announces a message of " + std::to_wstring(total) +
                                              L" bytes, more than any message can be");
        ReadContentBlocks(total, content);
    } catch (...) {
        // The handset leaves its fetch whatever happened to this one.
        try {
            MmsExchange(Request(kContentEndRequest));
        } catch (...) {
        }
        throw;
    }
    MmsExchange(Request(kContentEndRequest));
    return content;
}

void CKelvraMms::ReadContentBlocks(uint32_t total, std::string& content)
{
    content.reserve(total);
    for (;;) {
        std::string reply = MmsExchange(Request(kContentBlockRequest).Word(0));
        ByteReader block(reply);
        uint32_t length = block.ReadU32LE();
        bool last = block.ReadU8() != 0;
        std::string_view bytes = block.ReadBytes(length);
        if (!block.Ok())
            ThrowTamError(kTamWrongReply, L"A content block announces " + std::to_wstring(length) +
                                              L" bytes, more than its reply carries");
        if (length > total - content.size())
            ThrowTamError(kTamWrongReply, L"The message's content runs past the " + std::to_wstring(total) +
                                              L" bytes the handset announced");
        if (length == 0 && !last)
            ThrowTamError(kTamWrongReply, L"The handset sent an empty content block before the last one");
        content.append(bytes);
        if (last)
            break;
    }
    if (content.size() != total)
        ThrowTamError(kTamWrongReply, L"The message's content ended after " + std::to_wstring(content.size()) +
                                          L" of the " + std::to_wstring(total) + L" bytes the handset announced");
}

void CKelvraMms::SendMms(std::string_view content)
{
    DebugLog(L"%ls", L"CTamMms::Send(+)");
    if (content.empty() || content.size() > kLargestSend)
        ThrowComError(E_INVALIDARG, L"A message to send must hold between 1 and " + std::to_wstring(kLargestSend) +
                                        L" bytes");
    // A new message: no id, no folder, and its size.
    Request start(kSendStartRequest);
    start.Word(0).Word(0).Word(0).Word(static_cast<uint32_t>(content.size())).Word(0);
    MmsExchange(start);
    for (size_t offset = 0; offset < content.size(); offset += kSendBlockSize) {
        std::string_view block = content.substr(offset, kSendBlockSize);
        bool last = offset + block.size() == content.size();
        Request request(kSendBlockRequest);
        request.Word(static_cast<uint32_t>(block.size())).Word(0).Bytes(ByteWriter().U8(last).Data()).Bytes(block);
        MmsExchange(request, last ? kLastBlockTimeout : kTimeout);
    }
}

std::wstring CKelvraMms::FolderName(uint32_t code)
{
    return code >= 1 && code <= 4 ? kFolderNames[code - 1] : L"null";
}

uint32_t CKelvraMms::FolderCode(const std::wstring& name)
{
    for (uint32_t code : kFolderCodes) {
        if (name == kFolderNames[code - 1])
            return code;
    }
    return 0;
}

}  // namespace kelvra
