#include "SimConnection.h"

#include <cmath>
#include <optional>

#include "ComTypes.h"
#include "FileStores.h"
#include "HandsetFolder.h"
#include "HandsetPath.h"
#include "PartialFile.h"
#include "SimAgent.h"
#include "StateError.h"

namespace kelvra::sim {

namespace {

// A service object that is not an agent, for connections told to give none.
class NotAnAgent : public ComObject<NotAnAgent, IClassFactory> {
public:
    STDMETHODIMP CreateInstance(IUnknown*, REFIID, void**) override { return E_NOTIMPL; }
    STDMETHODIMP LockServer(BOOL) override { return E_NOTIMPL; }
};

}  // namespace

SimConnection::SimConnection()
    : m_state(std::make_shared<SimState>()), m_transferEvents(this, IID_ITAMAgentEvents, false)
{
    m_state->transferEvents = &m_transferEvents;
}

SimConnection::~SimConnection()
{
    // The agent may outlive its connection; its copies then have no one to tell.
    m_state->transferEvents = nullptr;
}

STDMETHODIMP SimConnection::EnumConnectionPoints(IEnumConnectionPoints** points)
{
    ConnectionPoint* all[] = {&m_transferEvents};
    return kelvra::EnumConnectionPoints(all, 1, points);
}

STDMETHODIMP SimConnection::FindConnectionPoint(REFIID iid, IConnectionPoint** point)
{
    ConnectionPoint* all[] = {&m_transferEvents};
    return kelvra::FindConnectionPoint(all, 1, iid, point);
}

STDMETHODIMP SimConnection::FailCopyAfter(long blocks, long hr)
{
    if (blocks < 0)
        return Fail(E_INVALIDARG, L"FailCopyAfter needs a block count of 0 or more");
    m_state->transfer.failAfterBlocks = FAILED(hr) ? blocks : -1;
    m_state->transfer.failWith = hr;
    return S_OK;
}

STDMETHODIMP SimConnection::GetConnectionText(BSTR* text)
{
    if (HRESULT hr = m_state->InjectedFailure(L"GetConnectionText"); FAILED(hr))
        return Fail(hr, L"GetConnectionText was told to fail");
    return ReturnText(L"Handset simulator", text);
}

STDMETHODIMP SimConnection::GetService(GUID serviceId, IUnknown** service)
{
    if (!service)
        return E_POINTER;
    *service = nullptr;
    if (HRESULT hr = m_state->InjectedFailure(L"GetService"); FAILED(hr))
        return Fail(hr, L"GetService was told to fail");
    if (!InlineIsEqualGUID(serviceId, SID_TAMAgent))
        return Fail(E_NOINTERFACE, L"The connection offers no such service");
    if (!m_state->agentAvailable) {
        *service = NotAnAgent::Make().Detach();
        return S_OK;
    }
    if (!m_agent)
        m_agent = SimAgent::Make(m_state);
    return m_agent.CopyTo(service);
}

STDMETHODIMP SimConnection::SetChunkSizes(long smallest, long largest)
{
    if (smallest <= 0 || largest < smallest)
        return Fail(E_INVALIDARG, L"Chunk sizes must be positive and in order");
    m_state->handset.SetChunkSizes(static_cast<size_t>(smallest), static_cast<size_t>(largest));
    return S_OK;
}

STDMETHODIMP SimConnection::InjectFault(SIMFAULT fault, long afterRequests)
{
    if (fault < SIMFAULT_NONE || fault > SIMFAULT_GARBAGE_LENGTH || afterRequests < -1)
        return Fail(E_INVALIDARG, L"Unknown fault");
    m_state->handset.InjectFault(fault, afterRequests);
    return S_OK;
}

STDMETHODIMP SimConnection::PutRecord(long store, long index, BSTR hexBytes)
{
    std::string bytes;
    if (store < 0 || index < 0 || !BytesFromHex(hexBytes ? hexBytes : L"", bytes))
        return Fail(E_INVALIDARG, L"A record needs a store, an index and bytes in hex");
    try {
        m_state->handset.PutRecord(static_cast<uint32_t>(store), static_cast<uint32_t>(index), bytes);
        return S_OK;
    } catch (const StateError& e) {
        return Fail(e.Result(), e.Description());
    }
}

STDMETHODIMP SimConnection::AddSms(long box, BSTR number, BSTR text, long time)
{
    if (box < 0)
        return Fail(E_INVALIDARG, L"A message needs a box number of 0 or more");
    try {
        m_state->handset.AddSms(static_cast<uint32_t>(box), NarrowUtf8(number ? number : L""),
                                NarrowUtf8(text ? text : L""), static_cast<uint32_t>(time));
        return S_OK;
    } catch (const StateError& e) {
        return Fail(e.Result(), e.Description());
    }
}

STDMETHODIMP SimConnection::AddMms(long folder, BSTR subject, BSTR sender, BSTR receiver, long time,
                                   BSTR contentHex, long* messageId)
{
    if (!messageId)
        return E_POINTER;
    *messageId = 0;
    std::string content;
    if (folder < 1 || folder > 4 || !BytesFromHex(contentHex ? contentHex : L"", content))
        return Fail(E_INVALIDARG, L"A message needs a folder from 1 to 4 and its content in hex");
    auto text = [](BSTR value, UINT codePage) { return Narrow(value ? value : L"", codePage); };
    try {
        *messageId = static_cast<long>(m_state->handset.Mms().Add(
            static_cast<uint32_t>(folder), text(subject, CP_UTF8), text(sender, CP_ACP), text(receiver, CP_ACP),
            static_cast<uint32_t>(time), content));
        return S_OK;
    } catch (const StateError& e) {
        return Fail(e.Result(), e.Description());
    }
}

STDMETHODIMP SimConnection::GetRecord(long store, long index, BSTR* hexBytes)
{
    const SimHandset::Record* record =
        m_state->handset.FindRecord(static_cast<uint32_t>(store), static_cast<uint32_t>(index));
    if (!record) {
        if (hexBytes)
            *hexBytes = nullptr;
        return Fail(E_INVALIDARG, L"The handset holds no such record");
    }
    return ReturnText(WidenUtf8(HexFromBytes(*record)), hexBytes);
}

STDMETHODIMP SimConnection::RemoveRecord(long store, long index)
{
    try {
        m_state->handset.RemoveRecord(static_cast<uint32_t>(store), static_cast<uint32_t>(index));
        return S_OK;
    } catch (const StateError& e) {
        return Fail(e.Result(), e.Description());
    }
}

STDMETHODIMP SimConnection::RecordCount(long store, long* count)
{
    if (!count)
        return E_POINTER;
    *count = static_cast<long>(m_state->handset.RecordCount(static_cast<uint32_t>(store)));
    return S_OK;
}

STDMETHODIMP SimConnection::get_FileRoot(BSTR* folder)
{
    return ReturnText(m_state->fileRoot, folder);
}

STDMETHODIMP SimConnection::put_FileRoot(BSTR folder)
{
    m_state->fileRoot = folder ? folder : L"";
    return S_OK;
}

STDMETHODIMP SimConnection::get_RequestCount(long* count)
{
    if (!count)
        return E_POINTER;
    *count = m_state->handset.RequestCount();
    return S_OK;
}

STDMETHODIMP SimConnection::get_LastRequest(BSTR* hexBytes)
{
    return ReturnText(WidenUtf8(HexFromBytes(m_state->handset.LastRequest())), hexBytes);
}

STDMETHODIMP SimConnection::get_Mode(long* mode)
{
    if (!mode)
        return E_POINTER;
    *mode = m_state->mode;
    return S_OK;
}

STDMETHODIMP SimConnection::get_CodePage(long* codePage)
{
    if (!codePage)
        return E_POINTER;
    *codePage = m_state->codePage;
    return S_OK;
}

STDMETHODIMP SimConnection::put_AgentAvailable(VARIANT_BOOL available)
{
    m_state->agentAvailable = available != VARIANT_FALSE;
    return S_OK;
}

STDMETHODIMP SimConnection::FailMethod(BSTR method, long hr)
{
    if (!method)
        return Fail(E_INVALIDARG, L"FailMethod needs a method name");
    if (SUCCEEDED(hr))
        m_state->failures.erase(method);
    else
        m_state->failures[method] = hr;
    return S_OK;
}

STDMETHODIMP SimConnection::FailMethodCall(BSTR method, long call, long hr)
{
    if (!method || call < 1)
        return Fail(E_INVALIDARG, L"FailMethodCall needs a method name and a call number of 1 or more");
    if (SUCCEEDED(hr))
        m_state->failingCalls.erase(method);
    else
        m_state->failingCalls[method] = {m_state->Calls(method) + call, hr};
    return S_OK;
}

STDMETHODIMP SimConnection::MethodCalls(BSTR method, long* count)
{
    if (!count)
        return E_POINTER;
    *count = m_state->Calls(method ? method : L"");
    return S_OK;
}

STDMETHODIMP SimConnection::get_BytesExchanged(double* bytes)
{
    if (!bytes)
        return E_POINTER;
    *bytes = static_cast<double>(m_state->handset.BytesIn() + m_state->handset.BytesOut());
    return S_OK;
}

STDMETHODIMP SimConnection::SetRecordSize(long store, long size)
{
    if (store < 0 || size < 0 || size > (1 << 20))
        return Fail(E_INVALIDARG, L"A record size must be between 0 and 1 MiB");
    m_state->handset.SetRecordSize(static_cast<uint32_t>(store), static_cast<size_t>(size));
    return S_OK;
}

STDMETHODIMP SimConnection::SetCardInfo(long cardKind, long nameLimit, long slotCount, long numberLimit)
{
    if ((cardKind != 13 && cardKind != 14) || nameLimit < 0 || slotCount < 0 || numberLimit < 0)
        return Fail(E_INVALIDARG, L"Card information needs card kind 13 or 14 and limits of 0 or more");
    m_state->handset.SetCardInfo(static_cast<uint32_t>(cardKind), static_cast<uint32_t>(nameLimit),
                                 static_cast<uint32_t>(slotCount), static_cast<uint32_t>(numberLimit));
    return S_OK;
}

STDMETHODIMP SimConnection::SetPrivacyLock(BSTR flagsHex, BSTR password)
{
    std::string flags;
    if (!BytesFromHex(flagsHex ? flagsHex : L"", flags))
        return Fail(E_INVALIDARG, L"The lock flags must be bytes in hex");
    try {
        m_state->handset.SetPrivacyLock(flags, NarrowUtf8(password ? password : L""));
        return S_OK;
    } catch (const StateError& e) {
        return Fail(e.Result(), e.Description());
    }
}

STDMETHODIMP SimConnection::KeepStateIn(BSTR folder)
{
    std::wstring root = folder ? folder : L"";
    if (root.empty())
        return Fail(E_INVALIDARG, L"KeepStateIn needs a folder");
    try {
        m_state->handset.KeepStateIn(root);
    } catch (const StateError& e) {
        return Fail(e.Result(), e.Description());
    }
    std::wstring files = root + L"\\files";
    if (!CreateDirectoryW(files.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
        DWORD error = ::GetLastError();
        m_state->handset.ReleaseState();
        return Fail(HRESULT_FROM_WIN32(error), L"Cannot make the handset's file folder " + files + L": " +
                                                   SystemText(error));
    }
    m_state->fileRoot = files;
    PartialFile::DiscardLeftOvers(PartialFile::ScratchOf(files));
    return S_OK;
}

STDMETHODIMP SimConnection::get_Model(long* model)
{
    if (!model)
        return E_POINTER;
    *model = m_state->handset.Model();
    return S_OK;
}

STDMETHODIMP SimConnection::put_DualCard(VARIANT_BOOL dualCard)
{
    m_state->handset.SetDualCard(dualCard != VARIANT_FALSE);
    return S_OK;
}

STDMETHODIMP SimConnection::put_Model(long model)
{
    if (model <= 0)
        return Fail(E_INVALIDARG, L"A model identifier is a positive number");
    long recorded = m_state->handset.Model();
    if (recorded && recorded != model) {
        return Fail(E_INVALIDARG, L"This handset was made as model " + std::to_wstring(recorded) +
                                      L" and cannot be opened as model " + std::to_wstring(model));
    }
    try {
        m_state->handset.SetModel(model);
    } catch (const StateError& e) {
        return Fail(e.Result(), e.Description());
    }
    // A new phone comes with its memories and system folders.
    if (m_state->fileRoot.empty() || HasPhoneRoot())
        return S_OK;
    HRESULT hr = MakeFoldersOfModel();
    return FAILED(hr) ? hr : S_OK;
}

bool SimConnection::HasPhoneRoot() const
{
    const ModelFileSystem* files = FileSystemOf(m_state->handset.Model());
    std::optional<HandsetPath> root = files ? HandsetPath::Parse(files->phoneRoot) : std::nullopt;
    // Without a phone root of its own the model has nothing to make.
    return !root || GetFileAttributesW(root->Under(m_state->fileRoot).c_str()) != INVALID_FILE_ATTRIBUTES;
}

HRESULT SimConnection::MakeFoldersOfModel()
{
    const ModelFileSystem* files = FileSystemOf(m_state->handset.Model());
    if (!files)
        return S_FALSE;
    std::vector<std::wstring> folders = {std::wstring(files->phoneRoot)};
    for (std::wstring_view system : files->systemFolders)
        folders.push_back(std::wstring(files->phoneRoot) + std::wstring(system));
    folders.emplace_back(files->cardRoot);
    if (!files->pictureFolder.empty())
        folders.emplace_back(files->pictureFolder);
    for (const std::wstring& folder : folders) {
        std::wstring local = HandsetPath::Parse(folder)->Under(m_state->fileRoot);
        if (!MakeFolderPath(local))
            return FailWithLastError(L"Cannot make the handset folder " + local);
    }
    return S_OK;
}

STDMETHODIMP SimConnection::MakeModelFolders()
{
    if (m_state->fileRoot.empty())
        return Fail(HRESULT_FROM_WIN32(ERROR_NOT_READY), L"MakeModelFolders needs the handset's FileRoot");
    if (!m_state->handset.Model())
        return Fail(E_UNEXPECTED, L"MakeModelFolders needs the handset's model; record it first");
    return MakeFoldersOfModel();
}

STDMETHODIMP SimConnection::put_LinkVersion(long version)
{
    if (version < 0 || version > 255)
        return Fail(E_INVALIDARG, L"A link version is a byte, 0 to 255");
    m_state->linkVersion = version;
    return S_OK;
}

STDMETHODIMP SimConnection::put_FreeSpaceError(long code)
{
    m_state->freeSpaceError = code;
    return S_OK;
}

STDMETHODIMP SimConnection::SetMemory(BSTR root, double capacityBytes)
{
    std::optional<HandsetPath> path = HandsetPath::Parse(root ? std::wstring_view(root, SysStringLen(root)) : L"");
    // Whole bytes that a double still counts exactly.
    const double kLargest = 9007199254740992.0;
    if (!path || !(capacityBytes >= 0 && capacityBytes <= kLargest) || std::floor(capacityBytes) != capacityBytes)
        return Fail(E_INVALIDARG, L"SetMemory needs a root path inside the handset and a whole number of bytes");
    m_state->handset.Memory().SetCapacity(*path, static_cast<uint64_t>(capacityBytes));
    return S_OK;
}

STDMETHODIMP SimConnection::get_StateBytesWritten(double* bytes)
{
    if (!bytes)
        return E_POINTER;
    *bytes = static_cast<double>(m_state->handset.StateBytesWritten());
    return S_OK;
}

STDMETHODIMP SimConnection::ReleaseState()
{
    m_state->handset.ReleaseState();
    return S_OK;
}

}  // namespace kelvra::sim
