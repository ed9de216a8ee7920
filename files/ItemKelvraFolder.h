// A folder of the handset's phone memory or memory card.
#pragma once

#include "ItemKelvraBase.h"

namespace kelvra {

class CItemKelvraFolder : public CItemKelvraBase {
public:
    QELDATATYPE Type() const override { return QELDT_FOLDER; }
    HRESULT SchemaConvertItem2Map(ColumnMap& map) override;
    static ComPtr<CColumnsKelvra> CreateColumns();
};

}  // namespace kelvra
