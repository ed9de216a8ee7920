#include "ItemKelvraMemo.h"

#include "DebugLog.h"

namespace kelvra {

namespace {

const ColumnDefinition kColumns[] = {
    {L"SUID", VT_I4}, {L"DETAIL", VT_BSTR}, {L"ATTRIBUTE", VT_BSTR}, {L"CREATE_DATE", VT_DATE},
};

}  // namespace

HRESULT CItemKelvraMemo::SchemaConvertItem2Map(ColumnMap& map)
{
    return LoggedItem2Map(L"CItemKelvraMemo::SchemaConvertItem2Map", map);
}

ComPtr<CColumnsKelvra> CItemKelvraMemo::CreateColumns()
{
    DebugLog(L"%ls", L"CItemKelvraMemo::CreateColumns");
    return MakeColumns(kColumns);
}

}  // namespace kelvra
