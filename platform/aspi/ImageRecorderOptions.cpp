#include "platform/aspi/ImageRecorderOptions.h"

#include <charconv>
#include <functional>
#include <map>
#include <sstream>
#include <vector>

#include "resources/ImageRecorderTexts.h"

namespace quillstar {

namespace {

constexpr int kMaximumCount = 1000000;
constexpr int kMaximumCommandDelayMs = 60000;
// Ten seconds of samples either way: far beyond any drive's read offset.
constexpr int kMaximumReadOffset = 441000;

std::vector<std::string> SplitOptions(const std::string& text)
{
    std::string spaced = text;
    for (char& c : spaced) {
        if (c == ',')
            c = ' ';
    }
    std::istringstream stream(spaced);
    std::vector<std::string> options;
    for (std::string option; stream >> option;)
        options.push_back(option);
    return options;
}

std::optional<long> ParseNumber(const std::string& text, int base = 10)
{
    std::string digits = text.size() > 1 && text[0] == '+' ? text.substr(1) : text;
    if (base == 10 && digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        digits = digits.substr(2);
        base = 16;
    }
    long value = 0;
    const char* end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, value, base);
    if (digits.empty() || error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

std::optional<scsi::SenseCode> ParseSense(const std::string& text)
{
    std::vector<long> parts;
    std::istringstream stream(text);
    for (std::string part; std::getline(stream, part, '/');) {
        const auto value = ParseNumber(part, 16);
        if (!value || *value < 0 || *value > 0xFF)
            return std::nullopt;
        parts.push_back(*value);
    }
    if (parts.size() != 3 || parts[0] > 0xF)
        return std::nullopt;
    return scsi::SenseCode{static_cast<uint8_t>(parts[0]), static_cast<uint8_t>(parts[1]),
                           static_cast<uint8_t>(parts[2])};
}

// "LBA" or "LBA:COUNT", a sector address on the disc and a count of at least 1.
std::optional<ImageRecorderOptions::SectorRange> ParseSectorRange(const std::string& text)
{
    const auto colon = text.find(':');
    const auto first = ParseNumber(text.substr(0, colon));
    const auto count = colon == std::string::npos ? std::optional<long>(1) : ParseNumber(text.substr(colon + 1));
    if (!first || !count || *first < 0 || *first > kMaximumCount || *count < 1 || *count > kMaximumCount)
        return std::nullopt;
    return ImageRecorderOptions::SectorRange{*first, *count};
}

std::function<bool(const std::string&)> SectorRangeInto(ImageRecorderOptions::SectorRange& field)
{
    return [&field](const std::string& value) {
        const auto range = ParseSectorRange(value);
        if (range)
            field = *range;
        return range.has_value();
    };
}

// Reads a value into a field, refusing anything outside [low, high].
template <typename Field>
std::function<bool(const std::string&)> NumberInto(Field& field, long low, long high)
{
    return [&field, low, high](const std::string& value) {
        const auto number = ParseNumber(value);
        if (!number || *number < low || *number > high)
            return false;
        field = static_cast<Field>(*number);
        return true;
    };
}

}  // namespace

std::optional<ImageRecorderOptions> ImageRecorderOptions::Parse(const std::string& text, std::string& error)
{
    ImageRecorderOptions options;
    using Disc = ImageRecorderOptions::Disc;
    const std::map<std::string, std::function<bool(const std::string&)>> valued = {
        {"disc",
         [&](const std::string& value) {
             static const std::map<std::string, Disc> discs = {{"blank", Disc::kBlank},
                                                               {"appendable", Disc::kAppendable},
                                                               {"complete", Disc::kComplete},
                                                               {"none", Disc::kNone}};
             const auto found = discs.find(value);
             if (found == discs.end())
                 return false;
             options.disc = found->second;
             return true;
         }},
        {"media",
         [&](const std::string& value) {
             if (value != "cdr" && value != "cdrw")
                 return false;
             options.erasable = value == "cdrw";
             return true;
         }},
        {"write-fail-sense",
         [&](const std::string& value) {
             const auto sense = ParseSense(value);
             if (sense)
                 options.writeFailureSense = *sense;
             return sense.has_value();
         }},
        {"minutes", NumberInto(options.minutes, 1, 99)},
        {"disc-type", NumberInto(options.discType, 0, 0xFF)},
        {"max-read-speed", NumberInto(options.maxReadSpeed, 1, 0xFFFE)},
        {"max-write-speed", NumberInto(options.maxWriteSpeed, 1, 0xFFFE)},
        {"current-read-speed", NumberInto(options.forcedReadSpeed, 1, 0xFFFE)},
        {"current-write-speed", NumberInto(options.forcedWriteSpeed, 1, 0xFFFE)},
        {"write-fails", NumberInto(options.writeFailures, 0, kMaximumCount)},
        {"write-fails-at", NumberInto(options.firstFailingWrite, 1, kMaximumCount)},
        {"write-times-out", NumberInto(options.writeTimeouts, 0, kMaximumCount)},
        {"write-times-out-at", NumberInto(options.firstTimedOutWrite, 1, kMaximumCount)},
        {"not-ready-after-close", NumberInto(options.notReadyPollsAfterClose, 0, kMaximumCount)},
        {"buffer-kb", NumberInto(options.bufferKilobytes, 1, 0xFFFF)},
        {"read-offset", NumberInto(options.readOffsetSamples, -kMaximumReadOffset, kMaximumReadOffset)},
        {"read-corrupt", SectorRangeInto(options.corruptSectors)},
        {"read-fails", SectorRangeInto(options.unreadableSectors)},
        {"close-track-fails", NumberInto(options.failingTrackClose, 1, kMaximumCount)},
        {"command-delay-ms", NumberInto(options.commandDelayMs, 0, kMaximumCommandDelayMs)},
    };
    const std::map<std::string, std::function<void()>> flags = {
        {"unknown-capacity", [&] { options.unknownCapacity = true; }},
        {"no-capabilities-page", [&] { options.capabilitiesPage = false; }},
        {"reader-only", [&] { options.canWrite = false; }},
        {"no-test-write", [&] { options.canTestWrite = false; }},
        {"inquiry-fails", [&] { options.inquiryFails = true; }},
        {"throttle", [&] { options.throttle = true; }},
        {"sync-cache-fails", [&] { options.syncCacheFails = true; }},
        {"close-session-fails", [&] { options.closeSessionFails = true; }},
        {"image-write-fails", [&] { options.imageWriteFails = true; }},
        {"set-speed-fails", [&] { options.setSpeedFails = true; }},
    };

    for (const std::string& option : SplitOptions(text)) {
        const auto equals = option.find('=');
        const bool hasValue = equals != std::string::npos;
        const std::string name = option.substr(0, equals);
        const auto flag = flags.find(name);
        const auto setter = valued.find(name);
        if (flag != flags.end() && !hasValue) {
            flag->second();
            continue;
        }
        if (flag == flags.end() && setter == valued.end()) {
            error = "unknown option '" + option + "'";
            return std::nullopt;
        }
        if (setter == valued.end() || !hasValue) {
            error = std::string(hasValue ? "option takes no value: '" : "option needs a value: '") + option + "'";
            return std::nullopt;
        }
        if (!setter->second(option.substr(equals + 1))) {
            error = "bad value in '" + option + "'";
            return std::nullopt;
        }
    }
    return options;
}

}  // namespace quillstar
