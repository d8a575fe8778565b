#pragma once

// The test drive (libquillstar-test-drive.so, preloaded with LD_PRELOAD): a
// CD writer at kTestDrivePath behind SG_IO, burning into the image the
// variable names, with the image recorder's test options.
namespace quillstar::test {

inline constexpr const char* kTestDrivePath = "/dev/sr-test0";
inline constexpr const char* kTestDriveImageVariable = "QUILLSTAR_TEST_DRIVE_IMAGE";
inline constexpr const char* kTestDriveOptionsVariable = "QUILLSTAR_TEST_DRIVE_OPTIONS";

}  // namespace quillstar::test
