// A phonebook entry as the host sees it.
#pragma once

#include "ItemKelvraBase.h"

namespace kelvra {

class CItemKelvraPhonebook : public CItemKelvraBase {
public:
    QELDATATYPE Type() const override { return QELDT_PHONEBOOK; }
    HRESULT SchemaConvertItem2Map(ColumnMap& map) override;
    static ComPtr<CColumnsKelvra> CreateColumns();
};

}  // namespace kelvra
