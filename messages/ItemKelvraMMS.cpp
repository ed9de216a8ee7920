#include "ItemKelvraMMS.h"

#include "DebugLog.h"

namespace kelvra {

namespace {

const ColumnDefinition kColumns[] = {
    {L"SUID", VT_I4},
    {L"DEVICE_ID", VT_I4},
    {L"DEVICE_NAME", VT_BSTR},
    {L"MODE", VT_BSTR},
    {L"MY_FOLDER", VT_I4},
    {L"ATTRIBUTE", VT_BSTR},
    {L"CREATE_DATE", VT_DATE},
    {L"SEND_STATE", VT_BSTR},
    {L"MESSAGE_ID", VT_BSTR},
    {L"FOLDER", VT_BSTR},
    {L"TRANSACTION_ID", VT_BSTR},
    {L"SUBJECT", VT_BSTR},
    {L"SENDER", VT_BSTR},
    {L"RECEIVER", VT_BSTR},
    {L"CC", VT_BSTR},
    {L"BCC", VT_BSTR},
    {L"TIME_STAMP", VT_UI4},
    {L"TOTAL_SIZE", VT_UI4},
    {L"BODY_SIZE", VT_UI4},
    {L"READ_STATUS", VT_I4},
    {L"READ_REPORT", VT_I4},
    {L"DELIVERY_REPORT", VT_I4},
    {L"MESSAGE_CLASS", VT_BSTR},
    {L"COMPLETED", VT_I4},
    {L"PRIORITY", VT_BSTR},
    {L"VISIBILITY", VT_I4},
    {L"MM_STATUS", VT_I4},
    {L"DRM", VT_BSTR},
    {L"MSG_FLAG_ATTACHMENT", VT_I4},
    {L"MSG_FLAG_NOTI", VT_I4},
    {L"MSG_FLAG_LOCK", VT_I4},
    {L"MSG_FLAG_TEMPLATE_MSG_LOCK", VT_I4},
    {L"ATTACHMENT_FILE_PATH", VT_BSTR},
};

}  // namespace

HRESULT CItemKelvraMMS::SchemaConvertItem2Map(ColumnMap& map)
{
    return LoggedItem2Map(L"CItemKelvraMMS::SchemaConvertItem2Map", map);
}

ComPtr<CColumnsKelvra> CItemKelvraMMS::CreateColumns()
{
    DebugLog(L"%ls", L"CItemKelvraMMS::CreateColumns");
    return MakeColumns(kColumns);
}

}  // namespace kelvra
