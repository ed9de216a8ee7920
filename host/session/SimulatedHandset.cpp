#include "SimulatedHandset.h"

#include "ProgIdObject.h"
#include "SimulatedCard.h"

namespace kelvra::host {

namespace {

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

SimulatedHandset::SimulatedHandset(const std::wstring& folder, int model)
{
    m_handset = CreateByProgId<ISimHandset>(L"Kelvra.SimConnection");
    CheckCall(m_handset->KeepStateIn(Bstr(folder).Get()), "Opening the simulated handset");
    m_model = AgreedModel(folder, model);
    for (long cardKind : {13, 14})
        m_handset->SetCardInfo(cardKind, kSimulatedCard.nameChars, kSimulatedCard.entries, kSimulatedCard.numberDigits);
    m_handset->SetRecordSize(13, 150);
    m_handset->SetRecordSize(14, 150);
    m_handset->put_DualCard(VARIANT_TRUE);
}

SimulatedHandset::~SimulatedHandset()
{
    if (m_handset)
        m_handset->ReleaseState();
}

int SimulatedHandset::AgreedModel(const std::wstring& folder, int model)
{
    long recorded = 0;
    CheckCall(m_handset->get_Model(&recorded), "Reading the handset's model");
    if (recorded && model && recorded != model) {
        throw BadValue("the handset in " + NarrowUtf8(folder) + " was made as model " + std::to_string(recorded) +
                       " and cannot be opened as model " + std::to_string(model) + "; leave out --model to use it");
    }
    return static_cast<int>(recorded ? recorded : model ? model : kDefaultModel);
}

void SimulatedHandset::RecordModel()
{
    CheckCall(m_handset->put_Model(m_model), "Recording the handset's model");
}

void SimulatedHandset::InjectFault(const std::wstring& fault)
{
    size_t at = fault.find(L'@');
    long after = at == std::wstring::npos ? -1 : _wtol(fault.c_str() + at + 1);
    m_handset->InjectFault(FaultNamed(fault.substr(0, at)), after);
}

}  // namespace kelvra::host
