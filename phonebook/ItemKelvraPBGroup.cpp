#include "ItemKelvraPBGroup.h"

#include "DebugLog.h"

namespace kelvra {

namespace {

const ColumnDefinition kColumns[] = {
    {L"SUID", VT_I4},           {L"ATTRIBUTE", VT_BSTR},      {L"NAME", VT_BSTR},
    {L"RINGTON_TYPE", VT_BSTR}, {L"RINGTON", VT_BSTR},        {L"MESSAGETON_TYPE", VT_BSTR},
    {L"MESSAGETON", VT_BSTR},   {L"PHOTO_TYPE", VT_BSTR},     {L"PHOTO", VT_BSTR},
    {L"PHOTO_LOCAL_PATH", VT_BSTR}, {L"GROUP_PROPERTY", VT_BSTR}, {L"DB_LEDTYPE", VT_BSTR},
    {L"ICON_GROUP_INDEX", VT_I4}, {L"ICON_INDEX", VT_I4},     {L"VCARD_IMAGE_TYPE", VT_BSTR},
    {L"PTIMESTAMP", VT_I4},     {L"SAVE_TIME", VT_I4},        {L"PGUID", VT_BSTR},
    {L"ITEM_STATE", VT_BSTR},   {L"PCFLAG", VT_I4},           {L"WEBFLAG", VT_I4},
    {L"REJECT", VT_BSTR},       {L"MODE", VT_I4},
};
static_assert(sizeof(kColumns) / sizeof(kColumns[0]) == 23);

}  // namespace

HRESULT CItemKelvraPBGroup::SchemaConvertItem2Map(ColumnMap& map)
{
    return LoggedItem2Map(L"CItemKelvraPBGroup::SchemaConvertItem2Map", map);
}

ComPtr<CColumnsKelvra> CItemKelvraPBGroup::CreateColumns()
{
    DebugLog(L"%ls", L"CItemKelvraPBGroup::CreateColumns");
    return MakeColumns(kColumns);
}

}  // namespace kelvra
