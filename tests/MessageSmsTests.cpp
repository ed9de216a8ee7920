// The message table and its device link: send packets byte by byte, the listing of a
// dual-card handset, failed and hostile exchanges, and a send seen in the sent box.
#include <gtest/gtest.h>

#include <algorithm>

#include "DataTableKelvraSMS.h"
#include "KelvraSMS.h"
#include "MessageTime.h"
#include "OrganizerTestSupport.h"
#include "RecordBuilder.h"
#include "ScriptedAgent.h"

using namespace kelvra;
using namespace kelvra::testing;

namespace {

constexpr int kA280 = 202;
constexpr int kA230 = 208;
constexpr int kA110 = 218;
constexpr HRESULT kSendRefused = static_cast<HRESULT>(0x80049E44);
const std::string kAccepted = Bytes("71 41 00 00 00 00");

struct SmsHandset : OrgHandset {
    explicit SmsHandset(int resource, const wchar_t* dualCard = L"") : OrgHandset(resource)
    {
        Answer(L"SMS.DualCard", dualCard);
        connection->put_DualCard(_wcsicmp(dualCard, L"true") == 0 ? VARIANT_TRUE : VARIANT_FALSE);
        table = Table(DTID_MESSAGE);
        EXPECT_TRUE(table);
    }
    void Add(long box, const wchar_t* number, const wchar_t* text, long time = 0)
    {
        ASSERT_EQ(S_OK, connection->AddSms(box, Bstr(number).Get(), Bstr(text).Get(), time));
    }
    HRESULT Send(const wchar_t* receiver, const wchar_t* content, const wchar_t* card = L"")
    {
        ComPtr<IItem> item;
        EXPECT_EQ(S_OK, table->NewItem(QELDT_SMS, 0, 0, item.GetAddressOf()));
        if (!item)
            return E_POINTER;
        SetColumn(item.Get(), L"RECEIVER", receiver);
        SetColumn(item.Get(), L"CONTENT", content);
        SetColumn(item.Get(), L"SEND_STATE", card);
        return table->Execute(nullptr, item.Get(), nullptr);
    }
    ComPtr<IDataTable> table;
};

// The link of a model's profile over a scripted agent.
struct ScriptedSms {
    explicit ScriptedSms(int resource) : handset(resource), settings(SmsSettings::Load(handset.device->Model())) {}
    OrgHandset handset;
    SmsSettings settings;
    ComPtr<ScriptedAgent> agent = ScriptedAgent::Make();
    CKelvraSMS codec{agent.Get(), settings};
};

std::string Repeat(const std::string& piece, size_t times)
{
    std::string all;
    for (size_t i = 0; i < times; ++i)
        all += piece;
    return all;
}

std::wstring ErrorText()
{
    ComPtr<IErrorInfo> info;
    Bstr text;
    if (GetErrorInfo(0, info.GetAddressOf()) == S_OK && info)
        info->GetDescription(text.Out());
    return text.Str();
}

ColumnMap Message(const wchar_t* receiver, const std::wstring& content, const wchar_t* card = L"")
{
    ColumnMap map;
    map.SetText(L"RECEIVER", receiver);
    map.SetText(L"CONTENT", content);
    map.SetText(L"SEND_STATE", card);
    return map;
}

const wchar_t kLongReceiver[] = L"0123456789012345678901234567890123456789";  // 40 digits, the field takes 34
const std::wstring kKorean90(90, L'\uAC00');                                  // 270 UTF-8 bytes

}  // namespace

TEST(SmsSend, SingleCardPacketCutsReceiverAndTextToTheirFields)
{
    ScriptedSms s(kA280);
    s.agent->Queue(kAccepted);
    s.codec.SendSMS(Message(kLongReceiver, kKorean90), false);
    // Payload 1 + 34 + 255 = 290; 84 whole characters (252 bytes) and the terminator fit
    // the 255-byte text field.
    std::string expected = RecordBuilder()
                               .U16(0x4170).U32(290)
                               .U8(34).Narrow("0123456789012345678901234567890123", 34)
                               .Narrow(Repeat("\xEA\xB0\x80", 84), 255)
                               .Bytes();
    EXPECT_EQ(expected, s.agent->written);
    EXPECT_EQ(std::vector<long>({120000}), s.agent->readTimeouts);
}

