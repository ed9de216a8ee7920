#include "FaultSweep.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>

#include "DataTableKelvraCard.h"
#include "DataTableKelvraFile.h"
#include "DataTableKelvraMMS.h"
#include "DataTableKelvraMemo.h"
#include "DataTableKelvraSMS.h"
#include "DataTableKelvraSchedule.h"
#include "DataTableKelvraTask.h"
#include "KelvraBase.h"

namespace kelvra::testing::sweep {

namespace {

const HRESULT kAgentFailure = HRESULT_FROM_WIN32(ERROR_GEN_FAILURE);
// Past this many blocks a copy is taken to have moved whole before its failure could bite.
constexpr long kMostBlocks = 64;
const wchar_t kPhone[] = L"phone:";
const wchar_t kPc[] = L"pc:";

std::string Hex(const std::string& bytes)
{
    return sim::HexFromBytes(bytes);
}

// Two versions of a record: the first bytes where they part, 24 bytes of each from there.
std::string Contrast(const std::string* expected, const std::string* actual)
{
    if (!expected || !actual)
        return expected ? "expected " + std::to_string(expected->size()) + " bytes, holds none"
                        : "expected none, holds " + Hex(actual->substr(0, 24)) + "... (" +
                              std::to_string(actual->size()) + " bytes)";
    size_t at = 0;
    while (at < expected->size() && at < actual->size() && (*expected)[at] == (*actual)[at])
        ++at;
    return "from byte " + std::to_string(at) + " of " + std::to_string(expected->size()) + " expected " +
           Hex(expected->substr(at, 24)) + ", holds " + Hex(actual->substr(at, 24)) + " (" +
           std::to_string(actual->size()) + " bytes)";
}

std::string Utf8(const std::wstring& text)
{
    return NarrowUtf8(text);
}

// Every file below a folder, by its path below it.
void ReadFiles(const std::wstring& folder, const std::wstring& prefix, std::map<std::wstring, std::string>& files)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        std::wstring path = folder + L"\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ReadFiles(path, prefix + name + L"/", files);
        } else {
            std::ifstream file(path.c_str(), std::ios::binary);
            files[prefix + name] = std::string(std::istreambuf_iterator<char>(file), {});
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

void RemoveFolder(const std::wstring& folder)
{
    if (folder.empty())
        return;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring path = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveFolder(path);
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

void WriteFileWithFolders(const std::wstring& path, const std::string& bytes)
{
    for (size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1))
        CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
    std::ofstream(path.c_str(), std::ios::binary) << bytes;
}

template <class Table, class... Extra>
ComPtr<Table> Made(CDeviceDataKELVRA* owner, ITAMConnection* connection, Extra... extra)
{
    ComPtr<Table> table = Table::Make();
    table->Initialize(owner, connection, extra...);
    return table;
}

// A table on the run's connection, tied to the model's device data object as the object
// ties the tables it makes.
ComPtr<IDataTable> MakeTable(DATATABLE_SUID id, OrgHandset& device, ITAMConnection* connection)
{
    CDeviceDataKELVRA* owner = device.device.Get();
    switch (id) {
    case DTID_PHONEBOOK: {
        ComPtr<CDataTableKelvraPB> table = Made<CDataTableKelvraPB>(owner, connection);
        table->SetModelDatabase(device.models.Get());
        return table;
    }
    case DTID_SIM: return Made<CDataTableKelvraCard>(owner, connection, 13u);
    case DTID_SIM2: return Made<CDataTableKelvraCard>(owner, connection, 14u);
    case DTID_CALENDAR: return Made<CDataTableKelvraSchedule>(owner, connection);
    case DTID_TASK: return Made<CDataTableKelvraTask>(owner, connection);
    case DTID_MEMO: return Made<CDataTableKelvraMemo>(owner, connection);
    case DTID_FILE: return Made<CDataTableKelvraFile>(owner, connection);
    case DTID_MMS: return Made<CDataTableKelvraMMS>(owner, connection);
    case DTID_MESSAGE: {
        ComPtr<CDataTableKelvraSMS> table = Made<CDataTableKelvraSMS>(owner, connection);
        table->AskDualCard(device.models.Get());
        return table;
    }
    default:
        ADD_FAILURE() << "no table " << id;
        return {};
    }
}

// Whether the link answers the next request rightly, after whatever the run left on it.
std::string ProbeLink(SweepRun& run, uint32_t store)
{
    run.Connection().InjectFault(SIMFAULT_NONE, 0);
    run.Connection().State().failingCalls.clear();
    run.Connection().FailCopyAfter(0, S_OK);
    try {
        CKelvraBase link(AgentOf(run.Connection()).Get());
        uint32_t count = link.GetRecordCount(store);
        if (count == run.Sim().RecordCount(store))
            return {};
        return "afterwards the handset's count of store " + std::to_string(store) + " read as " +
               std::to_string(count) + " instead of " + std::to_string(run.Sim().RecordCount(store)) +
               ": the link is out of step";
    } catch (...) {
        return "afterwards the next request failed (" + Utf8(CurrentExceptionText()) + "): the link is out of step";
    }
}

void CheckListing(const Result& expected, const Result& got, std::vector<std::string>& problems)
{
    for (const auto& [key, text] : got.listed) {
        auto found = expected.listed.find(key);
        if (found == expected.listed.end())
            problems.push_back("listed " + key + ", which a clean listing does not have");
        else if (found->second != text)
            problems.push_back("listed " + key + " as {" + text + "} instead of {" + found->second + "}");
    }
    size_t accounted = got.listed.size() + static_cast<size_t>(got.passedOver);
    bool beginFailed = FAILED(got.hr) && got.listed.empty() && got.passedOver == 0;
    if (!beginFailed && accounted != expected.listed.size()) {
        problems.push_back("listed " + std::to_string(got.listed.size()) + " and failed on " +
                           std::to_string(got.passedOver) + " of " + std::to_string(expected.listed.size()) +
                           " records" + (SUCCEEDED(got.hr) ? ", reporting success" : ""));
    }
}

}  // namespace

ComPtr<ITAMAgent> AgentOf(sim::SimConnection& connection)
{
    ComPtr<IUnknown> service;
    ComPtr<ITAMAgent> agent;
    if (SUCCEEDED(connection.GetService(SID_TAMAgent, service.GetAddressOf())) && service)
        service.As(&agent);
    return agent;
}

std::string Differences(const HandsetState& expected, const HandsetState& actual)
{
    std::string text;
    std::set<std::pair<uint32_t, uint32_t>> places;
    for (const auto* state : {&expected, &actual}) {
        for (const auto& [store, records] : state->records) {
            for (const auto& record : records)
                places.insert({store, record.first});
        }
    }
    auto find = [](const HandsetState& state, uint32_t store, uint32_t index) -> const std::string* {
        auto s = state.records.find(store);
        if (s == state.records.end())
            return nullptr;
        auto r = s->second.find(index);
        return r == s->second.end() ? nullptr : &r->second;
    };
    for (auto [store, index] : places) {
        const std::string* a = find(expected, store, index);
        const std::string* b = find(actual, store, index);
        if (a && b && *a == *b)
            continue;
        text += "\n    store " + std::to_string(store) + " index " + std::to_string(index) + ": " + Contrast(a, b);
    }
    std::set<std::wstring> paths;
    for (const auto* state : {&expected, &actual}) {
        for (const auto& file : state->files)
            paths.insert(file.first);
    }
    for (const std::wstring& path : paths) {
        auto a = expected.files.find(path);
        auto b = actual.files.find(path);
        bool hasA = a != expected.files.end(), hasB = b != actual.files.end();
        if (hasA && hasB && a->second == b->second)
            continue;
        text += "\n    file " + Utf8(path) + ": expected " +
                (hasA ? std::to_string(a->second.size()) + " bytes" : "none") + ", holds " +
                (hasB ? std::to_string(b->second.size()) + " bytes" : "none");
    }
    return text;
}

std::string Describe(const Fault& fault)
{
    switch (fault.way) {
    case Way::Timeout: return "time-out of reply " + std::to_string(fault.at + 1);
    case Way::ShortReply: return "short reply " + std::to_string(fault.at + 1);
    case Way::WrongReplyCode: return "wrong code on reply " + std::to_string(fault.at + 1);
    case Way::GarbageLength: return "garbage length on reply " + std::to_string(fault.at + 1);
    case Way::AgentCall: return Utf8(fault.method) + " call " + std::to_string(fault.at) + " failing";
    case Way::CopyBlock: return "copy failing after " + std::to_string(fault.at) + " blocks";
    }
    return "?";
}

SweepModel::SweepModel(int resource) : resource(resource), device(resource)
{
    name = Utf8(device.device->Model().Text(L"PhoneBaseInfo_PhoneModel"));
}

SweepRun::SweepRun(SweepModel& model, bool files) : m_model(model), m_connection(sim::SimConnection::Make())
{
    if (files) {
        m_fileRoot = MakeTempFolder(L"sweep-phone");
        m_pcFolder = MakeTempFolder(L"sweep-pc");
        EXPECT_EQ(S_OK, m_connection->put_FileRoot(Bstr(m_fileRoot).Get()));
    }
    EXPECT_EQ(S_OK, m_connection->put_Model(model.resource));
    for (uint32_t kind : {13u, 14u})
        EXPECT_EQ(S_OK, m_connection->SetCardInfo(static_cast<long>(kind), 16, 4, 20));
    for (const auto& [store, records] : model.seed.records) {
        for (const auto& [index, bytes] : records)
            Sim().PutRecord(store, index, bytes);
    }
    for (const auto& [path, bytes] : files ? model.seed.files : std::map<std::wstring, std::string>()) {
        bool phone = path.rfind(kPhone, 0) == 0;
        std::wstring local = path.substr(phone ? wcslen(kPhone) : wcslen(kPc));
        for (wchar_t& c : local)
            c = c == L'/' ? L'\\' : c;
        WriteFileWithFolders((phone ? m_fileRoot : m_pcFolder) + L"\\" + local, bytes);
    }
}

SweepRun::~SweepRun()
{
    m_tables.clear();
    RemoveFolder(m_fileRoot);
    RemoveFolder(m_pcFolder);
}

IDataTable* SweepRun::Table(DATATABLE_SUID id)
{
    ComPtr<IDataTable>& table = m_tables[id];
    if (!table)
        table = MakeTable(id, m_model.device, static_cast<ITAMConnection*>(m_connection.Get()));
    return table.Get();
}

HandsetState SweepRun::State() const
{
    HandsetState state;
    for (const auto& [store, records] : m_connection->State().handset.Contents().stores) {
        if (!records.empty())
            state.records[store] = records;
    }
    if (!m_fileRoot.empty()) {
        ReadFiles(m_fileRoot, kPhone, state.files);
        ReadFiles(m_pcFolder, kPc, state.files);
    }
    return state;
}

void SweepRun::Arm(const Fault& fault)
{
    switch (fault.way) {
    case Way::Timeout: m_connection->InjectFault(SIMFAULT_TIMEOUT, fault.at); break;
    case Way::ShortReply: m_connection->InjectFault(SIMFAULT_SHORT_REPLY, fault.at); break;
    case Way::WrongReplyCode: m_connection->InjectFault(SIMFAULT_WRONG_REPLY_CODE, fault.at); break;
    case Way::GarbageLength: m_connection->InjectFault(SIMFAULT_GARBAGE_LENGTH, fault.at); break;
    case Way::AgentCall:
        EXPECT_EQ(S_OK, m_connection->FailMethodCall(Bstr(fault.method).Get(), fault.at, kAgentFailure));
        break;
    case Way::CopyBlock: EXPECT_EQ(S_OK, m_connection->FailCopyAfter(fault.at, kAgentFailure)); break;
    }
}

void Result::Failed(HRESULT failure)
{
    std::wstring description = ThreadErrorDescription();
    lastError = description;
    if (SUCCEEDED(hr)) {
        hr = failure;
        error = description;
    }
    if (description.empty()) {
        char code[16];
        snprintf(code, sizeof(code), "0x%08lX", static_cast<unsigned long>(failure));
        problems.push_back(std::string("failed with ") + code + " and no error information");
    }
}

Result Call(HRESULT hr, std::string value)
{
    Result result;
    if (FAILED(hr))
        result.Failed(hr);
    else
        result.value = std::move(value);
    return result;
}

std::string ItemText(IItem* item)
{
    std::string text;
    ULONG count = 0;
    item->GetColumnCount(&count);
    for (ULONG column = 0; column < count; ++column) {
        Bstr name;
        Variant value, shown;
        item->GetColumnName(column, name.Out());
        if (FAILED(item->GetValue(column, value.Out())) || value.Type() == VT_EMPTY)
            continue;
        if (FAILED(VariantChangeType(shown.Out(), &value.Get(), 0, VT_BSTR)))
            continue;
        text += Utf8(name.Str()) + "=" + Utf8(shown.Get().bstrVal ? shown.Get().bstrVal : L"") + ";";
    }
    return text;
}

Result List(IDataTable* table)
{
    Result result;
    result.listing = true;
    SetErrorInfo(0, nullptr);
    HRESULT hr = table->ListItemsAllBegin();
    if (FAILED(hr)) {
        result.Failed(hr);
        return result;
    }
    bool ended = false;
    for (int call = 0; call < 200 && !ended; ++call) {
        ComPtr<IItem> item;
        SetErrorInfo(0, nullptr);
        hr = table->NextItem(item.GetAddressOf());
        if (FAILED(hr)) {
            ++result.passedOver;
            result.Failed(hr);
            // Passing over a record, the listing says which one and that it goes on.
            if (result.lastError.find(L"could not be read") == std::wstring::npos)
                result.problems.push_back("a failing NextItem did not name the record it passed over: " +
                                          Utf8(result.lastError));
            if (item)
                result.problems.push_back("a failing NextItem handed out an item");
        } else if (!item) {
            ended = true;
        } else {
            QELDATATYPE type{};
            item->getType(&type);
            std::string key = "SUID " + std::to_string(SuidOf(item.Get())) + " of type " + std::to_string(type);
            if (!result.listed.emplace(key, ItemText(item.Get())).second)
                result.problems.push_back("listed " + key + " twice");
        }
    }
    if (!ended)
        result.problems.push_back("the listing never ended");
    table->ListItemsEnd();
    return result;
}

Result Count(IDataTable* table, QELDATATYPE type)
{
    ULONG count = 0;
    SetErrorInfo(0, nullptr);
    HRESULT hr = table->GetItemCount(nullptr, 0, type, &count);
    return Call(hr, std::to_string(count));
}

ComPtr<IItem> Listed(IDataTable* table, const std::function<bool(IItem*)>& wanted)
{
    ComPtr<IItem> found;
    EXPECT_EQ(S_OK, table->ListItemsAllBegin());
    for (int call = 0; call < 200; ++call) {
        ComPtr<IItem> item;
        EXPECT_EQ(S_OK, table->NextItem(item.GetAddressOf()));
        if (!item)
            break;
        if (!found && (!wanted || wanted(item.Get())))
            found = item;
    }
    EXPECT_EQ(S_OK, table->ListItemsEnd());
    EXPECT_TRUE(found) << "nothing to work on";
    return found;
}

namespace {

// One faulted run; true when the operation reported success. A run may fail, with error
// information, leaving the handset as it was or as the clean run left it (a write the
// handset carried out whose answer was lost); it may succeed only when the fault did not
// keep it from being done: the handset as the clean run left it and the same result
// (a record read back after its write, a closing exchange, a reply the protocol takes).
// A listing changes nothing, lists no record otherwise than the clean listing, and counts
// each record it does not list as a failing NextItem.
bool RunFaulted(SweepModel& model, const Operation& operation, const Fault& fault, const Result& expected,
                const HandsetState& after, std::vector<std::string>& violations)
{
    SweepRun run(model, operation.files);
    run.Table(operation.table);
    ComPtr<IItem> item = operation.prepare ? operation.prepare(run) : nullptr;
    HandsetState before = run.State();
    run.Arm(fault);
    SetErrorInfo(0, nullptr);
    Result got;
    try {
        got = operation.run(run, item.Get());
    } catch (...) {
        violations.push_back(model.name + " " + operation.name + ", " + Describe(fault) +
                             ": an exception escaped: " + Utf8(CurrentExceptionText()));
        return false;
    }
    HandsetState now = run.State();
    std::vector<std::string> problems = got.problems;
    if (got.listing) {
        if (now != before)
            problems.push_back("the listing changed the handset:" + Differences(before, now));
        CheckListing(expected, got, problems);
    } else if (SUCCEEDED(got.hr)) {
        if (now != after)
            problems.push_back("reported success, but the handset is not as a clean run leaves it:" +
                               Differences(after, now));
        if (got.value != expected.value)
            problems.push_back("reported success with \"" + got.value + "\" instead of \"" + expected.value + "\"");
    } else if (now != before && now != after) {
        problems.push_back("failed (" + Utf8(got.error) + ") and left a third state; against the state before:" +
                           Differences(before, now) + "\n  against a clean run:" + Differences(after, now));
    }
    if (operation.probeStore) {
        std::string link = ProbeLink(run, operation.probeStore);
        if (!link.empty())
            problems.push_back(link);
    }
    for (const std::string& problem : problems)
        violations.push_back(model.name + " " + operation.name + ", " + Describe(fault) + ": " + problem);
    return SUCCEEDED(got.hr);
}

int SweepOperation(SweepModel& model, const Operation& operation, std::vector<std::string>& violations)
{
    SweepRun clean(model, operation.files);
    clean.Table(operation.table);
    ComPtr<IItem> item = operation.prepare ? operation.prepare(clean) : nullptr;
    long requests = clean.Sim().RequestCount();
    std::map<std::wstring, long> callsBefore = clean.Connection().State().calls;
    SetErrorInfo(0, nullptr);
    Result expected = operation.run(clean, item.Get());
    if (FAILED(expected.hr) || !expected.problems.empty()) {
        std::string problems;
        for (const std::string& problem : expected.problems)
            problems += "; " + problem;
        violations.push_back(model.name + " " + operation.name + ": the clean run failed: " + Utf8(expected.error) +
                             problems);
        return 0;
    }
    HandsetState after = clean.State();
    long exchanges = clean.Sim().RequestCount() - requests;

    std::vector<Fault> faults;
    for (Way way : {Way::Timeout, Way::ShortReply, Way::WrongReplyCode, Way::GarbageLength}) {
        for (long at = 0; at < exchanges; ++at)
            faults.push_back({way, at, {}});
    }
    long agentCalls = 0;
    bool copies = false;
    for (const auto& [method, calls] : clean.Connection().State().calls) {
        long made = calls - (callsBefore.count(method) ? callsBefore[method] : 0);
        for (long call = 1; call <= made; ++call)
            faults.push_back({Way::AgentCall, call, method});
        agentCalls += made;
        copies = copies || ((method == L"GetFile" || method == L"PutFile") && made > 0);
    }
    int runs = 0, completed = 0;
    for (const Fault& fault : faults) {
        ++runs;
        completed += RunFaulted(model, operation, fault, expected, after, violations);
    }
    // A copy fails after each of its blocks in turn, until one moves whole first; that
    // last run is not counted, as no fault bit.
    for (long blocks = 0; copies && blocks < kMostBlocks; ++blocks) {
        if (RunFaulted(model, operation, {Way::CopyBlock, blocks, {}}, expected, after, violations))
            break;
        ++runs;
    }
    printf("[ sweep    ] %s %s: %ld exchanges, %ld agent calls, %d faulted runs, %d of them done all the same\n",
           model.name.c_str(), operation.name.c_str(), exchanges, agentCalls, runs, completed);
    return runs;
}

}  // namespace

int Sweep(SweepModel& model, const Operation& operation, std::vector<std::string>& violations)
{
    try {
        return SweepOperation(model, operation, violations);
    } catch (...) {
        HRESULT hr = S_OK;
        std::wstring text = CurrentExceptionText(&hr);
        char code[16];
        snprintf(code, sizeof(code), "0x%08lX", static_cast<unsigned long>(hr));
        violations.push_back(model.name + " " + operation.name + ": an exception escaped, " + code + " " + Utf8(text));
        return 0;
    }
}

}  // namespace kelvra::testing::sweep
