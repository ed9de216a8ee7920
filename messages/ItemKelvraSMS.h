// A message as the host sees it.
#pragma once

#include "ItemKelvraBase.h"

namespace kelvra {

class CItemKelvraSMS : public CItemKelvraBase {
public:
    QELDATATYPE Type() const override { return QELDT_SMS; }
    HRESULT SchemaConvertItem2Map(ColumnMap& map) override;
    static ComPtr<CColumnsKelvra> CreateColumns();
};

}  // namespace kelvra
