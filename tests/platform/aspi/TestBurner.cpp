#include "tests/platform/aspi/TestBurner.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ostream>

#include "platform/Event.h"
#include "platform/aspi/AspiEnvironment.h"
#include "platform/aspi/ScsiProtocol.h"
#include "resources/CdAudio.h"

namespace quillstar {

TestBurner::TestBurner(SendFunction send, uint8_t adapter) : send_(std::move(send)), adapter_(adapter) {}

TestBurner TestBurner::ForImageRecorder(const std::string& imagePath, const std::string& options)
{
    AspiEnvironment::SkippedDevice skipped;
    auto recorder = AspiEnvironment::CreateImageRecorder(imagePath, options, skipped);
    std::vector<AspiLayer::Adapter> adapters(1);
    adapters[0].name = "Image recorder";
    if (recorder)
        adapters[0].targets.push_back(std::move(recorder));
    auto layer = std::make_shared<AspiLayer>(std::move(adapters));
    TestBurner burner([layer](void* block) { return layer->SendCommand(block); }, 0);
    burner.layer_ = layer;
    return burner;
}

SRB_ExecSCSICmd TestBurner::Execute(std::initializer_list<uint8_t> cdb, uint8_t cdbLength, uint8_t direction,
                                    void* buffer, uint32_t length)
{
    std::vector<uint8_t> bytes(cdbLength, 0);
    std::copy_n(cdb.begin(), std::min<size_t>(cdb.size(), cdbLength), bytes.begin());
    return Execute(bytes, direction, buffer, length);
}

SRB_ExecSCSICmd TestBurner::Execute(const std::vector<uint8_t>& cdb, uint8_t direction, void* buffer, uint32_t length)
{
    SRB_ExecSCSICmd block{};
    Event done;
    block.SRB_Cmd = SC_EXEC_SCSI_CMD;
    block.SRB_HaId = adapter_;
    block.SRB_Flags = direction | SRB_EVENT_NOTIFY;
    block.SRB_BufLen = length;
    block.SRB_BufPointer = static_cast<uint8_t*>(buffer);
    block.SRB_SenseLen = SENSE_LEN;
    block.SRB_CDBLen = static_cast<uint8_t>(cdb.size());
    block.SRB_PostProc = &done;
    std::copy(cdb.begin(), cdb.end(), block.CDBByte);
    if (send_(&block) == SS_PENDING)
        done.Wait();
    block.SRB_PostProc = done.IsSet() ? &done : nullptr;  // null tells a test the event stayed unset
    return block;
}

SRB_ExecSCSICmd TestBurner::Inquiry(std::vector<uint8_t>& data)
{
    data.assign(100, 0);
    return Execute({0x12, 0, 0, 0, 100}, 6, SRB_DIR_IN, data.data(), 100);
}

SRB_ExecSCSICmd TestBurner::SenseAllPages(std::vector<uint8_t>& reply)
{
    reply.assign(256, 0);
    reply[0] = 0xFF;
    return Execute({0x5A, 0, 0x3F, 0, 0, 0, 0, 0x01, 0x00}, 12, SRB_DIR_IN, reply.data(), 256);
}

SRB_ExecSCSICmd TestBurner::SensePage(uint8_t page, std::vector<uint8_t>& reply)
{
    const uint16_t length = 56 + 108;
    reply.assign(length, 0);
    return Execute({0x5A, 0, static_cast<uint8_t>(page & 0x3F), 0, 0, 0, 0, length >> 8, length & 0xFF}, 10, SRB_DIR_IN,
                   reply.data(), length);
}

SRB_ExecSCSICmd TestBurner::SelectWriteParameters(const std::vector<uint8_t>& page)
{
    std::vector<uint8_t> list(8 + page.size(), 0);
    std::copy(page.begin(), page.end(), list.begin() + 8);
    const auto length = static_cast<uint16_t>(list.size());
    return Execute({0x55, 0x10, 0, 0, 0, 0, 0, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)}, 10,
                   SRB_DIR_OUT, list.data(), length);
}

SRB_ExecSCSICmd TestBurner::SelectTrackAtOnceAudio(int pauseSectors)
{
    return SelectAudioWriting(0x01, pauseSectors);
}

