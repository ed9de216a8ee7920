// What the handset holds differently from what was set on an item: the component fills
// the item from the record read back after a create or an update, so comparing the two
// shows what the model's fields cut, cleaned, mapped or left out.
#pragma once

#include <string>
#include <vector>

#include "ComTypes.h"
#include "QELKELVRA.h"

namespace kelvra::host {

class HandsetChanges {
public:
    // One line per changed column, for "COLUMN=VALUE" assignments and the stored item.
    static std::vector<std::string> Between(const std::vector<std::wstring>& assignments, IItem* stored);

    // A number as the handset dials it: digits, a leading "+", "*", "#", "P" and "T".
    static std::wstring Dialable(const std::wstring& number);

private:
    static std::string Compare(const std::wstring& column, const std::wstring& given, IItem* stored);
    static std::string CompareNumber(const std::wstring& given, const std::wstring& held);
    static std::string CompareType(const std::wstring& column, const std::wstring& given, const std::wstring& held);
};

}  // namespace kelvra::host
