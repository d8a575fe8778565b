#pragma once

#include <cstdint>

// Messages posted between threads and windows (WM_USER = 1024).
namespace quillstar::msg {

inline constexpr uint32_t kUser = 1024;
inline constexpr uint32_t WM_PLUGIN_EOF = kUser + 2;      // 1026
inline constexpr uint32_t WM_GRAPH_NOTIFY = kUser + 13;   // 1037
inline constexpr uint32_t WM_BURN_PROGRESS = kUser + 18;  // 1042
inline constexpr uint32_t WM_BURN_STOPPED = kUser + 19;   // 1043
inline constexpr uint32_t WM_BURN_FINISHED = kUser + 20;  // 1044

}  // namespace quillstar::msg