TEST(SmsSend, SecondCardPacketLeadsWithItsCardWordAndNeverSplitsACharacter)
{
    ScriptedSms s(kA280);
    s.agent->Queue(kAccepted);
    // 83 characters of 3 bytes and one of 4 fill 253 bytes; the second 4-byte one would
    // leave no room for the terminator.
    std::wstring content = std::wstring(83, L'\uAC00') + L"\U0001F600\U0001F600";
    s.codec.SendSMS(Message(kLongReceiver, content, L"Sending_SIM2"), true);
    std::string expected = RecordBuilder()
                               .U16(0x4170).U32(294).U32(22)
                               .U8(34).Narrow("0123456789012345678901234567890123", 34)
                               .Narrow(Repeat("\xEA\xB0\x80", 83) + "\xF0\x9F\x98\x80", 255)
                               .Bytes();
    EXPECT_EQ(expected, s.agent->written);
}

TEST(SmsSend, CardWordAndTimeoutFollowTheModel)
{
    ScriptedSms s(kA110);
    for (auto [state, word] : {std::pair{L"Sending_SIM1", 9u}, {L"Sending_SIM2", 22u}, {L"", 0u}}) {
        s.agent->written.clear();
        s.agent->Queue(kAccepted);
        s.codec.SendSMS(Message(L"0107", L"hi", state), true);
        EXPECT_EQ(RecordBuilder().U32(word).Bytes(), s.agent->written.substr(6, 4)) << word;
    }
    EXPECT_EQ(70000, s.agent->readTimeouts.front());
}

TEST(SmsSend, AgentFailuresMapToTheirCodesAndEveryFailedSendIsRefused)
{
    SmsHandset h(kA280);
    SmsSettings settings = SmsSettings::Load(h.device->Model());
    CKelvraSMS codec(h.device->Agent(), settings);
    std::string packet = codec.BuildSendRequest(Message(L"0107", L"hi"), false);
    for (auto [failure, code] : {std::pair{static_cast<HRESULT>(0x8007048F), 20L},
                                 {static_cast<HRESULT>(0x80040014), 20L},
                                 {HRESULT_FROM_WIN32(ERROR_TIMEOUT), 15L},
                                 {E_FAIL, 774L}}) {
        ASSERT_EQ(S_OK, h.connection->FailMethod(Bstr(L"ReadStream").Get(), failure));
        uint16_t reply = 0;
        try {
            codec.DynamicWriteStream_Dual(packet, reply, 70000);
            ADD_FAILURE() << "no failure for " << std::hex << failure;
        } catch (const _tam_error& e) {
            EXPECT_EQ(code, e.Code()) << std::hex << failure;
        }
        try {
            codec.SendSMS(Message(L"0107", L"hi"), false);
            ADD_FAILURE() << "sent despite " << std::hex << failure;
        } catch (const _tam_error& e) {
            EXPECT_EQ(0x9E44, e.Code());
        }
    }
}

TEST(SmsSend, RefusedTimedOutAndReceiverlessSendsFailWithErrorInformation)
{
    SmsHandset h(kA280);
    h.Sim().InjectFault(SIMFAULT_WRONG_REPLY_CODE, 0);
    EXPECT_EQ(kSendRefused, h.Send(L"0107", L"refused"));
    EXPECT_NE(std::wstring::npos, ErrorText().find(L"did not send")) << ErrorText();

    h.Sim().InjectFault(SIMFAULT_TIMEOUT, 0);
    EXPECT_EQ(kSendRefused, h.Send(L"0107", L"timed out"));
    EXPECT_FALSE(ErrorText().empty());

    size_t sent = h.Sim().RecordCount(28);
    EXPECT_EQ(kSendRefused, h.Send(L"", L"nobody"));
    EXPECT_EQ(sent, h.Sim().RecordCount(28));
    // Each send waited before it went.
    EXPECT_EQ(3, std::count(Services().pauses.begin(), Services().pauses.end(), 3000u));
}

