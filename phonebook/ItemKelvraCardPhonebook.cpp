#include "ItemKelvraCardPhonebook.h"

namespace kelvra {

namespace {

const ColumnDefinition kColumns[] = {
    {L"SUID", VT_I4}, {L"DISPLAY_NAME", VT_BSTR}, {L"TEL_TYPE_0", VT_BSTR}, {L"TEL_NUM_0", VT_BSTR},
};

}  // namespace

ComPtr<CColumnsKelvra> CItemKelvraCardPhonebook::CreateColumns()
{
    return MakeColumns(kColumns);
}

}  // namespace kelvra
