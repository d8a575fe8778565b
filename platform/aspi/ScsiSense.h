#pragma once

#include <cstdint>

// Sense keys and additional sense codes the layer reports.
namespace quillstar::scsi {

struct SenseCode {
    uint8_t key;
    uint8_t asc;
    uint8_t ascq;
};

inline constexpr uint8_t kNotReady = 0x2;
inline constexpr uint8_t kMediumError = 0x3;
inline constexpr uint8_t kHardwareError = 0x4;
inline constexpr uint8_t kIllegalRequest = 0x5;

inline constexpr SenseCode kLongWriteInProgress{kNotReady, 0x04, 0x08};
inline constexpr SenseCode kMediumNotPresent{kNotReady, 0x3A, 0x00};
inline constexpr SenseCode kWriteError{kMediumError, 0x0C, 0x00};
inline constexpr SenseCode kUncorrectableReadError{kMediumError, 0x11, 0x05};
inline constexpr SenseCode kSessionFixationError{kMediumError, 0x72, 0x00};
inline constexpr SenseCode kInternalTargetFailure{kHardwareError, 0x44, 0x00};
inline constexpr SenseCode kParameterListLengthError{kIllegalRequest, 0x1A, 0x00};
inline constexpr SenseCode kInvalidOperationCode{kIllegalRequest, 0x20, 0x00};
inline constexpr SenseCode kLbaOutOfRange{kIllegalRequest, 0x21, 0x00};
inline constexpr SenseCode kInvalidAddressForWrite{kIllegalRequest, 0x21, 0x02};
inline constexpr SenseCode kInvalidFieldInCdb{kIllegalRequest, 0x24, 0x00};
inline constexpr SenseCode kInvalidFieldInParameterList{kIllegalRequest, 0x26, 0x00};
inline constexpr SenseCode kCommandSequenceError{kIllegalRequest, 0x2C, 0x00};
inline constexpr SenseCode kSavingParametersNotSupported{kIllegalRequest, 0x39, 0x00};
inline constexpr SenseCode kMediumRemovalPrevented{kIllegalRequest, 0x53, 0x02};
inline constexpr SenseCode kIllegalModeForThisTrack{kIllegalRequest, 0x64, 0x00};
inline constexpr SenseCode kIncompleteTrackInSession{kIllegalRequest, 0x72, 0x03};

}  // namespace quillstar::scsi
