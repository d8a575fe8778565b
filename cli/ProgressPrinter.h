#pragma once

#include <cstdio>
#include <string>

namespace quillstar {

// Shows the writer's display text and percent: a bar redrawn in place on a
// terminal, otherwise one line per change, so logs stay readable.
class ProgressPrinter {
public:
    ProgressPrinter(FILE* out, bool terminal);

    void Show(const std::string& text, int percent);
    // Ends the bar's line so later output starts on a line of its own.
    void Finish();

private:
    void DrawBar(const std::string& text, int percent);

    FILE* out_;
    bool terminal_;
    bool barShown_ = false;
    std::string lastText_;
    int lastPercent_ = -1;
};

}  // namespace quillstar
