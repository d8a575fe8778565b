#pragma once

#include <cstdint>

// Numbers of the decode engine and its media graph.
namespace quillstar::engine {

// Status codes of the media graph (COM conventions).
inline constexpr int32_t kStatusOk = 0;
// The graph was told to run and reaches the running state on its own.
inline constexpr int32_t kStatusStarting = 1;                                         // S_FALSE
inline constexpr int32_t kStatusFailed = static_cast<int32_t>(0x80004005);            // E_FAIL
inline constexpr int32_t kStatusInvalidMediaType = static_cast<int32_t>(0x80040200);  // VFW_E_INVALIDMEDIATYPE

// Choosing a decoder by content: type finding reads this much of the file
// after an ID3v2 tag (its header, and a footer when the flag says so, are
// this long).
inline constexpr long kTypeFindBytes = 65536;
inline constexpr long kId3HeaderSize = 10;
inline constexpr unsigned char kId3FooterFlag = 0x10;

// How long opening a graph waits for its audio to reach the grabber.
inline constexpr uint32_t kGraphConnectTimeoutMs = 10000;

}  // namespace quillstar::engine
