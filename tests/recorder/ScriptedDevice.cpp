#include "tests/recorder/ScriptedDevice.h"

#include <algorithm>
#include <cstring>

namespace quillstar::test {

void ScriptedDevice::Answer(const Outcome& outcome)
{
    std::lock_guard lock(mutex_);
    outcome_ = outcome;
}

void ScriptedDevice::AnswerCheckCondition(uint8_t senseKey, bool endOfMedium)
{
    Outcome outcome;
    outcome.status = SS_ERR;
    outcome.targetStatus = STATUS_CHKCOND;
    outcome.sense[0] = 0x70;
    outcome.sense[2] = static_cast<uint8_t>(senseKey | (endOfMedium ? 0x40 : 0));
    Answer(outcome);
}

void ScriptedDevice::AnswerData(std::vector<uint8_t> reply)
{
    Outcome outcome;
    outcome.reply = std::move(reply);
    Answer(outcome);
}

void ScriptedDevice::Execute(SRB_ExecSCSICmd& block)
{
    std::lock_guard lock(mutex_);
    ++count_;
    last_.cdb.assign(block.CDBByte, block.CDBByte + 16);
    last_.cdbLength = block.SRB_CDBLen;
    last_.flags = block.SRB_Flags;
    last_.length = block.SRB_BufLen;
    last_.dataOut.clear();
    if ((block.SRB_Flags & SRB_DIR_OUT) && block.SRB_BufPointer)
        last_.dataOut.assign(block.SRB_BufPointer, block.SRB_BufPointer + block.SRB_BufLen);
    if ((block.SRB_Flags & SRB_DIR_IN) && block.SRB_BufPointer)
        std::memcpy(block.SRB_BufPointer, outcome_.reply.data(),
                    std::min<size_t>(outcome_.reply.size(), block.SRB_BufLen));
    block.SRB_HaStat = outcome_.adapterStatus;
    block.SRB_TargStat = outcome_.targetStatus;
    std::memcpy(block.SenseArea, outcome_.sense.data(), SENSE_LEN);
    block.SRB_Status = outcome_.status;
}

ScriptedDevice::Seen ScriptedDevice::Last() const
{
    std::lock_guard lock(mutex_);
    return last_;
}

int ScriptedDevice::Count() const
{
    std::lock_guard lock(mutex_);
    return count_;
}

}  // namespace quillstar::test
