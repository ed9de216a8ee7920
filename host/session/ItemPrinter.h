// Items as readable text or as JSON.
#pragma once

#include <string>
#include <vector>

#include "ComTypes.h"
#include "QELKELVRA.h"

namespace kelvra::host {

std::string ItemsAsText(const std::vector<ComPtr<IItem>>& items);
std::string ItemsAsJson(const std::vector<ComPtr<IItem>>& items);
std::string JsonString(const std::wstring& text);

}  // namespace kelvra::host
