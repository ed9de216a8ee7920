// A caller group as the host sees it.
#pragma once

#include "ItemKelvraBase.h"

namespace kelvra {

class CItemKelvraPBGroup : public CItemKelvraBase {
public:
    QELDATATYPE Type() const override { return QELDT_GROUP; }
    HRESULT SchemaConvertItem2Map(ColumnMap& map) override;
    static ComPtr<CColumnsKelvra> CreateColumns();
};

}  // namespace kelvra
