#include "ItemKelvraFolder.h"

#include "DebugLog.h"

namespace kelvra {

namespace {

const ColumnDefinition kColumns[] = {
    {L"FolderID", VT_I4},        {L"Name", VT_BSTR},          {L"ParentID", VT_I4},
    {L"FileCount", VT_I4},       {L"SubFolderCount", VT_I4},  {L"LimitSize", VT_BSTR},
    {L"LimitFileCount", VT_I4},  {L"LimitFileType", VT_BSTR}, {L"CreateDate", VT_DATE},
    {L"LastWriteDate", VT_DATE}, {L"LastAccessDate", VT_DATE}, {L"Status", VT_I4},
    {L"NotAllowedOperation", VT_I4}, {L"Reserved1", VT_BSTR}, {L"Reserved2", VT_BSTR},
    {L"Reserved3", VT_BSTR},
};

}  // namespace

HRESULT CItemKelvraFolder::SchemaConvertItem2Map(ColumnMap& map)
{
    return LoggedItem2Map(L"CItemKelvraFolder::SchemaConvertItem2Map", map);
}

ComPtr<CColumnsKelvra> CItemKelvraFolder::CreateColumns()
{
    DebugLog(L"%ls", L"CItemKelvraFolder::CreateColumns");
    return MakeColumns(kColumns);
}

}  // namespace kelvra
