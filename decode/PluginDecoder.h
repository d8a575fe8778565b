#pragma once

#include <string>

#include "decode/AudioDecoder.h"
#include "decode/PluginRecord.h"
#include "decode/PluginRegistry.h"

namespace quillstar {

// Decodes a file through the input plug-in that claims it: the plug-in plays
// the file on its own thread into the output ring, Read takes the PCM out
// in the format the plug-in opened its output with.
class PluginDecoder : public AudioDecoder {
public:
    // Chooses among the program's registered plug-ins.
    PluginDecoder();
    explicit PluginDecoder(const PluginRegistry& registry);
    ~PluginDecoder() override;

    bool Open(const std::string& path) override;
    int Close() override;
    // One slot of the ring at most; 0 once the plug-in was stopped with
    // nothing left queued, or when nothing came for the read time-out.
    int Read(uint8_t* buffer, int length) override;

    // The plug-in chosen by the last Open; no module when none was.
    const PluginRecord& Record() const { return record_; }

private:
    const PluginRecord* ChoosePlugin(const std::string& path) const;
    bool StartPlaying(const std::string& path);

    const PluginRegistry& registry_;
    PluginRecord record_;
    bool playing_ = false;
};

}  // namespace quillstar
