#include "ItemKelvraFileInfo.h"

#include "DebugLog.h"

namespace kelvra {

namespace {

const ColumnDefinition kColumns[] = {
    {L"MemorySize", VT_BSTR},      {L"MemoryUse", VT_BSTR},         {L"ExtMemorySize", VT_BSTR},
    {L"ExtMemoryUse", VT_BSTR},    {L"PacketSize", VT_I4},          {L"FileNameLength", VT_I4},
    {L"FolderNameLength", VT_I4},  {L"CodeSchema", VT_I4},          {L"MaxFolderDepth", VT_I4},
    {L"MaxExtFolderDepth", VT_I4}, {L"DeviceAttribute", VT_I4},
};

}  // namespace

HRESULT CItemKelvraFileInfo::SchemaConvertItem2Map(ColumnMap& map)
{
    return LoggedItem2Map(L"CItemKelvraFileInfo::SchemaConvertItem2Map", map);
}

ComPtr<CColumnsKelvra> CItemKelvraFileInfo::CreateColumns()
{
    DebugLog(L"%ls", L"CItemKelvraFileInfo::CreateColumns");
    return MakeColumns(kColumns);
}

}  // namespace kelvra
