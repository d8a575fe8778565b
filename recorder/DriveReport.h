#pragma once

#include <string>

namespace quillstar {

// The drive report file: the name of every CD device that cannot write, one
// per line, rewritten at each start.
class DriveReport {
public:
    // $HOME/QuillstarDrive.txt.
    static std::string Path();

    void AddDrive(const std::string& name);
    // Replaces the file with the report. The old file stays until the new
    // one is complete; false (with a trace) when it cannot be written.
    bool Write() const;

private:
    std::string text_;
};

}  // namespace quillstar
