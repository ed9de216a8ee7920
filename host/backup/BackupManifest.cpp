#include "BackupManifest.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <set>

#include "ComFailure.h"
#include "ComTypes.h"
#include "JsonValue.h"
#include "Sha256.h"
#include "WholeFile.h"

namespace kelvra::host {

namespace {

const wchar_t kManifestName[] = L"manifest.json";
const wchar_t kDigestName[] = L"manifest.json.sha256";
// A manifest lists files, not their contents: one far larger than this is no manifest.
constexpr uint64_t kMostManifestBytes = 16ull << 20;

std::string Quoted(const std::string& text)
{
    return JsonText(WidenUtf8(text));
}

bool IsLowerHexDigest(const std::string& text)
{
    return text.size() == 64 &&
           std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

// Windows finds files whatever their letters' case, so two paths differing only in case
// name one file.
std::string FoldedCase(std::string path)
{
    std::transform(path.begin(), path.end(), path.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return path;
}

// A device's name (CON, nul.txt, COM1) opens the device wherever it stands in a path.
bool IsDeviceName(const std::string& name)
{
    std::string stem = FoldedCase(name.substr(0, name.find('.')));
    if (stem == "con" || stem == "prn" || stem == "aux" || stem == "nul")
        return true;
    return stem.size() == 4 && (stem.rfind("com", 0) == 0 || stem.rfind("lpt", 0) == 0) && stem[3] >= '1' &&
           stem[3] <= '9';
}

std::string Utf8Text(const JsonValue& value)
{
    return NarrowUtf8(value.Text());
}

uint64_t NonNegative(const JsonValue& value, const std::string& what)
{
    int64_t number = value.Integer();
    if (number < 0)
        throw InputError(what + " is negative");
    return static_cast<uint64_t>(number);
}

void ReadFormat(const JsonValue& document)
{
    int64_t format = document.At("format").Integer();
    if (format > BackupManifest::kFormat) {
        throw InputError("this backup is of format " + std::to_string(format) + "; this kelvra-sync reads format " +
                         std::to_string(BackupManifest::kFormat));
    }
    if (format < BackupManifest::kFormat)
        throw InputError("format " + std::to_string(format) + " is no backup format");
}

ManifestFile FileEntry(const JsonValue& entry, std::set<std::string>& seen)
{
    ManifestFile file;
    file.path = Utf8Text(entry.At("path"));
    if (!IsSafeRelativePath(file.path))
        throw InputError("the file \"" + file.path + "\" is not a path inside the backup folder");
    if (!seen.insert(FoldedCase(file.path)).second)
        throw InputError("the file \"" + file.path + "\" is listed twice");
    file.size = NonNegative(entry.At("size"), "the size of " + file.path);
    file.sha256 = Utf8Text(entry.At("sha256"));
    if (!IsLowerHexDigest(file.sha256))
        throw InputError("the SHA-256 of " + file.path + " is not 64 lower-case hex digits");
    return file;
}

// folder\relative, the manifest's '/' as the PC's separator.
std::wstring InFolder(const std::wstring& folder, const std::wstring& relative)
{
    std::wstring path = folder;
    if (!path.empty() && path.back() != L'\\' && path.back() != L'/')
        path += L'\\';
    for (wchar_t c : relative)
        path += c == L'/' ? L'\\' : c;
    return path;
}

bool Exists(const std::wstring& path, uint64_t* size = nullptr)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    if (size)
        *size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

std::string DigestLine(const std::string& manifestText)
{
    return Sha256Hex(manifestText) + "  " + NarrowUtf8(kManifestName) + "\n";
}

// The hex digest at the start of manifest.json.sha256; empty when it cannot be read.
std::string DigestRecorded(const std::wstring& digestPath)
{
    try {
        return FoldedCase(ReadWhole(digestPath, 4096).substr(0, 64));
    } catch (const InputError&) {
        return {};
    }
}

// The manifest when it can be trusted enough to check the files by it; what is wrong with
// manifest.json itself goes to problems.
std::optional<BackupManifest> ReadCheckedManifest(const std::wstring& folder, std::vector<std::string>& problems)
{
    std::wstring manifestPath = InFolder(folder, kManifestName);
    std::wstring digestPath = InFolder(folder, kDigestName);
    if (!Exists(manifestPath)) {
        problems.push_back("manifest.json is missing");
        return std::nullopt;
    }
    try {
        std::string text = ReadWhole(manifestPath, kMostManifestBytes);
        if (!Exists(digestPath)) {
            // The files can still be checked by the manifest, though nothing vouches for it.
            problems.push_back("manifest.json.sha256 is missing");
        } else if (DigestRecorded(digestPath) != Sha256Hex(text)) {
            problems.push_back("manifest.json has changed (its SHA-256 differs from manifest.json.sha256)");
            return std::nullopt;
        }
        return BackupManifest::Parse(text);
    } catch (const InputError& e) {
        problems.push_back(std::string("manifest.json: ") + e.what());
        return std::nullopt;
    }
}

std::string FileProblem(const std::wstring& folder, const ManifestFile& file)
{
    std::wstring path = InFolder(folder, WidenUtf8(file.path));
    uint64_t size = 0;
    if (!Exists(path, &size))
        return file.path + " is missing";
    if (size != file.size)
        return file.path + " has changed (" + std::to_string(size) + " bytes, the manifest says " +
               std::to_string(file.size) + ")";
    try {
        if (Sha256OfFile(path, size) != file.sha256)
            return file.path + " has changed (its SHA-256 differs)";
    } catch (const InputError&) {
        return file.path + " cannot be read";
    }
    return {};
}

}  // namespace

// Names joined by '/', none empty, "." or "..", and
// nothing a PC path would read as a drive, a root, another separator, a wildcard or a
// device. A name ending in a dot or a space is refused too, as Windows drops those and two
// names would be one file.
bool IsSafeRelativePath(const std::string& path)
{
    if (path.empty() || path.find_first_of("\\:*?\"<>|") != std::string::npos)
        return false;
    size_t start = 0;
    for (;;) {
        size_t end = path.find('/', start);
        std::string name = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (name.empty() || name.back() == '.' || name.back() == ' ' || IsDeviceName(name) ||
            std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
            return false;
        if (end == std::string::npos)
            return true;
        start = end + 1;
    }
}


std::string BackupManifest::ToJson() const
{
    std::string json = "{\n  \"format\": " + std::to_string(format) + ",\n";
    json += "  \"model\": {\"id\": " + std::to_string(modelId) + ", \"name\": " + JsonText(modelName) + "},\n";
    json += "  \"time\": " + Quoted(time) + ",\n";
    json += "  \"componentVersion\": " + Quoted(componentVersion) + ",\n";
    json += "  \"counts\": {";
    for (size_t i = 0; i < counts.size(); ++i)
        json += (i ? ", " : "") + Quoted(counts[i].first) + ": " + std::to_string(counts[i].second);
    json += "},\n  \"passedOver\": [";
    for (size_t i = 0; i < passedOver.size(); ++i)
        json += (i ? ",\n    " : "\n    ") + Quoted(passedOver[i]);
    json += passedOver.empty() ? "],\n" : "\n  ],\n";
    json += "  \"files\": [";
    for (size_t i = 0; i < files.size(); ++i) {
        json += (i ? ",\n    " : "\n    ");
        json += "{\"path\": " + Quoted(files[i].path) + ", \"size\": " + std::to_string(files[i].size) +
                ", \"sha256\": " + Quoted(files[i].sha256) + "}";
    }
    json += files.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return json;
}

BackupManifest BackupManifest::Parse(const std::string& text)
{
    JsonValue document = JsonValue::Parse(text);
    ReadFormat(document);
    BackupManifest manifest;
    const JsonValue& model = document.At("model");
    int64_t modelId = model.At("id").Integer();
    if (modelId < 0 || modelId > INT32_MAX)
        throw InputError("the model " + std::to_string(modelId) + " is no model number");
    manifest.modelId = static_cast<int>(modelId);
    manifest.modelName = model.At("name").Text();
    manifest.time = Utf8Text(document.At("time"));
    manifest.componentVersion = Utf8Text(document.At("componentVersion"));
    for (const auto& [table, count] : document.At("counts").Members())
        manifest.counts.emplace_back(table, NonNegative(count, "the count of " + table));
    for (const JsonValue& line : document.At("passedOver").Items())
        manifest.passedOver.push_back(Utf8Text(line));
    std::set<std::string> seen;
    for (const JsonValue& entry : document.At("files").Items())
        manifest.files.push_back(FileEntry(entry, seen));
    return manifest;
}

uint64_t BackupManifest::Count(const std::string& table) const
{
    for (const auto& [name, count] : counts) {
        if (name == table)
            return count;
    }
    return 0;
}

void WriteBackupManifest(const std::wstring& folder, const BackupManifest& manifest)
{
    std::string text = manifest.ToJson();
    WriteWhole(InFolder(folder, kManifestName), text);
    WriteWhole(InFolder(folder, kDigestName), DigestLine(text));
}

std::vector<std::string> VerifyBackupFolder(const std::wstring& folder, BackupManifest& manifest)
{
    std::vector<std::string> problems;
    std::optional<BackupManifest> read = ReadCheckedManifest(folder, problems);
    if (!read)
        return problems;
    for (const ManifestFile& file : read->files) {
        if (std::string problem = FileProblem(folder, file); !problem.empty())
            problems.push_back(problem);
    }
    manifest = std::move(*read);
    return problems;
}

std::string LoadedComponentVersion()
{
    HMODULE module = GetModuleHandleW(L"LUMOQELKELVRA.dll");
    if (!module)
        return "unknown";
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (!length)
            return "unknown";
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    DWORD ignored = 0;
    DWORD bytes = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (!bytes)
        return "unknown";
    std::string block(bytes, '\0');
    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoBytes = 0;
    if (!GetFileVersionInfoW(path.c_str(), 0, bytes, block.data()) ||
        !VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &infoBytes) ||
        infoBytes < sizeof(VS_FIXEDFILEINFO) || info->dwSignature != VS_FFI_SIGNATURE)
        return "unknown";
    return std::to_string(HIWORD(info->dwFileVersionMS)) + "." + std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
           std::to_string(HIWORD(info->dwFileVersionLS)) + "." + std::to_string(LOWORD(info->dwFileVersionLS));
}

}  // namespace kelvra::host
