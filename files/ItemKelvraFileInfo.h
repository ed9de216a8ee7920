// The handset's memory figures and the limits of its names and folders.
#pragma once

#include "ItemKelvraBase.h"

namespace kelvra {

class CItemKelvraFileInfo : public CItemKelvraBase {
public:
    QELDATATYPE Type() const override { return QELDT_FILE_INFO; }
    HRESULT SchemaConvertItem2Map(ColumnMap& map) override;
    static ComPtr<CColumnsKelvra> CreateColumns();
};

}  // namespace kelvra