SRB_ExecSCSICmd TestBurner::SendCueSheet(const std::vector<uint8_t>& sheet)
{
    const auto size = static_cast<uint32_t>(sheet.size());
    return Execute({0x5D, 0, 0, 0, 0, 0, static_cast<uint8_t>(size >> 16), static_cast<uint8_t>(size >> 8),
                    static_cast<uint8_t>(size)},
                   10, SRB_DIR_OUT, const_cast<uint8_t*>(sheet.data()), size);
}

SRB_ExecSCSICmd TestBurner::SelectAudioWriting(uint8_t writeType, int pauseSectors)
{
    std::vector<uint8_t> reply;
    const SRB_ExecSCSICmd sensed = SensePage(0x05, reply);
    if (!IsGood(sensed))
        return sensed;
    const size_t start = 8 + big_endian::Get16(&reply[6]);
    std::vector<uint8_t> page(reply.begin() + start, reply.begin() + start + reply[start + 1] + 2);
    page[0] &= 0x7F;
    page[2] = (page[2] & 0xE0) | 0x40 | writeType;
    page[3] = 0x42;
    page[4] = 0;
    big_endian::Put16(&page[14], pauseSectors);
    return SelectWriteParameters(page);
}

SRB_ExecSCSICmd TestBurner::ReadDiscInformation(std::vector<uint8_t>& data, uint16_t allocation)
{
    data.assign(256, 0);
    return Execute({0x51, 0, 0, 0, 0, 0, 0, static_cast<uint8_t>(allocation >> 8), static_cast<uint8_t>(allocation)},
                   10, SRB_DIR_IN, data.data(), allocation == 4 ? 256 : allocation);
}

SRB_ExecSCSICmd TestBurner::ReadTrackInformation(uint32_t track, std::vector<uint8_t>& data)
{
    data.assign(16, 0);
    return Execute({0x52, 0x01, static_cast<uint8_t>(track >> 24), static_cast<uint8_t>(track >> 16),
                    static_cast<uint8_t>(track >> 8), static_cast<uint8_t>(track), 0, 0, 16},
                   10, SRB_DIR_IN, data.data(), 16);
}

int64_t TestBurner::NextWritableAddress(uint32_t track)
{
    std::vector<uint8_t> data;
    if (!IsGood(ReadTrackInformation(track, data)))
        return -1;
    const bool usable = (data[6] & 0x40) && (data[7] & 0x01) && !(data[6] & 0xB0);
    return usable ? static_cast<int32_t>(big_endian::Get32(&data[12])) : -1;
}

SRB_ExecSCSICmd TestBurner::Write(int32_t address, const uint8_t* data, uint16_t blocks, uint32_t length)
{
    const auto lba = static_cast<uint32_t>(address);
    return Execute(
        {0x2A, 0, static_cast<uint8_t>(lba >> 24), static_cast<uint8_t>(lba >> 16), static_cast<uint8_t>(lba >> 8),
         static_cast<uint8_t>(lba), 0, static_cast<uint8_t>(blocks >> 8), static_cast<uint8_t>(blocks)},
        10, SRB_DIR_OUT, const_cast<uint8_t*>(data), length);
}

SRB_ExecSCSICmd TestBurner::SynchronizeCache()
{
    return Execute({0x35}, 10, 0);
}

SRB_ExecSCSICmd TestBurner::CloseTrack(int track)
{
    return Execute({0x5B, 0, 0x01, 0, 0, static_cast<uint8_t>(track)}, 10, 0);
}

SRB_ExecSCSICmd TestBurner::CloseSession()
{
    return Execute({0x5B, 0, 0x02}, 10, 0);
}

SRB_ExecSCSICmd TestBurner::TestUnitReady()
{
    std::vector<uint8_t> buffer(256, 0);
    return Execute({0x00}, 12, SRB_DIR_IN, buffer.data(), 256);
}

SRB_ExecSCSICmd TestBurner::SetSpeed(uint16_t readSpeed, uint16_t writeSpeed)
{
    return Execute({0xBB, 0, static_cast<uint8_t>(readSpeed >> 8), static_cast<uint8_t>(readSpeed),
                    static_cast<uint8_t>(writeSpeed >> 8), static_cast<uint8_t>(writeSpeed)},
                   12, 0);
}

