#include "Sha256.h"

#include <windows.h>

#include <bcrypt.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <vector>

#include "ComFailure.h"
#include "ComTypes.h"

namespace kelvra::host {

namespace {

// Large files pass through in pieces of this size, never held whole.
constexpr DWORD kPieceBytes = 64 * 1024;

struct AlgorithmCloser {
    void operator()(void* algorithm) const { BCryptCloseAlgorithmProvider(algorithm, 0); }
};
struct HashDestroyer {
    void operator()(void* hash) const { BCryptDestroyHash(hash); }
};
struct FileCloser {
    void operator()(void* file) const { CloseHandle(file); }
};

void CheckStatus(NTSTATUS status, const char* what)
{
    if (!BCRYPT_SUCCESS(status)) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(status));
        throw std::runtime_error(std::string("SHA-256: ") + what + " failed (status " + code + ")");
    }
}

// One digest being made: bytes go in with Add, the hex comes out once with Hex.
class Sha256Digest {
public:
    Sha256Digest()
    {
        BCRYPT_ALG_HANDLE algorithm = nullptr;
        CheckStatus(BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0), "opening the algorithm");
        m_algorithm.reset(algorithm);
        BCRYPT_HASH_HANDLE hash = nullptr;
        CheckStatus(BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0), "creating a hash");
        m_hash.reset(hash);
    }

    void Add(const char* bytes, size_t count)
    {
        while (count > 0) {
            ULONG piece = static_cast<ULONG>(count < kPieceBytes ? count : kPieceBytes);
            CheckStatus(BCryptHashData(m_hash.get(), reinterpret_cast<PUCHAR>(const_cast<char*>(bytes)), piece, 0),
                        "hashing");
            bytes += piece;
            count -= piece;
        }
    }

    std::string Hex()
    {
        unsigned char digest[32];
        CheckStatus(BCryptFinishHash(m_hash.get(), digest, sizeof digest, 0), "finishing");
        static const char kHex[] = "0123456789abcdef";
        std::string hex;
        for (unsigned char byte : digest) {
            hex += kHex[byte >> 4];
            hex += kHex[byte & 0xF];
        }
        return hex;
    }

private:
    std::unique_ptr<void, AlgorithmCloser> m_algorithm;
    std::unique_ptr<void, HashDestroyer> m_hash;
};

}  // namespace

std::string Sha256Hex(const std::string& bytes)
{
    Sha256Digest digest;
    digest.Add(bytes.data(), bytes.size());
    return digest.Hex();
}

std::string Sha256OfFile(const std::wstring& path, uint64_t& size)
{
    HANDLE opened = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (opened == INVALID_HANDLE_VALUE)
        throw InputError("cannot read " + NarrowUtf8(path));
    std::unique_ptr<void, FileCloser> file(opened);
    Sha256Digest digest;
    std::vector<char> piece(kPieceBytes);
    size = 0;
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.get(), piece.data(), kPieceBytes, &read, nullptr))
            throw InputError("cannot read " + NarrowUtf8(path));
        if (read == 0)
            return digest.Hex();
        digest.Add(piece.data(), read);
        size += read;
    }
}

}  // namespace kelvra::host
