// An entry of a RUIM card's phonebook: a name and one number.
#pragma once

#include "ItemKelvraBase.h"

namespace kelvra {

class CItemKelvraCardPhonebook : public CItemKelvraBase {
public:
    QELDATATYPE Type() const override { return QELDT_PHONEBOOK_SIM; }
    static ComPtr<CColumnsKelvra> CreateColumns();
};

}  // namespace kelvra
