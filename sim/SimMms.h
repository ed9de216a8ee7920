// The emulated handset's MMS: folders of message headers and the messages' contents,
// kept as records so that they persist like every other record. Header reply bodies
// live in stores 1001 to 1004 (1000 + folder code) at indexes 0 to n-1, contents in
// store 1010 at the message id. Headers are built here from the handset's own layout.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvra::sim {

class SimHandset;

class SimMms {
public:
    static constexpr uint32_t kHeaderStoreBase = 1000;
    static constexpr uint32_t kContentStore = 1010;
    static constexpr uint32_t kSentFolder = 4;

    explicit SimMms(SimHandset& handset) : m_handset(handset) {}

    static bool Handles(uint16_t code);
    // Answers one MMS request; returns the reply code and fills the reply.
    uint16_t Answer(uint16_t code, std::string_view payload, std::string& reply);

    // Stores a new message at the end of a folder (1 to 4); returns its id.
    uint32_t Add(uint32_t folder, const std::string& subject, const std::string& sender, const std::string& receiver,
                 uint32_t time, const std::string& content);

private:
    uint16_t FolderCount(std::string_view payload, std::string& reply);
    uint16_t Header(std::string_view payload, std::string& reply);
    uint16_t ContentStart(std::string_view payload, std::string& reply);
    uint16_t ContentBlock(std::string& reply);
    uint16_t SendStart(std::string_view payload);
    uint16_t SendBlock(std::string_view payload, std::string& reply);

    SimHandset& m_handset;
    uint32_t m_countedFolder = 0;   // the folder whose headers are asked by index
    std::string m_fetching;         // the content being handed out
    size_t m_fetched = 0;
    bool m_fetchOpen = false;
    std::string m_sending;          // the blocks of a message being sent
    uint32_t m_sendSize = 0;
    bool m_sendOpen = false;
};

}  // namespace kelvra::sim
