#include "ItemKelvraTask.h"

#include "DebugLog.h"

namespace kelvra {

namespace {

const ColumnDefinition kColumns[] = {
    {L"SUID", VT_I4},         {L"SUBJECT", VT_BSTR},    {L"DETAIL", VT_BSTR},     {L"START_DATE", VT_DATE},
    {L"END_DATE", VT_DATE},   {L"ALARM_TYPE", VT_BSTR}, {L"ALARM_VALUE", VT_I4},  {L"PRIORITY", VT_BSTR},
    {L"DONE_STATE", VT_BSTR}, {L"ALARM_TIME", VT_DATE},
};

}  // namespace

HRESULT CItemKelvraTask::SchemaConvertItem2Map(ColumnMap& map)
{
    return LoggedItem2Map(L"CItemKelvraTask::SchemaConvertItem2Map", map);
}

ComPtr<CColumnsKelvra> CItemKelvraTask::CreateColumns()
{
    DebugLog(L"%ls", L"CItemKelvraTask::CreateColumns");
    return MakeColumns(kColumns);
}

}  // namespace kelvra
