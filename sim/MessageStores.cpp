#include "MessageStores.h"

#include <windows.h>

#include "ByteCursor.h"

namespace kelvra::sim {

namespace {

constexpr long kModelA110 = 218;
constexpr long kModelA230 = 208;
// The models whose message clock counts universal time: KTM-A230, A260, A290, A130.
constexpr long kUniversalTimeModels[] = {kModelA230, 210, 211, 212};
constexpr int64_t kLocalClockLag = 28928;

// A stored message: index 2, text 255 (254+1 or 255), number 340 (680 on the A110),
// call-back 32, time 4, mode 4.
struct StoredLayout {
    size_t text = 255;
    size_t number = 340;
    size_t callBack = 32;
};

StoredLayout StoredLayoutOf(long model)
{
    StoredLayout layout;
    if (model == kModelA110)
        layout.number = 680;
    return layout;
}

// The bytes of a UTF-8 text that fit in width bytes with a terminator, whole characters only.
std::string_view FitWithTerminator(std::string_view text, size_t width)
{
    if (width == 0)
        return {};
    if (text.size() < width)
        return text;
    size_t cut = width - 1;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return text.substr(0, cut);
}

}  // namespace

uint32_t MessageClockNow(long model)
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER ticks = {{now.dwLowDateTime, now.dwHighDateTime}};
    const uint64_t kTicksTo1970 = 116444736000000000ULL;
    int64_t seconds = static_cast<int64_t>((ticks.QuadPart - kTicksTo1970) / 10000000ULL);
    for (long universal : kUniversalTimeModels) {
        if (model == universal)
            return static_cast<uint32_t>(seconds);
    }
    TIME_ZONE_INFORMATION zone = {};
    GetTimeZoneInformation(&zone);
    return static_cast<uint32_t>(seconds - zone.Bias * 60 - kLocalClockLag);
}

SmsSendLayout SendLayout(long model)
{
    SmsSendLayout layout;
    if (model == kModelA230)
        layout.text = 160;
    return layout;
}

uint32_t SentBox(uint32_t cardWord)
{
    return cardWord == 22 ? 20 : 28;
}

std::string StoredSmsRecord(long model, uint32_t index, std::string_view number, std::string_view text,
                            uint32_t time)
{
    StoredLayout layout = StoredLayoutOf(model);
    return ByteWriter()
        .U16LE(static_cast<uint16_t>(index))
        .Field(FitWithTerminator(text, layout.text), layout.text)
        .Field(FitWithTerminator(number, layout.number), layout.number)
        .Field({}, layout.callBack)
        .U32LE(time)
        .U32LE(0)
        .Take();
}

}  // namespace kelvra::sim
