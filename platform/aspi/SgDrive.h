#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "platform/aspi/ScsiTarget.h"

namespace quillstar {

// A real CD/DVD drive, reached through the kernel's SG_IO ioctl.
class SgDrive : public ScsiTarget {
public:
    // Opens the device for SG_IO. On failure returns null and says why: the
    // errno value (0 when none applies) and a one-line reason.
    static std::unique_ptr<SgDrive> Open(const std::string& path, int& error, std::string& reason);
    ~SgDrive() override;
    SgDrive(const SgDrive&) = delete;
    SgDrive& operator=(const SgDrive&) = delete;

    ScsiOutcome Execute(const ScsiCommand& command) override;
    // Opens the device a second time, exclusively (the kernel refuses while
    // its disc is mounted or another program holds it so), and takes an
    // advisory flock() other burners honour; letting go closes that second
    // descriptor, and so does the kernel when the program ends.
    int Hold(bool hold) override;

    // Milliseconds a command may take before the kernel aborts it: closing a
    // session or flushing the cache can take minutes, everything else
    // finishes in seconds.
    static unsigned TimeoutFor(uint8_t opcode);

private:
    SgDrive(int descriptor, std::string path);

    const int descriptor_;
    const std::string path_;
    std::mutex holdMutex_;
    int heldDescriptor_ = -1;
};

}  // namespace quillstar
