#include "SyncSession.h"

#include "ComFailure.h"
#include "PhonebookCapabilities.h"
#include "ProgIdObject.h"

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

}  // namespace

SyncSession::SyncSession(const SessionOptions& options)
{
    ComPtr<IUnknown> connection = Connect(options);
    m_models = CreateByProgId<ISimModelDatabase>(L"Kelvra.SimModelDatabase");
    m_device = CreateByProgId<IDeviceData>(L"Orvane.Syncora.QEL.DeviceDataKELVRA");
    const std::pair<const wchar_t*, std::wstring> answers[] = {
        {L"PhoneInfo.FromRes", L"true"},
        {L"PhoneInfo.ResID", std::to_wstring(m_model)},
        {L"Datastore.Phonebook.PB_GROUP", L"true"},
        {L"SMS.DualCard", L"true"},
    };
    for (const auto& [key, value] : answers)
        m_models->SetValue(Bstr(key).Get(), Bstr(value).Get());

    CheckCall(m_device->SetConneciton(connection.Get(), m_models.Get()), "Connecting to the handset");
    CheckCall(m_device->ListDataTable(), "Listing the data tables");
    // Asked when the phonebook is listed: pictures where the model's DevInf has a place
    // and the link carries files, which pictures are on the handset.
    bool pictures = !m_serial && PhonebookCapabilities::Of(*this).keepsPictures;
    m_models->SetValue(Bstr(L"Phonebook.Photo").Get(), Bstr(pictures ? L"true" : L"false").Get());
    if (m_simulated) {
        // Only a model the component could load is recorded, so a failed first run does
        // not tie the folder to a model that never worked.
        m_simulated->RecordModel();
        if (!options.fault.empty())
            m_simulated->InjectFault(options.fault);
    }
}

ComPtr<IUnknown> SyncSession::Connect(const SessionOptions& options)
{
    if (options.port.empty()) {
        m_simulated.emplace(options.handsetFolder, options.model);
        m_model = m_simulated->Model();
        return m_simulated->Control();
    }
    // The serial link cannot read the handset's own profile: a record layout guessed
    // wrong would write another model's bytes into the phone.
    if (!options.model)
        throw UsageError("--port needs --model: the model of the handset on the port");
    m_model = options.model;
    m_serial = CreateByProgId<ISerialLink>(L"Kelvra.SerialConnection");
    CheckCall(m_serial->Open(Bstr(options.port).Get(), options.baudRate), "Opening the serial port");
    return m_serial;
}

SyncSession::~SyncSession()
{
    // The component lets go of the connection first; the handset is then released
    // explicitly, so that its state is saved even if a reference to it outlives us.
    m_device.Reset();
    m_models.Reset();
    m_simulated.reset();
    if (m_serial)
        m_serial->Close();
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
