// The RUIM cards the session puts into the simulated handset. The card table learns
// these limits from the card itself and cuts to them without a word, so the host keeps
// them here to say them and to check a number before it reaches the card.
#pragma once

namespace kelvra::host {

struct CardLimits {
    long nameChars;     // characters of an entry's name
    long entries;       // entries the card holds
    long numberDigits;  // digits of a number, a leading "+" not counted
};

constexpr CardLimits kSimulatedCard = {16, 250, 32};

}  // namespace kelvra::host
