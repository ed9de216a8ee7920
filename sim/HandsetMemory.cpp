#include "HandsetMemory.h"

#include <string>

#include "FileStores.h"

namespace kelvra::sim {

void HandsetMemory::SetCapacity(const HandsetPath& root, uint64_t bytes)
{
    for (auto& [path, capacity] : m_capacities) {
        if (path == root) {
            capacity = bytes;
            return;
        }
    }
    m_capacities.emplace_back(root, bytes);
}

uint64_t HandsetMemory::Capacity(const HandsetPath& root, long model) const
{
    for (const auto& [path, capacity] : m_capacities) {
        if (path == root)
            return capacity;
    }
    const ModelFileSystem* files = FileSystemOf(model);
    std::optional<HandsetPath> cardRoot = files ? HandsetPath::Parse(files->cardRoot) : std::nullopt;
    if (cardRoot && *cardRoot == root)
        return kCardCapacity;
    return files && files->phoneBytes ? files->phoneBytes : kPhoneCapacity;
}

}  // namespace kelvra::sim
