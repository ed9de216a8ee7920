// Which items of a backup the handset holds already, by their content, so that a restore
// run again (after an interruption, say) creates only what is missing. Each handset item
// stands for one backed-up item at most: two equal items in a backup are two items.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "ItemColumns.h"

namespace kelvra::host {

// An item's content: its columns' values as text, without the ones that say where it is
// kept rather than what it holds (its SUID, its picture's place on the PC) and without
// empty ones but its names, numbers, titles, texts and times.
using ItemContent = std::map<std::wstring, std::wstring>;

ItemContent ContentOf(const std::vector<NamedValue>& columns);

// For each wanted item, whether a handset item holds it. Equal contents are paired first;
// then, when another model's handset is restored to (cutShort), which maps kinds, types and
// alarms to its own, a handset item holds a wanted one when the names, numbers (as
// dialled), titles, texts and times its model carries are the wanted ones, or the wanted
// ones cut to that model's fields.
std::vector<bool> HeldOnHandset(const std::vector<ItemContent>& wanted, const std::vector<ItemContent>& handset,
                                bool cutShort);

}  // namespace kelvra::host
