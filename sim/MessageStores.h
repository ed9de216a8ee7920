// The message boxes of each built-in model, as the handsets keep them: the layout of a
// stored message and of the send request. Worked out here from the models' field lists,
// apart from anything the component computes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kelvra::sim {

// The send request (after the card word of a dual-card handset): receiver length byte,
// receiver field, text field.
struct SmsSendLayout {
    size_t number = 34;
    size_t text = 255;
};

SmsSendLayout SendLayout(long model);

// The box a sent message is kept in: the second card's sent box for card word 22, else
// the first card's.
uint32_t SentBox(uint32_t cardWord);

// The model's message clock now: the models that count universal time give seconds
// from 1970 in UTC; the others count their local (standard) time 28,928 seconds behind.
uint32_t MessageClockNow(long model);

// A stored message of the model (its built-in profile's resource number; another model
// gets the common layout): index word, UTF-8 text, number and call-back fields, time
// word, mode word. Texts longer than their fields are cut at a character boundary.
std::string StoredSmsRecord(long model, uint32_t index, std::string_view number, std::string_view text,
                            uint32_t time);

}  // namespace kelvra::sim
