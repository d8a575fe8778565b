#include "tests/recorder/LoadedAspiLayer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/ProgramPath.h"
#include "platform/aspi/Aspi.h"
#include "resources/ImageRecorderTexts.h"
#include "resources/RecorderTexts.h"
#include "tests/platform/aspi/SgTestDrive.h"

namespace quillstar::test {

LoadedAspiLayer::LoadedAspiLayer(const std::string& imagePath, const std::string& options)
{
    // The layer reads these when it starts, which the calls below make it do.
#ifdef QUILLSTAR_THROUGH_TEST_DRIVE
    // The recorder answers as the preloaded test drive, through SG_IO. The
    // programs the tests start (a shell, cdrdao) run without it.
    unsetenv("LD_PRELOAD");
    setenv(aspi::kDrivesVariable, imagePath.empty() ? "" : kTestDrivePath, 1);
    setenv(kTestDriveImageVariable, imagePath.c_str(), 1);
    setenv(kTestDriveOptionsVariable, options.c_str(), 1);
    const std::string recorderPath;
#else
    setenv(aspi::kDrivesVariable, "", 1);
    setenv(aspi::kImageRecorderOptionsVariable, options.c_str(), 1);
    const std::string& recorderPath = imagePath;
#endif
    const std::string path = ProgramDirectory() + "/" + recorder::kAspiLibraryName;
    if (!library_.Open(path)) {
        ADD_FAILURE() << library_.Error();
        return;
    }
    const auto setRecorder = library_.Resolve<QuillstarASPISetImageRecorderFunction>("QuillstarASPISetImageRecorder");
    const auto skippedDevices =
        library_.Resolve<QuillstarASPIGetSkippedDevicesFunction>("QuillstarASPIGetSkippedDevices");
    if (setRecorder == nullptr || skippedDevices == nullptr) {
        ADD_FAILURE() << library_.Error();
        return;
    }
    // Refused only when a layer started earlier in this process is still loaded.
    EXPECT_EQ(setRecorder(recorderPath.c_str()), 1) << "libwnaspi32.so was not unloaded after the last test";
    const uint32_t count = skippedDevices(nullptr, 0);
    std::vector<QUILLSTAR_SKIPPED_DEVICE> skipped(count);
    skippedDevices(skipped.data(), count);
    for (const QUILLSTAR_SKIPPED_DEVICE& device : skipped)
        ADD_FAILURE() << "left out: " << device.Device << ": " << device.Reason;
}

LoadedAspiLayer::~LoadedAspiLayer()
{
    library_.Close();
    unsetenv(aspi::kDrivesVariable);
    unsetenv(aspi::kImageRecorderOptionsVariable);
    unsetenv(kTestDriveImageVariable);
    unsetenv(kTestDriveOptionsVariable);
}

}  // namespace quillstar::test
