#include "MessageBench.h"

#include <fstream>
#include <stdexcept>

#include "BenchSession.h"
#include "ItemColumns.h"
#include "TableBench.h"
#include "TableSpec.h"

namespace kelvra::bench {

namespace {

constexpr int kModel = 211;  // KTM-A290
constexpr uint32_t kInbox = 11;
constexpr uint32_t kMmsInbox = 1;
constexpr uint32_t kSmsTime = 1796000000;  // December 2026 by the handset's clock

std::string MmsContent()
{
    std::string content(MessageBench::kMmsBytes, '\0');
    for (size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<char>(i * 7 + i / 251);
    return content;
}

}  // namespace

void MessageBench::Run(const std::vector<int>& wanted)
{
    LONG smsLimit = 0;
    {
        BenchSession session(kModel, m_platform);
        smsLimit = session.ProfileNumber(L"SMS_MaxCount");
    }
    for (const PhaseSize& size : SizesWithin(wanted, smsLimit, "the handset holds")) {
        ListSms(size.n, size.note);
        SendSms(size.n, size.note);
    }
    for (const PhaseSize& size : SizesWithin(wanted, kMostMms, "MMS measured up to")) {
        FetchMms(size.n, size.note);
        SendMms(size.n, size.note);
    }
}

void MessageBench::ListSms(int n, const std::string& note)
{
    BenchSession session(kModel, m_platform);
    for (int i = 0; i < n; ++i) {
        session.Sim().AddSms(kInbox, "010" + std::to_string(20000000 + i),
                             "Dinner at 7? I'll book the place near the station. " + std::to_string(i),
                             kSmsTime + static_cast<uint32_t>(i) * 60);
    }
    IDataTable* table = session.Table(DTID_MESSAGE);
    std::vector<ComPtr<IItem>> listed;
    Add(session, "sms", "list", n, session.Measure([&] { listed = ListedItems(table, QELDT_SMS); }), note);
    ExpectCount(listed.size(), n, "SMS listed");
}

void MessageBench::SendSms(int n, const std::string& note)
{
    BenchSession session(kModel, m_platform);
    IDataTable* table = session.Table(DTID_MESSAGE);
    Add(session, "sms", "send", n, session.Measure([&] {
        for (int i = 0; i < n; ++i) {
            ComPtr<IItem> sms = NewItemOf(table, QELDT_SMS);
            SetText(sms.Get(), L"RECEIVER", L"010" + std::to_wstring(30000000 + i));
            SetText(sms.Get(), L"CONTENT", L"On my way, ten minutes. " + std::to_wstring(i));
            SetText(sms.Get(), L"SEND_STATE", L"Sending_SIM1");
            ComPtr<IItem> unused;
            Check(table->Execute(Bstr(L"").Get(), sms.Get(), unused.GetAddressOf()), "Sending an SMS");
        }
    }), note);
    ExpectCount(ListedItems(table, QELDT_SMS).size(), n, "SMS in the sent box");
}

void MessageBench::FetchMms(int n, const std::string& note)
{
    BenchSession session(kModel, m_platform);
    std::string content = MmsContent();
    for (int i = 0; i < n; ++i)
        session.Sim().Mms().Add(kMmsInbox, "Cabin weekend " + std::to_string(i), "01023456789", "01012345678",
                                kSmsTime + static_cast<uint32_t>(i) * 60, content);
    IDataTable* table = session.Table(DTID_MMS);
    std::vector<ComPtr<IItem>> messages = ListedItems(table, QELDT_MMS);
    ExpectCount(messages.size(), n, "MMS listed");
    Add(session, "mms", "fetch", n, session.Measure([&] {
        for (const auto& mms : messages)
            Check(table->ReadItem(mms.Get()), "Fetching an MMS");
    }), note);
    uint64_t saved = FileSize(TextOf(messages.back().Get(), L"ATTACHMENT_FILE_PATH"));
    ExpectCount(static_cast<size_t>(saved), static_cast<int>(kMmsBytes), "bytes of a fetched MMS");
}

void MessageBench::SendMms(int n, const std::string& note)
{
    BenchSession session(kModel, m_platform);
    std::wstring path = session.Folder() + L"\\message.mms";
    std::ofstream(path.c_str(), std::ios::binary) << MmsContent();
    IDataTable* table = session.Table(DTID_MMS);
    Add(session, "mms", "send", n, session.Measure([&] {
        for (int i = 0; i < n; ++i) {
            ComPtr<IItem> mms = NewItemOf(table, QELDT_MMS);
            SetText(mms.Get(), L"ATTACHMENT_FILE_PATH", path);
            ComPtr<IItem> unused;
            Check(table->Execute(Bstr(L"").Get(), mms.Get(), unused.GetAddressOf()), "Sending an MMS");
        }
    }), note);
    ExpectCount(ListedItems(table, QELDT_MMS).size(), n, "MMS in the Sent folder");
}

void MessageBench::Add(BenchSession& session, const char* table, const char* operation, int n,
                       const PhaseFigures& figures, const std::string& note)
{
    m_report.Add({table, operation, session.ModelName(), n, figures, note});
}

}  // namespace kelvra::bench