TEST(SmsSend, SentMessagesAppearInTheSentBoxOfTheirCard)
{
    SmsHandset h(kA280, L"true");
    // A send uses the card answer of the last listing.
    EXPECT_TRUE(ListAll(h.table.Get()).empty());
    ASSERT_EQ(S_OK, h.Send(L"01012345678", L"first card \uC548\uB155", L"Sending_SIM1"));
    ASSERT_EQ(S_OK, h.Send(L"01099998888", L"second card", L"Sending_SIM2"));
    auto items = ListAll(h.table.Get());
    ASSERT_EQ(2u, items.size());
    EXPECT_EQ(L"first card \uC548\uB155", ColumnText(items[0].Get(), L"CONTENT"));
    EXPECT_EQ(L"01012345678", ColumnText(items[0].Get(), L"RECEIVER"));
    EXPECT_EQ(L"01099998888", ColumnText(items[1].Get(), L"RECEIVER"));
    for (const auto& item : items)
        EXPECT_EQ(L"Sent", ColumnText(item.Get(), L"FOLDER"));
    EXPECT_EQ(3 * 1048591 + 1, SuidOf(items[0].Get()));
    EXPECT_EQ(3 * 1048591 + 2, SuidOf(items[1].Get()));
    // A packet without the card word does not fit a dual-card handset.
    h.Answer(L"SMS.DualCard", L"false");
    ListAll(h.table.Get());
    EXPECT_EQ(kSendRefused, h.Send(L"01012345678", L"no card word"));
    EXPECT_EQ(1u, h.Sim().RecordCount(28));
}

TEST(SmsListing, DualCardBoxesInOrderWithFoldersPartiesTimesAndDistinctSuids)
{
    const uint32_t kTime = 1700000000;  // 2023-11-14 22:13:20 UTC
    Services().timeZoneBias = -540;     // nine hours ahead of UTC
    // A230 counts universal time; A280 lags 8:02:08 behind the PC.
    for (auto [resource, expected] : {std::pair{kA230, DateTime(2023, 11, 15, 7, 13, 20)},
                                      {kA280, DateTime(2023, 11, 15, 6, 15, 28)}}) {
        SCOPED_TRACE(resource);
        SmsHandset h(resource, L"TRUE");
        h.Add(11, L"0101", L"inbox one", kTime);
        h.Add(11, L"0102", L"inbox two", kTime);
        h.Add(16, L"0116", L"inbox sixteen", kTime);
        h.Add(19, L"0119", L"second card inbox", kTime);
        h.Add(10, L"0110", L"outbox", kTime);
        h.Add(28, L"0128", L"sent", kTime);
        ULONG count = 0;
        EXPECT_EQ(S_OK, h.table->GetItemCount(nullptr, 0, QELDT_SMS, &count));
        // The flag was asked when the table was made, before this handset said it has two
        // cards; the listing asks again.
        EXPECT_EQ(5u, count);

        auto items = ListAll(h.table.Get());
        struct Row { const wchar_t *content, *folder, *party; SUID suid; };
        const Row rows[] = {
            {L"inbox two", L"Inbox", L"0102", 1048592},          {L"inbox one", L"Inbox", L"0101", 1048593},
            {L"outbox", L"Outbox", L"0110", 2097183},            {L"sent", L"Sent", L"0128", 3145774},
            {L"inbox sixteen", L"Inbox", L"0116", 1048594},      {L"second card inbox", L"Inbox", L"0119", 1048595},
        };
        ASSERT_EQ(std::size(rows), items.size());
        for (size_t i = 0; i < items.size(); ++i) {
            IItem* item = items[i].Get();
            const Row& row = rows[i];
            EXPECT_EQ(row.content, ColumnText(item, L"CONTENT"));
            EXPECT_EQ(row.folder, ColumnText(item, L"FOLDER"));
            bool inbox = std::wstring(row.folder) == L"Inbox";
            EXPECT_EQ(row.party, ColumnText(item, inbox ? L"SENDER" : L"RECEIVER"));
            EXPECT_EQ(VT_EMPTY, Column(item, inbox ? L"RECEIVER" : L"SENDER").Type());
            EXPECT_EQ(row.suid, SuidOf(item));
            EXPECT_EQ(VT_INT, Column(item, L"SUID").Type());
            EXPECT_EQ(VT_INT, Column(item, L"MY_FOLDER").Type());
            EXPECT_EQ(-1, Column(item, L"MY_FOLDER").Get().intVal);
            EXPECT_EQ(L"Home", ColumnText(item, L"MODE"));
            EXPECT_NEAR(expected.Get().date, Column(item, L"CREATE_DATE").Get().date, 1e-7);
        }
        // Told it has one card, the handset's second-card inbox is not listed.
        h.Answer(L"SMS.DualCard", L"false");
        EXPECT_EQ(5u, ListAll(h.table.Get()).size());
    }
}

