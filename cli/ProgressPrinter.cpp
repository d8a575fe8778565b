#include "cli/ProgressPrinter.h"

#include <algorithm>

namespace quillstar {
namespace {

constexpr int kBarWidth = 30;
constexpr size_t kTextWidth = 44;

}  // namespace

ProgressPrinter::ProgressPrinter(FILE* out, bool terminal) : out_(out), terminal_(terminal) {}

void ProgressPrinter::Show(const std::string& text, int percent)
{
    percent = std::clamp(percent, 0, 100);
    if (text == lastText_ && percent == lastPercent_)
        return;
    lastText_ = text;
    lastPercent_ = percent;
    if (terminal_)
        DrawBar(text, percent);
    else
        std::fprintf(out_, "%3d%% %s\n", percent, text.c_str());
    std::fflush(out_);
}

void ProgressPrinter::DrawBar(const std::string& text, int percent)
{
    const int filled = percent * kBarWidth / 100;
    const std::string bar =
        std::string(static_cast<size_t>(filled), '#') + std::string(static_cast<size_t>(kBarWidth - filled), '.');
    std::string shown = text.substr(0, kTextWidth);
    // \r returns to the line's start, \033[K clears what a longer text left.
    std::fprintf(out_, "\r[%s] %3d%% %s\033[K", bar.c_str(), percent, shown.c_str());
    barShown_ = true;
}

void ProgressPrinter::Finish()
{
    if (barShown_)
        std::fputc('\n', out_);
    barShown_ = false;
    std::fflush(out_);
}

}  // namespace quillstar
