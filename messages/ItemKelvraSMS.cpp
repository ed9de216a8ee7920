#include "ItemKelvraSMS.h"

#include "DebugLog.h"

namespace kelvra {

namespace {

// SENDER is filled for received messages, RECEIVER for the others; SEND_STATE picks the
// card a message is sent from.
const ColumnDefinition kColumns[] = {
    {L"SUID", VT_I4},        {L"MODE", VT_BSTR},        {L"FOLDER", VT_BSTR},
    {L"MY_FOLDER", VT_I4},   {L"CONTENT", VT_BSTR},     {L"CREATE_DATE", VT_DATE},
    {L"SENDER", VT_BSTR},    {L"RECEIVER", VT_BSTR},    {L"SEND_STATE", VT_BSTR},
};

}  // namespace

HRESULT CItemKelvraSMS::SchemaConvertItem2Map(ColumnMap& map)
{
    return LoggedItem2Map(L"CItemKelvraSMS::SchemaConvertItem2Map", map);
}

ComPtr<CColumnsKelvra> CItemKelvraSMS::CreateColumns()
{
    DebugLog(L"%ls", L"CItemKelvraSMS::CreateColumns");
    return MakeColumns(kColumns);
}

}  // namespace kelvra
