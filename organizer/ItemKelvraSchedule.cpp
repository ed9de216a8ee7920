#include "ItemKelvraSchedule.h"

#include "DebugLog.h"

namespace kelvra {

namespace {

const ColumnDefinition kColumns[] = {
    {L"SUID", VT_I4},
    {L"TYPE", VT_BSTR},
    {L"SUBJECT", VT_BSTR},
    {L"DETAIL", VT_BSTR},
    {L"START_DATE", VT_DATE},
    {L"END_DATE", VT_DATE},
    {L"LOCATION", VT_BSTR},
    {L"ALARM_TYPE", VT_BSTR},
    {L"ALARM_VALUE", VT_I4},
    {L"ALARM_MELODY", VT_BSTR},
    {L"ALARM_MELODY_TYPE", VT_BSTR},
    {L"ALARM_MELODY_INDEX", VT_I4},
    {L"ALARM_BEFORETARGET_VALUE", VT_I4},
    {L"ALARM_BEFORETARGET_TIME", VT_DATE},
    {L"ALARM_TARGET_DATE", VT_DATE},
    {L"RECURRENCE_TYPE", VT_BSTR},
    {L"RECURRENCE_EVERY", VT_I4},
    {L"RECURRENCE_FLAG", VT_BSTR},
    {L"RECURRENCE_EXPIRE_TYPE", VT_BSTR},
    {L"RECURRENCE_EXPIRE_VALUE", VT_I4},
    {L"RECURRENCE_EXPIRE_DATE", VT_DATE},
    {L"PRIORITY", VT_BSTR},
    {L"DONE_STATE", VT_BSTR},
    {L"CATEGORY", VT_BSTR},
    {L"RECURRENCE_UI_TYPE", VT_BSTR},
    {L"ISHOLIDAY", VT_BSTR},
    {L"START_DATE_TYPE", VT_BSTR},
};
static_assert(sizeof(kColumns) / sizeof(kColumns[0]) == 27);

}  // namespace

HRESULT CItemKelvraSchedule::SchemaConvertItem2Map(ColumnMap& map)
{
    return LoggedItem2Map(L"CItemKelvraSchedule::SchemaConvertItem2Map", map);
}

ComPtr<CColumnsKelvra> CItemKelvraSchedule::CreateColumns()
{
    DebugLog(L"%ls", L"CItemKelvraSchedule::CreateColumns");
    return MakeColumns(kColumns);
}

}  // namespace kelvra
