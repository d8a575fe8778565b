#pragma once

// Names and numbers of the ASPI layer and its image recorder, shared by the
// layer, the programs that switch the recorder on, and the tests.
namespace quillstar::aspi {

// Environment variables the layer reads when it starts.
inline constexpr const char* kImageRecorderVariable = "QUILLSTAR_IMAGE_RECORDER";
inline constexpr const char* kImageRecorderOptionsVariable = "QUILLSTAR_IMAGE_RECORDER_OPTIONS";
// Space-separated device paths used instead of /dev/sr*; set and empty means
// no real drives at all.
inline constexpr const char* kDrivesVariable = "QUILLSTAR_DRIVES";
inline constexpr const char* kDefaultDrivePattern = "/dev/sr*";

// The image recorder's INQUIRY identity: read back as a drive name it gives
// "QUILLSTR IMAGE RECORDER".
inline constexpr const char* kRecorderVendor = "QUILLSTR";
inline constexpr const char* kRecorderProduct = "IMAGE RECORDER";
inline constexpr const char* kRecorderRevision = "1.0";
inline constexpr const char* kRecorderVendorSpecific = "QUILLSTAR DISC IMAGE";

// Host adapter inquiry texts.
inline constexpr const char* kManagerId = "ASPI for WIN32";
inline constexpr const char* kDriveAdapterName = "Linux SG_IO";
inline constexpr const char* kRecorderAdapterName = "Image recorder";
inline constexpr int kHostScsiId = 7;

// The disc the image recorder holds unless told otherwise.
inline constexpr int kDefaultDiscMinutes = 80;
// Where a blank disc's lead-in starts: 97:26:66 of its pre-groove, as READ
// DISC INFORMATION reports it.
inline constexpr int kLeadInStartSector = (97 * 60 + 26) * 75 + 66 - 450150;
// Sectors of the earlier track on a disc the options describe as already
// written (one minute).
inline constexpr int kEarlierTrackSectors = 4500;

// Drive speeds in kB/s as drives report them (4x, 8x, 10x, 16x, 24x, 32x,
// 40x, 48x); the recorder offers those up to its maximum.
inline constexpr int kRecorderSpeeds[] = {706, 1411, 1764, 2822, 4234, 5645, 7056, 8467};
inline constexpr int kDefaultMaximumSpeed = 8467;
inline constexpr int kDefaultBufferKilobytes = 2048;

}  // namespace quillstar::aspi
