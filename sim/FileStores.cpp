#include "FileStores.h"

namespace kelvra::sim {

namespace {

// KTM-A230 (and A160): music and other files have their own folders.
const std::vector<std::wstring_view> kA230Folders = {
    L"/Images", L"/Videos", L"/Music", L"/Sounds", L"/Other files", L"/Images/Downloaded images",
    L"/Videos/Downloaded videos", L"/Sounds/Downloaded sounds", L"/Sounds/Voice memo", L"/Sounds/FM radio clips",
    L"/Other files/Document files", L"/Other files/Data files"};

// KTM-A290 (and A180): music lives under the sounds; the handset spells "Donwloaded" so.
const std::vector<std::wstring_view> kA290Folders = {
    L"/Images", L"/Videos", L"/Sounds", L"/Other files", L"/Images/Donwloaded images", L"/Images/My photos",
    L"/Videos/Downloaded videos", L"/Sounds/Downloaded sounds", L"/Sounds/Music", L"/Sounds/Voice memo",
    L"/Sounds/FM radio clips"};

const std::vector<std::wstring_view> kCommonFolders = {
    L"/Images", L"/Videos", L"/Music", L"/Sounds", L"/Other files", L"/Images/Downloaded images",
    L"/Videos/Downloaded videos", L"/Sounds/Downloaded sounds", L"/Sounds/Voice memo"};

struct ModelEntry {
    long model;
    ModelFileSystem files;
};

// The KTM-A110 (218) profile names no roots: that handset has no file system to offer.
const ModelEntry kModels[] = {
    {202, {L"tfs4/a/users", L"mvfs/mv", kCommonFolders, 118628352}},  // KTM-A280
    {203, {L"efs2/users", L"mvfs/mv", kCommonFolders}},      // KTM-A150
    {208, {L"efs2/users", L"tfs4/e", kA230Folders, 24383488}},        // KTM-A230
    {210, {L"/tfs4/a/users", L"/tfs4/e", kCommonFolders}},   // KTM-A260
    {211, {L"/tfs4/a/users", L"/mvfs/mv", kA290Folders, 0, L"/tfs4/a/sap"}},  // KTM-A290
    {212, {L"/tfs4/a/users", L"/tfs4/e", kCommonFolders}},   // KTM-A130
};

}  // namespace

const ModelFileSystem* FileSystemOf(long model)
{
    for (const ModelEntry& entry : kModels) {
        if (entry.model == model)
            return &entry.files;
    }
    return nullptr;
}

}  // namespace kelvra::sim
