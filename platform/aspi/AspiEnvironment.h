#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/aspi/AspiLayer.h"
#include "platform/aspi/ImageRecorder.h"

namespace quillstar {

// The process-wide layer behind the exported entry points. It starts on the
// first call: it opens the real drives (one adapter holding every drive that
// opened) and, when asked for, the image recorder (one more adapter after
// them), and remembers every device it had to leave out and why.
class AspiEnvironment {
public:
    struct SkippedDevice {
        std::string device;
        int error = 0;
        std::string reason;
    };

    static AspiEnvironment& Instance();

    // False once the layer has started.
    bool SetImageRecorder(const char* path);
    AspiLayer& Layer();
    std::vector<SkippedDevice> SkippedDevices();

    // The drive paths to try: those named by the drives variable when it is
    // set (space-separated, possibly none), else every /dev/sr* in order.
    static std::vector<std::string> DrivePaths(const char* drivesVariable);
    // The image recorder for a path and option text; null, with the reason,
    // when the path cannot hold an image or an option is wrong.
    static std::unique_ptr<ImageRecorder> CreateImageRecorder(const std::string& path, const std::string& optionsText,
                                                              SkippedDevice& skipped);

private:
    AspiEnvironment() = default;
    void StartOnce();
    void Start();

    std::mutex mutex_;
    std::atomic<bool> started_ = false;
    std::optional<std::string> recorderPath_;
    std::unique_ptr<AspiLayer> layer_;
    std::vector<SkippedDevice> skipped_;
};

}  // namespace quillstar
