#include "app/evening_record.h"

#include "runtime/crc32.h"

#include <bit>
#include <cstring>

namespace app {
namespace {

constexpr std::uint8_t formatVersion = 1;

void putUnsigned(std::string& out, std::uint64_t value, int width)
{
    for (int byte = 0; byte < width; ++byte)
        out.push_back(static_cast<char>((value >> (8 * byte)) & 0xFFU));
}

void putText(std::string& out, std::string_view text)
{
    putUnsigned(out, text.size(), 4);
    out.append(text);
}

// Reads the payload front to back; every read checks the bytes are there first.
class PayloadReader {
public:
    explicit PayloadReader(std::string_view bytes)
        : bytes_(bytes)
    {
    }

    std::optional<std::uint64_t> unsignedOf(std::size_t width)
    {
        if (bytes_.size() - offset_ < width)
            return std::nullopt;
        std::uint64_t value = 0;
        for (std::size_t byte = 0; byte < width; ++byte)
            value |= std::uint64_t(static_cast<unsigned char>(bytes_[offset_ + byte]))
                << (8 * byte);
        offset_ += width;
        return value;
    }

    std::optional<runtime::Text> text()
    {
        const std::optional<std::uint64_t> size = unsignedOf(4);
        if (!size || bytes_.size() - offset_ < *size)
            return std::nullopt;
        runtime::Text result(bytes_.substr(offset_, *size));
        offset_ += *size;
        return result;
    }

    bool atEnd() const { return offset_ == bytes_.size(); }

private:
    std::string_view bytes_;
    std::size_t offset_ = 0;
};

bool knownState(std::uint64_t state)
{
    return state >= std::uint64_t(EveningState::playing)
        && state <= std::uint64_t(EveningState::endedNormally);
}

} // namespace

std::string encodeEveningRecord(const EveningRecord& record)
{
    std::string out;
    putUnsigned(out, formatVersion, 1);
    putUnsigned(out, std::uint8_t(record.state), 1);
    putUnsigned(out, record.showFingerprint, 4);
    putUnsigned(out, std::uint32_t(record.slotRecord), 4);
    putUnsigned(out, std::uint64_t(record.positionMillis), 8);
    putUnsigned(out, std::uint64_t(record.timeLimitLeftMillis), 8);
    putUnsigned(out, std::bit_cast<std::uint64_t>(record.openingTime), 8);
    putUnsigned(out, record.openingPending ? 1 : 0, 1);
    for (const runtime::Text* text : { &record.showName, &record.trackPath, &record.style,
             &record.openingHour, &record.openingMinute })
        putText(out, *text);
    return out;
}

std::optional<EveningRecord> decodeEveningRecord(std::string_view payload)
{
    PayloadReader in(payload);
    const auto version = in.unsignedOf(1);
    const auto state = in.unsignedOf(1);
    const auto fingerprint = in.unsignedOf(4);
    const auto slot = in.unsignedOf(4);
    const auto position = in.unsignedOf(8);
    const auto left = in.unsignedOf(8);
    const auto openingTime = in.unsignedOf(8);
    const auto pending = in.unsignedOf(1);
    if (!version || !state || !fingerprint || !slot || !position || !left || !openingTime
        || !pending || *version != formatVersion || !knownState(*state) || *pending > 1)
        return std::nullopt;
    EveningRecord record;
    record.state = EveningState(*state);
    record.showFingerprint = std::uint32_t(*fingerprint);
    record.slotRecord = std::int32_t(std::uint32_t(*slot));
    record.positionMillis = std::int64_t(*position);
    record.timeLimitLeftMillis = std::int64_t(*left);
    record.openingTime = std::bit_cast<double>(*openingTime);
    record.openingPending = *pending == 1;
    for (runtime::Text* text : { &record.showName, &record.trackPath, &record.style,
             &record.openingHour, &record.openingMinute }) {
        std::optional<runtime::Text> read = in.text();
        if (!read)
            return std::nullopt;
        *text = std::move(*read);
    }
    if (!in.atEnd() || record.positionMillis < 0 || record.timeLimitLeftMillis < -1)
        return std::nullopt;
    return record;
}

std::uint32_t showFingerprint(
    const std::vector<runtime::Text>& paths, const std::vector<std::int32_t>& records)
{
    std::string bytes;
    for (std::size_t n = 0; n < paths.size(); ++n) {
        putUnsigned(bytes, std::uint32_t(n < records.size() ? records[n] : 0), 4);
        putText(bytes, paths[n]);
    }
    return runtime::crc32(bytes);
}

} // namespace app
