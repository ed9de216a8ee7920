#include "HandsetStore.h"

#include <algorithm>

#include "StateCodec.h"
#include "StateError.h"
#include "StateFile.h"

namespace kelvra::sim {

namespace {

// Below this the journal is never folded early: small sessions fold once, at the end.
constexpr uint64_t kSmallestFold = 1u << 20;

}  // namespace

const std::wstring& HandsetStore::PreparedFolder(const std::wstring& folder)
{
    if (folder.empty())
        throw StateError(E_INVALIDARG, L"The handset needs a folder");
    DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        throw StateError(HRESULT_FROM_WIN32(ERROR_DIRECTORY), folder + L" is a file, not a handset folder");
    // Another run started at the same time may make the folder first.
    if (attributes == INVALID_FILE_ATTRIBUTES && !CreateDirectoryW(folder.c_str(), nullptr) &&
        ::GetLastError() != ERROR_ALREADY_EXISTS)
        ThrowLastError(L"Cannot make the handset folder " + folder);
    return folder;
}

HandsetStore::HandsetStore(const std::wstring& folder, DWORD waitMs, HandsetContents& contents)
    : m_statePath(folder + L"\\handset.txt"),
      m_journalPath(folder + L"\\handset.journal"),
      m_lock(PreparedFolder(folder), waitMs)
{
    Load(contents);
}

void HandsetStore::Load(HandsetContents& contents)
{
    contents = HandsetContents();
    std::string text;
    std::wstring reason;
    if (StateFile::Read(m_statePath, text)) {
        if (!StateCodec::ReadState(text, contents, m_generation, reason))
            ThrowDamaged(m_statePath, reason);
        m_stateBytes = text.size();
    }
    if (StateFile::Read(m_journalPath, text)) {
        if (!StateCodec::ReadJournal(text, m_generation, contents, m_leftoverJournal, reason))
            ThrowDamaged(m_journalPath, reason);
    }
}

void HandsetStore::StartJournal(const HandsetContents& current)
{
    // A journal left by a killed run may end in a torn line; fold it away rather than
    // append behind it.
    if (m_leftoverJournal)
        Fold(current);
    m_journal = FileHandle(CreateFileW(m_journalPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!m_journal)
        ThrowLastError(L"Cannot save the handset: cannot make " + m_journalPath);
    std::string header = StateCodec::JournalHeader(m_generation);
    try {
        StateFile::WriteDurably(m_journal.Get(), header, m_journalPath);
    } catch (...) {
        // Without its header no line may follow; the next change makes the journal anew.
        m_journal.Close();
        throw;
    }
    m_journalBytes = header.size();
    m_bytesWritten += header.size();
}

void HandsetStore::Save(const std::string& line, const HandsetContents& current)
{
    if (!m_journal)
        StartJournal(current);
    try {
        StateFile::WriteDurably(m_journal.Get(), line, m_journalPath);
    } catch (...) {
        TakeBack(current);
        throw;
    }
    m_journalBytes += line.size();
    m_bytesWritten += line.size();
    m_changed = true;
}

void HandsetStore::TakeBack(const HandsetContents& current) noexcept
{
    // A line whose flush failed may still be whole in the file, where the next opening
    // would replay a change answered as failed. Cutting the journal back to the changes
    // answered as done takes it out for any later opening, a kill's included.
    LARGE_INTEGER answered;
    answered.QuadPart = static_cast<LONGLONG>(m_journalBytes);
    if (SetFilePointerEx(m_journal.Get(), answered, nullptr, FILE_BEGIN) && SetEndOfFile(m_journal.Get())) {
        // A disk that failed the line may fail this flush too; later openings see the
        // cut all the same.
        StateFile::flush(m_journal.Get());
        return;
    }
    // A journal that cannot be cut is left behind as an older generation.
    m_journal.Close();
    try {
        Fold(current);
    } catch (...) {
        // Nothing more can be done now: the next change, or the end of the session,
        // folds the journal away before anything else is written.
        m_leftoverJournal = true;
        m_changed = true;
    }
}

void HandsetStore::FoldIfLarge(const HandsetContents& current)
{
    if (m_journalBytes < std::max({kSmallestFold, m_stateBytes, m_nextFoldAt}))
        return;
    try {
        Fold(current);
    } catch (const StateError&) {
        m_nextFoldAt = m_journalBytes * 2;
    }
}

void HandsetStore::Fold(const HandsetContents& current)
{
    std::string text = StateCodec::StateText(current, m_generation + 1);
    StateFile::Replace(m_statePath, text);
    m_bytesWritten += text.size();
    m_stateBytes = text.size();
    // The journal now belongs to an older generation and is ignored even if it stays.
    ++m_generation;
    m_journal.Close();
    DeleteFileW(m_journalPath.c_str());
    m_journalBytes = 0;
    m_nextFoldAt = 0;
    m_leftoverJournal = false;
}

void HandsetStore::Close(const HandsetContents& current) noexcept
{
    if (!m_changed)
        return;
    try {
        Fold(current);
    } catch (...) {
        // The changes stay in the journal, which the next opening reads.
    }
    m_changed = false;
}

}  // namespace kelvra::sim
