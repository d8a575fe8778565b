#pragma once

#include <string>

#include "cli/BurnOptions.h"
#include "platform/MessageQueue.h"
#include "tracklist/Serializer.h"

namespace quillstar {

class AudioTrackSource;
class CDiscWriter;
class ProgressPrinter;

// Runs the burn engine for the command line: fills the track list from a CD
// info file and the given files, fills a track source from it exactly as
// the Burn Now window does, drives the writer and reports on the terminal.
class BurnCommand {
public:
    explicit BurnCommand(BurnOptions options);
    // The process exit code.
    int Run();

private:
    bool BuildTrackList();
    bool CheckFilesExist() const;
    bool CheckImageFolder() const;
    int ShowTrackList() const;
    int ListDevices(const CDiscWriter& writer) const;
    int Burn(CDiscWriter& writer);
    int WaitForBurn(CDiscWriter& writer, ProgressPrinter& progress);
    void ReportSkippedTracks(const CDiscWriter& writer) const;
    int ExitCodeFor(int result) const;
    bool Fail(const std::string& message) const;

    BurnOptions options_;
    CSerializer trackList_;
    MessageQueue messages_;
};

}  // namespace quillstar
