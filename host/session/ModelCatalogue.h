// The models the component has a built-in profile for, read from the profile resources
// of the registered component DLL, so that the list never disagrees with it.
#pragma once

#include <string>
#include <vector>

namespace kelvra::host {

struct BuiltInModel {
    int id;            // the profile's resource number, as --model takes it
    std::wstring name;  // "KTM-A280"
    std::string profile;  // the INI text
};

class ModelCatalogue {
public:
    // Throws ComFailure when the component is not registered or cannot be read.
    static std::vector<BuiltInModel> Load();

private:
    static std::wstring ComponentPath();
    static std::wstring ModelNameIn(const std::string& profile);
};

}  // namespace kelvra::host
