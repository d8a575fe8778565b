#include "tests/recorder/FakeAspi.h"

#include <chrono>
#include <stdexcept>

#include "platform/Event.h"

namespace quillstar::test {

namespace {

FakeAspi* current = nullptr;

}  // namespace

FakeAspi::FakeAspi()
{
    if (current != nullptr)
        throw std::logic_error("only one fake ASPI layer at a time");
    current = this;
}

FakeAspi::~FakeAspi()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        queued_.notify_all();
    }
    if (worker_.joinable())
        worker_.join();
    current = nullptr;
}

AspiLibrary FakeAspi::Library() const
{
    AspiEntryPoints entryPoints;
    entryPoints.getSupportInfo = &FakeAspi::GetSupportInfoEntry;
    entryPoints.sendCommand = &FakeAspi::SendCommandEntry;
    return AspiLibrary::WithEntryPoints(entryPoints);
}

int FakeAspi::AddAdapter(uint8_t maxTargets, bool inquiryFails)
{
    adapters_.push_back(Adapter{maxTargets, inquiryFails, {}});
    return static_cast<int>(adapters_.size()) - 1;
}

void FakeAspi::Attach(int adapter, int target, int lun, FakeDevice* device)
{
    adapters_.at(static_cast<size_t>(adapter)).devices[{target, lun}] = device;
}

void FakeAspi::CompleteLater(uint32_t delayMilliseconds)
{
    delay_ = delayMilliseconds;
    if (!worker_.joinable())
        worker_ = std::thread(&FakeAspi::Work, this);
}

int FakeAspi::CommandsSent() const
{
    std::lock_guard lock(mutex_);
    return commands_;
}

uint32_t FakeAspi::GetSupportInfoEntry()
{
    return current->SupportInfo();
}

uint32_t FakeAspi::SendCommandEntry(void* block)
{
    return current->Send(block);
}

uint32_t FakeAspi::SupportInfo() const
{
    if (overrideSupportInfo_)
        return supportInfo_;
    const uint32_t status = adapters_.empty() ? SS_NO_ADAPTERS : SS_COMP;
    return status << 8 | static_cast<uint32_t>(adapters_.size());
}

uint32_t FakeAspi::Send(void* block)
{
    switch (static_cast<uint8_t*>(block)[0]) {
    case SC_HA_INQUIRY:
        Inquire(*static_cast<SRB_HAInquiry*>(block));
        return static_cast<SRB_HAInquiry*>(block)->SRB_Status;
    case SC_GET_DEV_TYPE:
        GetDeviceType(*static_cast<SRB_GDEVBlock*>(block));
        return static_cast<SRB_GDEVBlock*>(block)->SRB_Status;
    case SC_EXEC_SCSI_CMD:
        return Execute(*static_cast<SRB_ExecSCSICmd*>(block));
    default:
        static_cast<uint8_t*>(block)[1] = SS_INVALID_CMD;
        return SS_INVALID_CMD;
    }
}

void FakeAspi::Inquire(SRB_HAInquiry& block) const
{
    if (block.SRB_HaId >= adapters_.size() || adapters_[block.SRB_HaId].inquiryFails) {
        block.SRB_Status = SS_INVALID_HA;
        return;
    }
    block.HA_Count = static_cast<uint8_t>(adapters_.size());
    block.HA_Unique[3] = adapters_[block.SRB_HaId].maxTargets;
    block.SRB_Status = SS_COMP;
}

void FakeAspi::GetDeviceType(SRB_GDEVBlock& block) const
{
    if (block.SRB_HaId >= adapters_.size()) {
        block.SRB_Status = SS_INVALID_HA;
        return;
    }
    const auto& devices = adapters_[block.SRB_HaId].devices;
    const auto found = devices.find({block.SRB_Target, block.SRB_Lun});
    if (found == devices.end()) {
        block.SRB_Status = SS_NO_DEVICE;
        return;
    }
    block.SRB_DeviceType = found->second->DeviceType();
    block.SRB_Status = SS_COMP;
}

FakeDevice* FakeAspi::Find(const SRB_ExecSCSICmd& block) const
{
    if (block.SRB_HaId >= adapters_.size())
        return nullptr;
    const auto& devices = adapters_[block.SRB_HaId].devices;
    const auto found = devices.find({block.SRB_Target, block.SRB_Lun});
    return found == devices.end() ? nullptr : found->second;
}

uint32_t FakeAspi::Execute(SRB_ExecSCSICmd& block)
{
    std::unique_lock lock(mutex_);
    ++commands_;
    if (worker_.joinable()) {
        block.SRB_Status = SS_PENDING;
        queue_.push_back(&block);
        queued_.notify_all();
        return SS_PENDING;
    }
    lock.unlock();
    Complete(block);
    return block.SRB_Status;
}

void FakeAspi::Complete(SRB_ExecSCSICmd& block)
{
    if (block.SRB_HaId >= adapters_.size())
        block.SRB_Status = SS_INVALID_HA;
    else if (FakeDevice* device = Find(block))
        device->Execute(block);
    else
        block.SRB_Status = SS_NO_DEVICE;
    if (block.SRB_Flags & SRB_EVENT_NOTIFY)
        static_cast<Event*>(block.SRB_PostProc)->Set();
}

void FakeAspi::Work()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        queued_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty())
            return;
        SRB_ExecSCSICmd* block = queue_.front();
        queue_.pop_front();
        lock.unlock();
        std::this_thread::sleep_for(std::chrono::milliseconds(delay_));
        Complete(*block);
        lock.lock();
    }
}

}  // namespace quillstar::test
