#include "KelvraSMS.h"

#include <algorithm>

#include "DebugLog.h"
#include "Errors.h"
#include "LayoutCursor.h"
#include "MessageTime.h"
#include "Request.h"

namespace kelvra {

namespace {

// Codes of a failed message exchange.
constexpr LONG kTamLinkFailure = 20;
constexpr LONG kTamAgentFailure = 774;
constexpr LONG kTamSendRefused = 0x9E44;

constexpr SUID kSuidPerFolder = 0x10000F;
// The header word, the call-back field's bytes and the record's last word (its mode)
// are not read.
constexpr size_t kIndexBytes = 2;
constexpr size_t kTimeBytes = 4;
constexpr size_t kModeBytes = 4;
// The receiver's length goes in one byte.
constexpr LONG kMostReceiverChars = 255;

enum class BoxUse { Always, Never, SecondCard };

struct SlotOfBox {
    uint32_t box;
    BoxUse use;
};

const SlotOfBox kSlots[CKelvraSMS::kSlotCount] = {
    {11, BoxUse::Always}, {10, BoxUse::Always}, {9, BoxUse::Always},       {28, BoxUse::Always},
    {24, BoxUse::Never},  {23, BoxUse::Never},  {22, BoxUse::Never},       {16, BoxUse::Always},
    {29, BoxUse::Always}, {17, BoxUse::Always}, {19, BoxUse::SecondCard}, {30, BoxUse::SecondCard},
    {20, BoxUse::SecondCard},
};

// The models that take longer to hand a message to the network.
constexpr wchar_t kSlowSendModels[] = L"KTM-A280;KTM-A150;KTM-A230;KTM-A260";

LONG AgentFailureCode(HRESULT hr)
{
    if (hr == static_cast<HRESULT>(0x80040014) || hr == HRESULT_FROM_WIN32(ERROR_DEVICE_NOT_CONNECTED))
        return kTamLinkFailure;
    if (hr == HRESULT_FROM_WIN32(ERROR_TIMEOUT))
        return kTamAgentTimeout;
    return kTamAgentFailure;
}

// A stored text: UTF-8 up to its terminator, looked for only within the text's own bytes.
std::wstring StoredText(const RecordBytes& record, const TextField& field)
{
    std::string_view bytes = record.FieldBytes(field.offset, field.maxChars);
    return WidenUtf8(bytes.substr(0, bytes.find('\0')));
}

// The card word of a dual-card send.
uint32_t CardWord(const ColumnMap& map)
{
    std::wstring state = map.TextOr(L"SEND_STATE", L"");
    if (state == L"Sending_SIM1")
        return CKelvraSMS::kFirstCard;
    if (state == L"Sending_SIM2")
        return CKelvraSMS::kSecondCard;
    return 0;
}

}  // namespace

CKelvraSMS::CKelvraSMS(ITAMAgent* agent, const SmsSettings& settings)
    : CKelvraBase(agent, 1, 3000), m_settings(settings)
{
    LayoutCursor layout;
    layout.Take(kIndexBytes);
    m_text = layout.Text(settings.storedText, false);
    m_number = layout.Text(settings.storedNumber, false);
    layout.Text(settings.storedCallBack, false);
    m_timeOffset = layout.Take(kTimeBytes);
    layout.Take(kModeBytes);
    m_recordSize = layout.Offset();
}

uint32_t CKelvraSMS::GetBoxID(size_t slot)
{
    return slot < kSlotCount ? kSlots[slot].box : 11;
}

std::wstring CKelvraSMS::GetFolderName(uint32_t box)
{
    switch (box) {
    case 9: case 22: return L"Draft";
    case 10: case 23: case 29: case 30: return L"Outbox";
    case 11: case 16: case 19: case 24: return L"Inbox";
    case 17: case 20: case 28: return L"Sent";
    default: return L"";
    }
}

int CKelvraSMS::FolderCode(const std::wstring& folder)
{
    if (folder == L"Inbox")
        return 1;
    if (folder == L"Outbox")
        return 2;
    if (folder == L"Sent")
        return 3;
    return 4;
}

SUID CKelvraSMS::MakeSUID(const std::wstring& folder, uint32_t position)
{
    return FolderCode(folder) * kSuidPerFolder + static_cast<SUID>(position);
}

uint32_t CKelvraSMS::MostPerBox() const
{
    if (m_settings.maxCount > 0 && static_cast<uint32_t>(m_settings.maxCount) < kMostPerBox)
        return static_cast<uint32_t>(m_settings.maxCount);
    return kMostPerBox;
}

ULONG CKelvraSMS::GetSMSCount(BoxTable& boxes, bool dualCard)
{
    ULONG total = 0;
    for (size_t slot = 0; slot < kSlotCount; ++slot) {
        Box& box = boxes[slot];
        box = Box{};
        if (kSlots[slot].use == BoxUse::SecondCard && !dualCard)
            continue;
        box.slot = static_cast<uint32_t>(slot);
        if (kSlots[slot].use == BoxUse::Never)
            continue;
        uint32_t count = GetRecordCount(kSlots[slot].box);
        // A count past what the model can hold is a garbled reply: list what it can hold.
        if (count > MostPerBox()) {
            DebugLog(L"Box %u counts %u messages; only %u are listed", kSlots[slot].box, count, MostPerBox());
            count = MostPerBox();
        }
        box.count = box.remaining = count;
        total += count;
    }
    return total;
}

void CKelvraSMS::ReadSMS(uint32_t index, uint32_t box, ColumnMap& map, uint32_t position)
{
    RecordBytes record = ReadRecord(box, index, m_recordSize);
    std::wstring folder = GetFolderName(box);
    map.SetText(L"CONTENT", StoredText(record, m_text));
    if (folder == L"Inbox")
        map.SetText(L"SENDER", StoredText(record, m_number));
    else if (!folder.empty())
        map.SetText(L"RECEIVER", StoredText(record, m_number));
    Variant date;
    date.Get().vt = VT_DATE;
    date.Get().date = HandsetTimeToDate(record.U32(m_timeOffset), m_settings.model.Text());
    map[L"CREATE_DATE"] = date;
    map.SetText(L"MODE", L"Home");
    map.SetValue(L"SUID", VT_INT, MakeSUID(folder, position));
    map.SetValue(L"MY_FOLDER", VT_INT, -1);
    map.SetText(L"FOLDER", folder);
}

std::string CKelvraSMS::BuildSendRequest(const ColumnMap& map, bool dualCard) const
{
    size_t numberBytes = LayoutCursor::Checked(m_settings.sendNumberBytes, LayoutCursor::kMostUnits, L"number size");
    size_t textBytes = LayoutCursor::Checked(m_settings.sendTextBytes, LayoutCursor::kMostUnits, L"text size");
    // The receiver: at most as many characters as the field has bytes, and only those
    // whose bytes in the thread's ANSI code page fit it; the length byte counts the
    // characters sent.
    std::wstring receiver = map.TextOr(L"RECEIVER", L"");
    std::wstring_view cut =
        CutWithinUnits(receiver, std::min<size_t>(numberBytes, static_cast<size_t>(kMostReceiverChars)));
    std::string number = NarrowWithin(cut, CP_THREAD_ACP, numberBytes);
    size_t numberChars = Widen(number, CP_THREAD_ACP).size();
    // The text in UTF-8 with its terminator, whole characters only.
    std::string text = textBytes ? NarrowWithin(map.TextOr(L"CONTENT", L""), CP_UTF8, textBytes - 1) : std::string();

    Request request(kSendRequest);
    if (dualCard)
        request.Word(CardWord(map));
    request.Bytes(std::string(1, static_cast<char>(numberChars)));
    request.Field(number, numberBytes);
    request.Field(text, textBytes);
    return request.Packet();
}

DWORD CKelvraSMS::SendTimeout() const
{
    return m_settings.model.OccursInList(kSlowSendModels) ? kSlowSendTimeout : kSendTimeout;
}

std::string CKelvraSMS::DynamicWriteStream_Dual(std::string_view packet, uint16_t& replyCommand, DWORD timeoutMs)
{
    DebugLog(L"(+)[KELQEL]%ls : WriteStream()", L"CKelvraSMS::DynamicWriteStream_Dual");
    DebugLog(L"[KELQEL]%ls : ReadStream()", L"CKelvraSMS::DynamicWriteStream_Dual");
    std::string body;
    try {
        replyCommand = Transact(packet, body, timeoutMs);
    } catch (const _com_error& e) {
        DebugLog(L"[KELQEL]%ls : _com_error(0x%x)", L"CKelvraSMS::DynamicWriteStream_Dual",
                 static_cast<unsigned>(e.Error()));
        ThrowTamError(AgentFailureCode(e.Error()),
                      L"The device agent failed while the message was exchanged: " + CurrentExceptionText());
    }
    DebugLog(L"(-)[KELQEL]%ls ", L"CKelvraSMS::DynamicWriteStream_Dual");
    return body;
}

void CKelvraSMS::SendSMS(const ColumnMap& map, bool dualCard)
{
    std::string packet = BuildSendRequest(map, dualCard);
    uint16_t reply = 0;
    std::wstring cause;
    try {
        DynamicWriteStream_Dual(packet, reply, SendTimeout());
    } catch (...) {
        DebugLog(L"[KALQEL]%ls : Exception!!!!", L"CKelvraSMS::SendSMS");
        cause = CurrentExceptionText();
        reply = 0;
    }
    if (reply == static_cast<uint16_t>(kSendRequest + 1))
        return;
    if (cause.empty()) {
        wchar_t code[8];
        swprintf(code, 8, L"%04X", reply);
        cause = L"the handset answered with reply code 0x" + std::wstring(code);
    }
    ThrowTamError(kTamSendRefused, L"The handset did not send the message: " + cause);
}

}  // namespace kelvra
