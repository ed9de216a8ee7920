// A memo as the host sees it.
#pragma once

#include "ItemKelvraBase.h"

namespace kelvra {

class CItemKelvraMemo : public CItemKelvraBase {
public:
    QELDATATYPE Type() const override { return QELDT_MEMO; }
    HRESULT SchemaConvertItem2Map(ColumnMap& map) override;
    static ComPtr<CColumnsKelvra> CreateColumns();
};

}  // namespace kelvra