TEST(SmsListing, TimeWordZeroOnEachModelFamily)
{
    Services().timeZoneBias = 60;
    EXPECT_EQ(DateFromUnixSeconds(0), HandsetTimeToDate(0, L"KTM-A160"));
    EXPECT_EQ(DateFromUnixSeconds(-3600), HandsetTimeToDate(0, L"ktm-a130"));
    EXPECT_EQ(DateFromUnixSeconds(8 * 3600 + 2 * 60 + 8), HandsetTimeToDate(0, L"KTM-A100"));
}

TEST(SmsListing, ShortRecordFailsAloneAndTextsStayWithinTheirFields)
{
    SmsHandset h(kA280);
    // Text count 254 (field 255) with no terminator inside, then the number field.
    std::string full = RecordBuilder()
                           .U16(1).Fill(255, 'A').Narrow("0107", 340).Fill(32, '9').U32(0).U32(0)
                           .Bytes();
    h.Sim().PutRecord(11, 1, full);
    h.Sim().PutRecord(11, 2, Bytes("02 00 41 42 43"));

    ASSERT_EQ(S_OK, h.table->ListItemsAllBegin());
    ComPtr<IItem> item;
    EXPECT_EQ(static_cast<HRESULT>(0x80040001), h.table->NextItem(item.GetAddressOf()));  // a wrong reply
    EXPECT_FALSE(item);
    EXPECT_NE(std::wstring::npos, ErrorText().find(L"Message 2 of box 11")) << ErrorText();
    ASSERT_EQ(S_OK, h.table->NextItem(item.ReleaseAndGetAddressOf()));
    ASSERT_TRUE(item);
    EXPECT_EQ(std::wstring(254, L'A'), ColumnText(item.Get(), L"CONTENT"));
    EXPECT_EQ(L"0107", ColumnText(item.Get(), L"SENDER"));
    ASSERT_EQ(S_OK, h.table->NextItem(item.ReleaseAndGetAddressOf()));
    EXPECT_FALSE(item);

    // The table works on.
    ULONG count = 0;
    EXPECT_EQ(S_OK, h.table->GetItemCount(nullptr, 0, QELDT_SMS, &count));
    EXPECT_EQ(2u, count);
    EXPECT_EQ(S_OK, h.Send(L"0107", L"still working"));
}

TEST(SmsListing, GarbageBoxCountIsBoundedByTheModelsCapacity)
{
    ScriptedSms s(kA280);
    s.agent->Queue(Bytes("01 41 04 00 00 00 FF FF FF FF"));
    for (int box = 1; box < 7; ++box)
        s.agent->Queue(Bytes("01 41 04 00 00 00 00 00 00 00"));
    CKelvraSMS::BoxTable boxes{};
    EXPECT_EQ(1000u, s.codec.GetSMSCount(boxes, false));  // "SMS_MaxCount" of the KTM-A280
    EXPECT_EQ(1000u, boxes[0].remaining);
}

TEST(SmsTable, AProfileWithoutMessageFieldSizesRefusesToReadOrSend)
{
    SmsHandset h(kA280);
    h.Add(11, L"0101", L"kept");
    // A profile that names no message fields, as a handset's own copy may.
    h.device->Model().SetText(L"SMS_DataLen", L"-1");
    auto table = CDataTableKelvraSMS::Make();
    table->Initialize(h.device.Get(), static_cast<ITAMConnection*>(h.connection.Get()));
    ComPtr<IItem> item;
    ASSERT_EQ(S_OK, table->NewItem(QELDT_SMS, 0, 0, item.GetAddressOf()));
    long requests = h.Sim().RequestCount();
    EXPECT_EQ(E_FAIL, table->Execute(nullptr, item.Get(), nullptr));
    EXPECT_NE(std::wstring::npos, ErrorText().find(L"gives no sizes for its SMS fields"));
    EXPECT_EQ(requests, h.Sim().RequestCount());  // nothing reached the handset
    EXPECT_EQ(E_FAIL, table->ListItemsAllBegin());
}
