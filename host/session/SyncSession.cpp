#include "SyncSession.h"

#include "ComFailure.h"
#include "PhonebookCapabilities.h"
#include "SimulatedCard.h"

namespace kelvra::host {

namespace {

struct TableName {
    const wchar_t* name;
    NamedTable table;
};

const TableName kTables[] = {
    {L"phonebook", {DTID_PHONEBOOK, QELDT_PHONEBOOK}},
    {L"groups", {DTID_PHONEBOOK, QELDT_GROUP}},
    {L"card", {DTID_SIM, QELDT_PHONEBOOK_SIM}},
    {L"card2", {DTID_SIM2, QELDT_PHONEBOOK_SIM}},
    {L"calendar", {DTID_CALENDAR, QELDT_SCHEDULE}},
    {L"tasks", {DTID_TASK, QELDT_TASK}},
    {L"memos", {DTID_MEMO, QELDT_MEMO}},
    {L"sms", {DTID_MESSAGE, QELDT_SMS}},
    {L"mms", {DTID_MMS, QELDT_MMS}},
    {L"files", {DTID_FILE, QELDT_FILE}},
    {L"metadata", {DTID_METADATA, QELDT_PHONEBOOK}},
};

const wchar_t* const kNames[] = {L"phonebook", L"groups", L"card",     L"card2", L"calendar", L"tasks",
                                 L"memos",     L"sms",    L"mms",    L"files", L"metadata", nullptr};

template <class Interface>
ComPtr<Interface> Create(const wchar_t* progId)
{
    CLSID clsid;
    std::string what = "Finding " + NarrowUtf8(progId) + " (is it registered?)";
    CheckCall(CLSIDFromProgID(progId, &clsid), what.c_str());
    ComPtr<Interface> object;
    what = "Creating " + NarrowUtf8(progId);
    CheckCall(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, __uuidof(Interface),
                               reinterpret_cast<void**>(object.GetAddressOf())),
              what.c_str());
    return object;
}

SIMFAULT FaultNamed(const std::wstring& name)
{
    if (name == L"timeout")
        return SIMFAULT_TIMEOUT;
    if (name == L"short-reply")
        return SIMFAULT_SHORT_REPLY;
    if (name == L"wrong-code")
        return SIMFAULT_WRONG_REPLY_CODE;
    if (name == L"garbage-length")
        return SIMFAULT_GARBAGE_LENGTH;
    throw UsageError("unknown fault \"" + NarrowUtf8(name) + "\" (timeout, short-reply, wrong-code, garbage-length)");
}

}  // namespace

SyncSession::SyncSession(const SessionOptions& options)
{
    m_handset = Create<ISimHandset>(L"Kelvra.SimConnection");
    m_models = Create<ISimModelDatabase>(L"Kelvra.SimModelDatabase");
    m_device = Create<IDeviceData>(L"Orvane.Syncora.QEL.DeviceDataKELVRA");

    CheckCall(m_handset->KeepStateIn(Bstr(options.handsetFolder).Get()), "Opening the simulated handset");
    int model = m_model = AgreedModel(options);
    // The simulated handset has two cards of 250 entries each, and keeps SMS per card.
    for (long cardKind : {13, 14})
        m_handset->SetCardInfo(cardKind, kSimulatedCard.nameChars, kSimulatedCard.entries, kSimulatedCard.numberDigits);
    m_handset->SetRecordSize(13, 150);
    m_handset->SetRecordSize(14, 150);
    m_handset->put_DualCard(VARIANT_TRUE);
    const std::pair<const wchar_t*, std::wstring> answers[] = {
        {L"PhoneInfo.FromRes", L"true"},
        {L"PhoneInfo.ResID", std::to_wstring(model)},
        {L"Datastore.Phonebook.PB_GROUP", L"true"},
        {L"SMS.DualCard", L"true"},
    };
    for (const auto& [key, value] : answers)
        m_models->SetValue(Bstr(key).Get(), Bstr(value).Get());

    CheckCall(m_device->SetConneciton(m_handset.Get(), m_models.Get()), "Connecting to the handset");
    CheckCall(m_device->ListDataTable(), "Listing the data tables");
    // Asked when the phonebook is listed: pictures where the model's DevInf has a place.
    bool pictures = PhonebookCapabilities::Of(*this).keepsPictures;
    m_models->SetValue(Bstr(L"Phonebook.Photo").Get(), Bstr(pictures ? L"true" : L"false").Get());
    // Only a model the component could load is recorded, so a failed first run does
    // not tie the folder to a model that never worked.
    CheckCall(m_handset->put_Model(model), "Recording the handset's model");
    if (!options.fault.empty()) {
        // "timeout" spoils every reply from now on, "timeout@3" the one after 3 others.
        size_t at = options.fault.find(L'@');
        long after = at == std::wstring::npos ? -1 : _wtol(options.fault.c_str() + at + 1);
        m_handset->InjectFault(FaultNamed(options.fault.substr(0, at)), after);
    }
}

SyncSession::~SyncSession()
{
    // The component lets go of the connection first; the handset is then released
    // explicitly, so that its state is saved even if a reference to it outlives us.
    m_device.Reset();
    m_models.Reset();
    if (m_handset)
        m_handset->ReleaseState();
}

int SyncSession::AgreedModel(const SessionOptions& options)
{
    long recorded = 0;
    CheckCall(m_handset->get_Model(&recorded), "Reading the handset's model");
    if (recorded && options.model && recorded != options.model) {
        throw BadValue("the handset in " + NarrowUtf8(options.handsetFolder) + " was made as model " +
                         std::to_string(recorded) + " and cannot be opened as model " +
                         std::to_string(options.model) + "; leave out --model to use it");
    }
    return static_cast<int>(recorded ? recorded : options.model ? options.model : kDefaultModel);
}

bool SyncSession::Lookup(const std::wstring& name, NamedTable& table)
{
    for (const TableName& entry : kTables) {
        if (name == entry.name) {
            table = entry.table;
            return true;
        }
    }
    return false;
}

const wchar_t* const* SyncSession::Names()
{
    return kNames;
}

ComPtr<IDataTable> SyncSession::Table(DATATABLE_SUID id)
{
    ComPtr<IDataTable> table;
    CheckCall(m_device->GetDataTable(id, table.GetAddressOf()), "Asking for a data table");
    return table;
}

ComPtr<IDataTable> SyncSession::Table(const std::wstring& name, QELDATATYPE& itemType)
{
    NamedTable named;
    if (!Lookup(name, named))
        throw BadValue("unknown table \"" + NarrowUtf8(name) + "\"; try the tables command");
    ComPtr<IDataTable> table = Table(named.id);
    if (!table)
        throw BadValue("this model offers no " + NarrowUtf8(name) + " table; the tables command lists those it has");
    itemType = named.itemType;
    return table;
}

}  // namespace kelvra::host
