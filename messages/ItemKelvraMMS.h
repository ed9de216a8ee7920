// An MMS message header as the host sees it; the content stays in a ".mms" file.
#pragma once

#include "ItemKelvraBase.h"

namespace kelvra {

class CItemKelvraMMS : public CItemKelvraBase {
public:
    QELDATATYPE Type() const override { return QELDT_MMS; }
    HRESULT SchemaConvertItem2Map(ColumnMap& map) override;
    static ComPtr<CColumnsKelvra> CreateColumns();
};

}  // namespace kelvra
