#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

#include "tests/recorder/FakeDevice.h"

namespace quillstar::test {

// Answers every command with the outcome it was given and remembers the last
// request block it saw.
class ScriptedDevice : public FakeDevice {
public:
    struct Outcome {
        uint8_t status = SS_COMP;
        uint8_t adapterStatus = 0;
        uint8_t targetStatus = 0;
        std::array<uint8_t, SENSE_LEN> sense{};
        std::vector<uint8_t> reply;
    };

    void Answer(const Outcome& outcome);
    // CHECK CONDITION with the sense key (and the end-of-medium bit).
    void AnswerCheckCondition(uint8_t senseKey, bool endOfMedium = false);
    void AnswerData(std::vector<uint8_t> reply);

    void Execute(SRB_ExecSCSICmd& block) override;

    struct Seen {
        std::vector<uint8_t> cdb;
        uint8_t cdbLength = 0;
        uint8_t flags = 0;
        uint32_t length = 0;
        std::vector<uint8_t> dataOut;
    };
    Seen Last() const;
    int Count() const;

private:
    mutable std::mutex mutex_;
    Outcome outcome_;
    Seen last_;
    int count_ = 0;
};

}  // namespace quillstar::test
