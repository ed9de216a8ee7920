// A calendar entry of any of the six kinds as the host sees it.
#pragma once

#include "ItemKelvraBase.h"

namespace kelvra {

class CItemKelvraSchedule : public CItemKelvraBase {
public:
    QELDATATYPE Type() const override { return QELDT_SCHEDULE; }
    HRESULT SchemaConvertItem2Map(ColumnMap& map) override;
    static ComPtr<CColumnsKelvra> CreateColumns();
};

}  // namespace kelvra
