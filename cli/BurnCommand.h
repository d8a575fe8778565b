#pragma once

#include <cstdio>
#include <string>

#include "cli/BurnOptions.h"
#include "platform/MessageQueue.h"
#include "recorder/BurnSettings.h"
#include "tracklist/Serializer.h"

namespace quillstar {

class BurnJob;
class CDiscWriter;
class ProgressPrinter;
struct BurnOutcome;
struct DiscVerification;

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
    static void ReportSkippedDrives(const CDiscWriter& writer, FILE* out);
    bool ChooseSettings(const CDiscWriter& writer, BurnSettings& settings) const;
    int Burn(CDiscWriter& writer);
    int WaitForBurn(BurnJob& job, ProgressPrinter& progress);
    void WaitForNextDisc(BurnJob& job);
    void ReportOutcome(const BurnOutcome& outcome) const;
    // The drive's read offset and one line per track on standard output.
    static void ReportVerification(const DiscVerification& verification);
    static int ExitCodeFor(const BurnOutcome& outcome);
    bool Fail(const std::string& message) const;

    BurnOptions options_;
    CSerializer trackList_;
    MessageQueue messages_;
};

}  // namespace quillstar
