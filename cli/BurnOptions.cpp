#include "cli/BurnOptions.h"

#include <cerrno>
#include <cstdlib>

#include "decode/MusicFile.h"
#include "recorder/CueSheet.h"

namespace quillstar {
namespace {

// The extensions of the music files the window lists, lower-cased.
std::string MusicExtensions()
{
    std::string extensions;
    for (const MusicFile::Type& type : MusicFile::Types())
        extensions += (extensions.empty() ? "" : " ") + std::string(type.extension);
    return extensions;
}

bool ParseNumber(const std::string& text, long low, long high, int& number)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < low || value > high)
        return false;
    number = static_cast<int>(value);
    return true;
}

// Seconds as frames (1/75 s), rounded to the nearest.
bool ParsePause(const std::string& text, int& frames)
{
    char* end = nullptr;
    errno = 0;
    const double seconds = std::strtod(text.c_str(), &end);
    if (text.empty() || errno != 0 || *end != '\0' || CueSheet::PauseFrames(seconds) < 0)
        return false;
    frames = CueSheet::PauseFrames(seconds);
    return true;
}

}  // namespace

bool BurnOptions::Parse(int argc, char** argv, std::string& error)
{
    bool optionsEnded = false;
    // The last option given that only a disc written at once takes.
    std::string atOnceOnly;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
            files.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            help = true;
        } else if (argument == "--devices") {
            listDevices = true;
        } else if (argument == "--show") {
            show = true;
        } else if (argument == "--verify" || argument == "--no-verify") {
            verify = argument == "--verify";
        } else if (argument == "--image-recorder" && hasValue) {
            imageRecorder = argv[++i];
        } else if (argument == "--list" && hasValue) {
            listFile = argv[++i];
        } else if (argument == "--device" && hasValue) {
            deviceGiven = true;
            if (!ParseNumber(argv[++i], 0, 1000, device)) {
                error = "--device wants the number of a recorder as --devices lists them, not \"" +
                        std::string(argv[i]) + "\"";
                return false;
            }
        } else if (argument == "--speed" && hasValue) {
            if (!ParseNumber(argv[++i], 1, 99, speed)) {
                error = "--speed wants a write speed as an x-factor from 1 to 99, not \"" + std::string(argv[i]) + "\"";
                return false;
            }
        } else if (argument == "--copies" && hasValue) {
            if (!ParseNumber(argv[++i], 1, 99, copies)) {
                error = "--copies wants a number of discs from 1 to 99, not \"" + std::string(argv[i]) + "\"";
                return false;
            }
        } else if (argument == "--simulate") {
            simulate = true;
        } else if (argument == "--dao") {
            discAtOnce = true;
        } else if (argument == "--pause" && hasValue) {
            atOnceOnly = argument;
            if (!ParsePause(argv[++i], pauseFrames)) {
                error = "--pause wants seconds from 0 to 10, not \"" + std::string(argv[i]) + "\"";
                return false;
            }
        } else if ((argument == "--title" || argument == "--performer") && hasValue) {
            atOnceOnly = argument;
            (argument == "--title" ? albumTitle : albumPerformer) = argv[++i];
        } else if (argument == "--image-recorder" || argument == "--list" || argument == "--device" ||
                   argument == "--speed" || argument == "--copies" || argument == "--pause" || argument == "--title" ||
                   argument == "--performer") {
            error = argument + " needs a value";
            return false;
        } else {
            error = "unknown option " + argument;
            return false;
        }
    }
    if (!atOnceOnly.empty() && !discAtOnce) {
        error = atOnceOnly + " needs --dao: only a disc written at once has chosen pauses and CD-TEXT";
        return false;
    }
    if (!help && !listDevices && files.empty() && listFile.empty()) {
        error = "nothing to burn: give audio files or --list FILE.tlm";
        return false;
    }
    return true;
}

std::string BurnOptions::HelpText()
{
    return R"(Usage: quillstar-burn [OPTION]... [FILE]...
Burns an audio CD from the files, one track per file in the order given,
track-at-once with 2-second pauses (or with --dao all at once), and closes
the session so the disc plays in any CD player.

Each file is read by what it holds, whatever its name; these are the
extensions of the music files the window lists:
  )" + MusicExtensions() +
           R"(

  --list FILE.tlm        burn the tracks of a saved CD info file (before FILEs)
  --device N             burn on recorder N as --devices numbers them (default 0)
  --speed N              write at N x (the nearest speed the recorder accepts
                         that is not above N); default: its fastest
  --simulate             test write: the recorder goes through the whole burn
                         with its laser off and nothing is burned
  --copies N             burn N discs (1-99) from the list, asking for a blank
                         disc after each one
  --dao                  write the disc at once: the chosen pause between tracks
                         (none for a gapless album) and CD-TEXT with the album's
                         and each track's title and performer
  --pause SECONDS        with --dao: the pause before every track but the first,
                         0 (gapless) to 10, rounded to 1/75 s (default 2)
  --title TEXT           with --dao: the album title in CD-TEXT (default: the
                         album the files' tags agree on)
  --performer TEXT       with --dao: the album's performer in CD-TEXT (default:
                         the artist the files' tags agree on); a track's
                         performer is its file's artist tag, its title the
                         list's title
  --devices              list the recorders with their write speeds and the
                         drives that were left out, with the reason
  --show                 print the track list and its total time; burn nothing
  --verify               after the burn, read the disc back and compare every
                         second of every track with what was written; prints
                         one line per track and the drive's read offset
  --no-verify            do not read the disc back (the default)
  --image-recorder PATH  burn to a disc image instead of a drive: PATH gets the
                         raw audio sectors, PATH with .cue the CUE sheet and,
                         with CD-TEXT, PATH with .cdt its packs; a
                         later burn writes PATH-2, PATH-3, ... (the environment
                         variable QUILLSTAR_IMAGE_RECORDER does the same)
  -h, --help             show this text

The image recorder acts as a blank 80-minute CD-R. QUILLSTAR_IMAGE_RECORDER_OPTIONS
changes it for tests (disc length, CD-RW, a written or missing disc, write
faults, a write-speed throttle); the README lists them.

While it burns, the drive is held for this program alone and its tray is
locked; both are let go when the burn ends, however it ends.

Ctrl+C stops the burn; the disc (or image) is left unfinished.

Exit status:
  0   the disc was burned whole (every copy of it)
  2   bad usage, a missing file, an unreadable or empty list, or --simulate on
      a recorder that cannot do a test write
  3   no recorder found (the drives that were left out are named)
  10  the disc was burned, but tracks were skipped or damaged (they are named)
  11  the tracks do not fit on the disc
  12  the disc is not a blank CD-R/RW
  13  the disc is not empty
  14  none of the files could be written; the disc is still blank
  15  the burn failed and the disc is not completed (the drive command that
      failed and its sense are named), or the drive is in use by another
      program
  16  --verify: the disc differs from the files or could not be read back
  130 stopped with Ctrl+C
)";
}

}  // namespace quillstar
