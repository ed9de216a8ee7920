// The file system a new handset of each built-in model comes with: its phone root and
// card root as the model's built-in profile names them, and the system folders of its
// phone memory. Worked out here from the profiles and the handsets' folder lists.
#pragma once

#include <string_view>
#include <vector>

namespace kelvra::sim {

struct ModelFileSystem {
    std::wstring_view phoneRoot;
    std::wstring_view cardRoot;
    // Below the phone root, each with a leading "/".
    const std::vector<std::wstring_view>& systemFolders;
    // The phone memory's size where the model's profile states it (the component then
    // takes it from there); 0 for the common size.
    unsigned long long phoneBytes = 0;
    // Where the model keeps contact pictures when that is outside the phone root; empty
    // when it keeps them inside it or keeps none.
    std::wstring_view pictureFolder = {};
};

// The model's file system (its built-in profile's resource number); nullptr for a model
// whose profile names no roots or that is not known.
const ModelFileSystem* FileSystemOf(long model);

}  // namespace kelvra::sim
