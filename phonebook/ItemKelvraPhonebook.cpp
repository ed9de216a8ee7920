#include "ItemKelvraPhonebook.h"

#include "DebugLog.h"

namespace kelvra {

namespace {

const ColumnDefinition kColumns[] = {
    {L"SUID", VT_I4}, {L"LAST_NAME", VT_BSTR}, {L"FIRST_NAME", VT_BSTR}, {L"DISPLAY_NAME", VT_BSTR},
    {L"TEL_COUNT", VT_BSTR},
    {L"TEL_TYPE_0", VT_BSTR}, {L"TEL_NUM_0", VT_BSTR}, {L"TEL_DIAL_0", VT_BSTR},
    {L"TEL_TYPE_1", VT_BSTR}, {L"TEL_NUM_1", VT_BSTR}, {L"TEL_DIAL_1", VT_BSTR},
    {L"TEL_TYPE_2", VT_BSTR}, {L"TEL_NUM_2", VT_BSTR}, {L"TEL_DIAL_2", VT_BSTR},
    {L"TEL_TYPE_3", VT_BSTR}, {L"TEL_NUM_3", VT_BSTR}, {L"TEL_DIAL_3", VT_BSTR},
    {L"TEL_TYPE_4", VT_BSTR}, {L"TEL_NUM_4", VT_BSTR}, {L"TEL_DIAL_4", VT_BSTR},
    {L"TEL_TYPE_5", VT_BSTR}, {L"TEL_NUM_5", VT_BSTR}, {L"TEL_DIAL_5", VT_BSTR},
    {L"TEL_TYPE_6", VT_BSTR}, {L"TEL_NUM_6", VT_BSTR}, {L"TEL_DIAL_6", VT_BSTR},
    {L"TEL_TYPE_7", VT_BSTR}, {L"TEL_NUM_7", VT_BSTR}, {L"TEL_DIAL_7", VT_BSTR},
    {L"TEL_TYPE_8", VT_BSTR}, {L"TEL_NUM_8", VT_BSTR}, {L"TEL_DIAL_8", VT_BSTR},
    {L"TEL_TYPE_9", VT_BSTR}, {L"TEL_NUM_9", VT_BSTR}, {L"TEL_DIAL_9", VT_BSTR},
    {L"EMAIL_COUNT", VT_BSTR}, {L"EMAIL_TYPE_0", VT_BSTR}, {L"EMAIL_ADDR_0", VT_BSTR},
    {L"EMAIL_TYPE_1", VT_BSTR}, {L"EMAIL_ADDR_1", VT_BSTR},
    {L"URL_COUNT", VT_BSTR}, {L"URL_TYPE_0", VT_BSTR}, {L"URL_ADDR_0", VT_BSTR},
    {L"ADDR_COUNT", VT_I4}, {L"ADDR_TYPE_0", VT_BSTR}, {L"ADDR_EXTADDR_0", VT_BSTR}, {L"ADDR_STREET_0", VT_BSTR},
    {L"ADDR_POSTALCODE_0", VT_BSTR}, {L"ADDR_LOCALITY_0", VT_BSTR}, {L"ADDR_REGION_0", VT_BSTR},
    {L"ADDR_COUNTRY_0", VT_BSTR},
    {L"BIRTHDAY", VT_DATE}, {L"RINGTON_TYPE", VT_BSTR}, {L"RINGTON", VT_BSTR},
    {L"PHOTO_TYPE", VT_BSTR}, {L"PHOTO_LOCAL_PATH", VT_BSTR}, {L"PHOTO", VT_BSTR},
    {L"CALLER_GROUP_SETTING", VT_BSTR}, {L"MELODY_APPLICATION_ID", VT_I4}, {L"GRAPHIC_APPLICATION_ID", VT_I4},
    {L"V_MELODY_SETTING", VT_I4}, {L"A_MELODY_SETTING", VT_I4}, {L"V_GRAPHIC_SETTING", VT_I4},
    {L"A_GRAPHIC_SETTING", VT_I4}, {L"NOTES", VT_BSTR},
    {L"GROUP_ID_0", VT_I4}, {L"GROUP_ID_1", VT_I4}, {L"GROUP_ID_2", VT_I4}, {L"GROUP_ID_3", VT_I4},
    {L"GROUP_ID_4", VT_I4}, {L"GROUP_ID_5", VT_I4}, {L"GROUP_ID_6", VT_I4}, {L"GROUP_ID_7", VT_I4},
    {L"GROUP_ID_8", VT_I4}, {L"GROUP_ID_9", VT_I4},
};
static_assert(sizeof(kColumns) / sizeof(kColumns[0]) == 75);

}  // namespace

HRESULT CItemKelvraPhonebook::SchemaConvertItem2Map(ColumnMap& map)
{
    return LoggedItem2Map(L"CItemKelvraPhonebook::SchemaConvertItem2Map", map);
}

ComPtr<CColumnsKelvra> CItemKelvraPhonebook::CreateColumns()
{
    DebugLog(L"%ls", L"CItemKelvraPhonebook::CreateColumns");
    return MakeColumns(kColumns);
}

}  // namespace kelvra
