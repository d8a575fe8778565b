#include "decode/MediaDetector.h"

#include <gst/pbutils/pbutils.h>
#include <sndfile.h>

#include "decode/FileExtension.h"
#include "decode/GStreamerSupport.h"
#include "decode/MpegLength.h"
#include "resources/DecodeEngineTexts.h"

namespace quillstar {

using namespace engine;

namespace {

double MpegSeconds(const std::string& path)
{
    const std::optional<MpegLength> length = MeasureMpegLength(path);
    return length ? length->Seconds() : 0.0;
}

double WavSeconds(const std::string& path)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr)
        return 0.0;
    sf_close(file);
    if (info.frames <= 0 || info.samplerate <= 0)
        return 0.0;
    return static_cast<double>(info.frames) / info.samplerate;
}

double DiscoveredSeconds(const std::string& path)
{
    if (!InitGStreamer())
        return 0.0;
    GObjectPtr<GstDiscoverer> discoverer(gst_discoverer_new(kProbeTimeoutSeconds * GST_SECOND, nullptr));
    const GCharPtr uri(gst_filename_to_uri(path.c_str(), nullptr));
    if (!discoverer || !uri)
        return 0.0;
    const GObjectPtr<GstDiscovererInfo> info(gst_discoverer_discover_uri(discoverer.get(), uri.get(), nullptr));
    if (!info || gst_discoverer_info_get_result(info.get()) != GST_DISCOVERER_OK)
        return 0.0;
    GList* audioStreams = gst_discoverer_info_get_audio_streams(info.get());
    const bool hasAudio = audioStreams != nullptr;
    gst_discoverer_stream_info_list_free(audioStreams);
    const GstClockTime duration = gst_discoverer_info_get_duration(info.get());
    if (!hasAudio || !GST_CLOCK_TIME_IS_VALID(duration))
        return 0.0;
    return static_cast<double>(duration) / GST_SECOND;
}

}  // namespace

double DetectAudioSeconds(const std::string& path)
{
    const std::string extension = LastThreeLower(path);
    if (extension == kExtensionMp3 || extension == kExtensionMp2)
        return MpegSeconds(path);
    if (extension == kExtensionWav)
        return WavSeconds(path);
    return DiscoveredSeconds(path);
}

}  // namespace quillstar