SRB_ExecSCSICmd TestBurner::SendOpc()
{
    return Execute({0x54, 0x01}, 10, 0);
}

SRB_ExecSCSICmd TestBurner::Eject()
{
    return Execute({0x1B, 0x01, 0, 0, 0x02}, 10, 0);
}

SRB_ExecSCSICmd TestBurner::ReadToc(std::vector<uint8_t>& data, bool minutesSecondsFrames, uint8_t firstTrack)
{
    data.assign(804, 0);
    return Execute({0x43, static_cast<uint8_t>(minutesSecondsFrames ? 0x02 : 0), 0, 0, 0, 0, firstTrack, 0x03, 0x24},
                   10, SRB_DIR_IN, data.data(), 804);
}

SRB_ExecSCSICmd TestBurner::ReadCd(int32_t address, uint32_t blocks, std::vector<uint8_t>& data)
{
    data.assign(blocks * cd::kSectorSize, 0);
    const auto lba = static_cast<uint32_t>(address);
    return Execute({0xBE, 0x04, static_cast<uint8_t>(lba >> 24), static_cast<uint8_t>(lba >> 16),
                    static_cast<uint8_t>(lba >> 8), static_cast<uint8_t>(lba), static_cast<uint8_t>(blocks >> 16),
                    static_cast<uint8_t>(blocks >> 8), static_cast<uint8_t>(blocks), 0x10},
                   12, SRB_DIR_IN, data.data(), static_cast<uint32_t>(data.size()));
}

bool TestBurner::BurnTrack(int track, const std::vector<uint8_t>& audio)
{
    if (!IsGood(SelectTrackAtOnceAudio()))
        return false;
    int64_t address = NextWritableAddress(static_cast<uint32_t>(track));
    if (address < 0)
        return false;
    std::vector<uint8_t> chunk(cd::kBlockSize);
    for (size_t offset = 0; offset < audio.size(); offset += cd::kBlockSize) {
        const size_t length = std::min<size_t>(cd::kBlockSize, audio.size() - offset);
        std::fill(chunk.begin(), chunk.end(), 0);
        std::copy_n(audio.begin() + static_cast<long>(offset), length, chunk.begin());
        const auto blocks = static_cast<uint16_t>((length + cd::kSectorSize - 1) / cd::kSectorSize);
        if (!IsGood(Write(static_cast<int32_t>(address), chunk.data(), blocks, blocks * cd::kSectorSize)))
            return false;
        address += blocks;
    }
    return IsGood(SynchronizeCache()) && IsGood(CloseTrack(track));
}

bool TestBurner::FinishDisc()
{
    if (!IsGood(CloseSession()))
        return false;
    std::vector<uint8_t> data;
    for (int poll = 0; poll < 300; ++poll) {
        if (IsGood(TestUnitReady()) && IsGood(ReadDiscInformation(data, 4)))
            return true;
    }
    return false;
}

bool IsGood(const SRB_ExecSCSICmd& block)
{
    return block.SRB_Status == SS_COMP;
}

scsi::SenseCode SenseOf(const SRB_ExecSCSICmd& block)
{
    return {static_cast<uint8_t>(block.SenseArea[2] & 0x0F), block.SenseArea[12], block.SenseArea[13]};
}

std::vector<uint8_t> TestAudio(size_t bytes, unsigned seed)
{
    std::vector<uint8_t> audio(bytes);
    uint32_t state = 2463534242u ^ seed;
    for (uint8_t& byte : audio) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<uint8_t>(state);
    }
    return audio;
}

namespace scsi {

bool operator==(const SenseCode& a, const SenseCode& b)
{
    return a.key == b.key && a.asc == b.asc && a.ascq == b.ascq;
}

std::ostream& operator<<(std::ostream& stream, const SenseCode& code)
{
    char text[16];
    std::snprintf(text, sizeof(text), "%X/%02X/%02X", code.key, code.asc, code.ascq);
    return stream << text;
}

}  // namespace scsi

}  // namespace quillstar
