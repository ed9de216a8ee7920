#include "MessageSync.h"

#include <cstdio>
#include <cstdlib>

#include "ComFailure.h"
#include "ItemColumns.h"
#include "ItemPrinter.h"
#include "ModelProfileText.h"
#include "TableWalker.h"
#include "WholeFile.h"

namespace kelvra::host {

namespace {

// Box ids of the handset's SMS stores.
constexpr long kInbox = 11;
constexpr long kDrafts = 9;
constexpr long kSent = 28;
constexpr long kCard2Inbox = 19;
constexpr long kMmsInbox = 1;
// The demo's model counts SMS times 8:02:08 behind its local clock, MMS times not.
constexpr long kSmsClockLag = 28928;
// A send the handset did not confirm, and the reply code it refuses a send with.
constexpr HRESULT kSendNotConfirmed = static_cast<HRESULT>(0x80049E44);
const char kRefusalReply[] = "reply code 0x4172";

Variant ColumnValue(IItem* item, const wchar_t* name)
{
    for (NamedValue& column : ReadColumns(item)) {
        if (column.name == name)
            return std::move(column.value);
    }
    return {};
}

ComPtr<IItem> NewItem(IDataTable* table, QELDATATYPE kind)
{
    ComPtr<IItem> item;
    CheckCall(table->NewItem(kind, 0, 0, item.GetAddressOf()), "Making a new message");
    if (!item)
        throw ComFailure(E_UNEXPECTED, "The message table made no new message");
    return item;
}

std::string SmsAsJson(IItem* sms)
{
    std::wstring party = ColumnText(sms, L"SENDER");
    if (party.empty())
        party = ColumnText(sms, L"RECEIVER");
    Variant date = ColumnValue(sms, L"CREATE_DATE");
    TIME_ZONE_INFORMATION zone = {};
    GetTimeZoneInformation(&zone);
    std::string time = date.Type() == VT_DATE ? JsonString(Widen(IsoTimeWithOffset(date.Get().date, zone.Bias), CP_UTF8))
                                              : std::string("null");
    return "{\"folder\": " + JsonString(ColumnText(sms, L"FOLDER")) + ", \"party\": " + JsonString(party) +
           ", \"time\": " + time + ", \"text\": " + JsonString(ColumnText(sms, L"CONTENT")) + "}";
}

// Seconds from 1970-01-01 of a time, less the lag of the demo handset's clock.
long DemoTimeWord(WORD year, WORD month, WORD day, WORD hour, WORD minute, long lag = kSmsClockLag)
{
    SYSTEMTIME time = {year, month, 0, day, hour, minute, 0, 0};
    FILETIME file;
    SystemTimeToFileTime(&time, &file);
    ULARGE_INTEGER ticks = {{file.dwLowDateTime, file.dwHighDateTime}};
    const unsigned long long kTicksTo1970 = 116444736000000000ULL;
    return static_cast<long>((ticks.QuadPart - kTicksTo1970) / 10000000ULL) - lag;
}

// An MMS content as the handset keeps it, opaque to the component: a header naming its
// parts, then the parts.
std::wstring DemoMmsContentHex()
{
    std::string bytes = "\x8C\x84\x98" "demo-0001\x00\x8D\x92" "application/vnd.wap.multipart.related";
    std::string text = "Photos from the cabin weekend. Lake was frozen!";
    bytes += text;
    for (int i = 0; bytes.size() < 20000; ++i)
        bytes += static_cast<char>((i * 37 + 11) & 0xFF);  // stands in for a picture
    std::wstring hex;
    const wchar_t* digits = L"0123456789ABCDEF";
    for (unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

}  // namespace

size_t CharactersWithin(const std::wstring& text, size_t bytes)
{
    size_t used = 0;
    size_t chars = 0;
    while (chars < text.size()) {
        wchar_t c = text[chars];
        bool pair = c >= 0xD800 && c <= 0xDBFF && chars + 1 < text.size();
        size_t size = pair ? 4 : c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
        if (used + size > bytes)
            break;
        used += size;
        chars += pair ? 2 : 1;
    }
    return chars;
}

std::string IsoTimeWithOffset(DATE date, LONG biasMinutes)
{
    SYSTEMTIME time = {};
    VariantTimeToSystemTime(date, &time);
    LONG offset = -biasMinutes;
    char text[40];
    snprintf(text, sizeof(text), "%04u-%02u-%02uT%02u:%02u:%02u%c%02ld:%02ld", time.wYear, time.wMonth, time.wDay,
             time.wHour, time.wMinute, time.wSecond, offset < 0 ? '-' : '+', std::labs(offset) / 60,
             std::labs(offset) % 60);
    return text;
}

ComPtr<IDataTable> MessageSync::Table(const wchar_t* name, QELDATATYPE& kind)
{
    return m_session.Table(name, kind);
}

size_t MessageSync::SendSms(const std::wstring& number, const std::wstring& text, int card, bool cut)
{
    size_t chars = SmsFits(text, cut);
    QELDATATYPE kind;
    ComPtr<IDataTable> table = Table(L"sms", kind);
    ComPtr<IItem> sms = NewItem(table.Get(), kind);
    SetColumnText(sms.Get(), L"RECEIVER", number);
    SetColumnText(sms.Get(), L"CONTENT", text.substr(0, chars));
    SetColumnText(sms.Get(), L"SEND_STATE", card == 2 ? L"Sending_SIM2" : L"Sending_SIM1");
    ComPtr<IItem> unused;
    try {
        CheckCall(table->Execute(Bstr(L"").Get(), sms.Get(), unused.GetAddressOf()), "Sending the SMS");
    } catch (const ComFailure& failure) {
        if (failure.Result() != kSendNotConfirmed)
            throw;
        std::string why = failure.Reason();
        size_t cause = why.find(": ");
        if (why.rfind("The handset did not send the message", 0) == 0 && cause != std::string::npos)
            why.erase(0, cause + 2);
        if (why.find(kRefusalReply) != std::string::npos)
            throw ComFailure(failure.Result(), "the handset refused the SMS; nothing was sent\n  " + why, failure.Reason());
        // The request went out and no answer the handset gives for a refusal came back:
        // the message may well be on its way, whatever the component concludes.
        throw ComFailure(failure.Result(),
                         "the handset did not confirm the SMS, so it may have been sent all the same; look in card " +
                             std::to_string(card) + "'s sent box (kelvra-sync list sms) before sending it again\n  " +
                             why,
                         failure.Reason());
    }
    return chars;
}

size_t MessageSync::SmsFits(const std::wstring& text, bool cut) const
{
    // The send request's text field, terminator included, in the handset's encoding.
    ModelProfileText profile = ModelProfileText::Of(m_session.Model());
    long field = profile.Count("DB_TABLE_13", "Field_Index_3");
    if (field <= 1)
        return text.size();
    size_t limit = static_cast<size_t>(field - 1);
    size_t chars = CharactersWithin(text, limit);
    if (chars < text.size() && !cut) {
        throw BadValue("the text is " + std::to_string(NarrowUtf8(text).size()) + " bytes as the handset encodes it (UTF-8); the " +
                       profile.ModelName() + " sends at most " + std::to_string(limit) +
                       " in one SMS (as many Latin letters, a third as many Korean characters); shorten it, or give --cut to send its first " +
                       std::to_string(chars) + " characters");
    }
    return chars;
}

std::string SmsAsJson(const std::vector<ComPtr<IItem>>& messages)
{
    std::string json = "[";
    for (size_t i = 0; i < messages.size(); ++i)
        json += (i ? ",\n  " : "\n  ") + SmsAsJson(messages[i].Get());
    return json + (messages.empty() ? "]\n" : "\n]\n");
}

size_t MessageSync::ExportSms(const std::wstring& path)
{
    QELDATATYPE kind;
    ComPtr<IDataTable> table = Table(L"sms", kind);
    std::vector<ComPtr<IItem>> messages = TableWalker(table.Get()).Items(kind, true);
    WriteWhole(path, SmsAsJson(messages));
    return messages.size();
}

size_t MessageSync::FetchMms(SUID suid, const std::wstring& path)
{
    QELDATATYPE kind;
    ComPtr<IDataTable> table = Table(L"mms", kind);
    for (const auto& mms : TableWalker(table.Get()).Items(kind, false)) {
        if (ItemSuid(mms.Get()) != suid)
            continue;
        CheckCall(table->ReadItem(mms.Get()), "Fetching the MMS");
        std::string content = ReadWhole(ColumnText(mms.Get(), L"ATTACHMENT_FILE_PATH"));
        WriteWhole(path, content);
        return content.size();
    }
    throw BadValue("there is no MMS with SUID " + std::to_string(suid));
}

void MessageSync::SendMms(const std::wstring& path)
{
    QELDATATYPE kind;
    ComPtr<IDataTable> table = Table(L"mms", kind);
    ComPtr<IItem> mms = NewItem(table.Get(), kind);
    SetColumnText(mms.Get(), L"ATTACHMENT_FILE_PATH", FullPcPath(path));
    ComPtr<IItem> unused;
    CheckCall(table->Execute(Bstr(L"").Get(), mms.Get(), unused.GetAddressOf()), "Sending the MMS");
}

void MessageSync::SeedSms()
{
    ISimHandset* handset = m_session.Handset();
    struct Sms {
        long box;
        const wchar_t* number;
        const wchar_t* text;
        long time;
    };
    const Sms messages[] = {
        {kInbox, L"010-2345-6789", L"Dinner at 7? I'll book the place near the station.", DemoTimeWord(2026, 12, 4, 9, 15)},
        {kInbox, L"010-9876-5432", L"회의 자료 보냈어요. 확인 부탁드립니다.", DemoTimeWord(2026, 12, 5, 1, 40)},
        {kSent, L"010-2345-6789", L"Sounds good, see you there!", DemoTimeWord(2026, 12, 4, 9, 20)},
        {kDrafts, L"02-3456-7890", L"Could we move my appointment to Thursday?", DemoTimeWord(2026, 12, 5, 3, 0)},
        {kCard2Inbox, L"1588-0000", L"Your taxi is waiting outside.", DemoTimeWord(2026, 12, 5, 11, 5)},
    };
    for (const Sms& sms : messages)
        CheckCall(handset->AddSms(sms.box, Bstr(sms.number).Get(), Bstr(sms.text).Get(), sms.time),
                  "Putting a demo SMS on the handset");
}

void MessageSync::SeedMms()
{
    long id = 0;
    CheckCall(m_session.Handset()->AddMms(kMmsInbox, Bstr(L"Cabin weekend").Get(), Bstr(L"010-2345-6789").Get(),
                              Bstr(L"01012345678").Get(), DemoTimeWord(2026, 12, 5, 12, 30, 0),
                              Bstr(DemoMmsContentHex()).Get(), &id),
              "Putting a demo MMS on the handset");
}

}  // namespace kelvra::host
