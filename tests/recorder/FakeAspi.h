#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <tuple>
#include <vector>

#include "recorder/AspiLibrary.h"
#include "tests/recorder/FakeDevice.h"

namespace quillstar::test {

// An ASPI layer in the test process, reached through injected entry points.
// One exists at a time. Commands complete at once, or later on a worker
// thread, as a layer working in the background does.
class FakeAspi {
public:
    FakeAspi();
    ~FakeAspi();
    FakeAspi(const FakeAspi&) = delete;
    FakeAspi& operator=(const FakeAspi&) = delete;

    AspiLibrary Library() const;

    // maxTargets 0 reports no limit (the transport then searches 8).
    int AddAdapter(uint8_t maxTargets = 0, bool inquiryFails = false);
    void Attach(int adapter, int target, int lun, FakeDevice* device);
    // Overrides the support information word (status << 8 | count).
    void SetSupportInfo(uint32_t info)
    {
        supportInfo_ = info;
        overrideSupportInfo_ = true;
    }
    // Commands answer "pending" and complete after the delay on the worker.
    void CompleteLater(uint32_t delayMilliseconds);
    int CommandsSent() const;

private:
    struct Adapter {
        uint8_t maxTargets = 0;
        bool inquiryFails = false;
        std::map<std::tuple<int, int>, FakeDevice*> devices;
    };

    static uint32_t GetSupportInfoEntry();
    static uint32_t SendCommandEntry(void* block);
    uint32_t SupportInfo() const;
    uint32_t Send(void* block);
    void Inquire(SRB_HAInquiry& block) const;
    void GetDeviceType(SRB_GDEVBlock& block) const;
    uint32_t Execute(SRB_ExecSCSICmd& block);
    FakeDevice* Find(const SRB_ExecSCSICmd& block) const;
    void Complete(SRB_ExecSCSICmd& block);
    void Work();

    std::vector<Adapter> adapters_;
    uint32_t supportInfo_ = 0;
    bool overrideSupportInfo_ = false;
    uint32_t delay_ = 0;
    mutable std::mutex mutex_;
    std::condition_variable queued_;
    std::deque<SRB_ExecSCSICmd*> queue_;
    bool stopping_ = false;
    int commands_ = 0;
    std::thread worker_;
};

}  // namespace quillstar::test
