#pragma once

#include "resources/ImageRecorderConstants.h"

// Names of the ASPI layer and its image recorder, shared by the
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
}  // namespace quillstar::aspi
