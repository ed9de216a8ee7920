// A to-do task as the host sees it.
#pragma once

#include "ItemKelvraBase.h"

namespace kelvra {

class CItemKelvraTask : public CItemKelvraBase {
public:
    QELDATATYPE Type() const override { return QELDT_TASK; }
    HRESULT SchemaConvertItem2Map(ColumnMap& map) override;
    static ComPtr<CColumnsKelvra> CreateColumns();
};

}  // namespace kelvra
