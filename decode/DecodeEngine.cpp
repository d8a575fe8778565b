#include "decode/DecodeEngine.h"

#include <gst/audio/audio.h>
#include <gst/gst.h>

#include <algorithm>
#include <cstring>
#include <system_error>
#include <vector>

#include "decode/DecoderChoice.h"
#include "decode/GStreamerSupport.h"
#include "decode/LibavDecoder.h"
#include "decode/MediaDetector.h"
#include "decode/PluginDecoder.h"
#include "decode/SndFileDecoder.h"
#include "decode/WavOutputEmulator.h"
#include "platform/RegularFile.h"
#include "platform/Trace.h"
#include "resources/DecodeEngineTexts.h"

namespace quillstar {

using namespace engine;

namespace {

// The graph hands out 16-bit integer samples whatever the file holds.
constexpr uint16_t kGraphSampleBits = 16;

bool IsCdFormat(const WaveFormat& format)
{
    const WaveFormat cdFormat = WaveFormat::Cd();
    return format.formatTag == cdFormat.formatTag && format.samplesPerSec == cdFormat.samplesPerSec &&
           format.bitsPerSample == cdFormat.bitsPerSample && format.channels == cdFormat.channels;
}

WaveFormat SourceFormat(const AudioDecoder& decoder)
{
    const auto sampleRate = static_cast<uint32_t>(std::max(decoder.SampleRate(), 0));
    const auto channels = static_cast<uint16_t>(std::clamp(decoder.Channels(), 0, 0xFFFF));
    if (decoder.Format() == SampleFormat::Float32)
        return WaveFormat::Float(sampleRate, channels);
    return WaveFormat::Pcm(sampleRate, channels, static_cast<uint16_t>(SampleBytes(decoder.Format()) * 8));
}

bool IsAudio(GstCaps* caps)
{
    if (caps == nullptr || gst_caps_get_size(caps) == 0)
        return false;
    return g_str_has_prefix(gst_structure_get_name(gst_caps_get_structure(caps, 0)), "audio/") != FALSE;
}

}  // namespace

struct DecodeEngine::GraphCallbacks {
    static void PadAdded(GstElement*, GstPad* pad, gpointer engine)
    {
        static_cast<DecodeEngine*>(engine)->LinkDecodedPad(pad);
    }

    static void NoMorePads(GstElement*, gpointer engine) { static_cast<DecodeEngine*>(engine)->AllStreamsFound(); }

    static void Handoff(GstElement*, GstBuffer* buffer, gpointer engine)
    {
        GstMapInfo map;
        if (!gst_buffer_map(buffer, &map, GST_MAP_READ))
            return;
        const GstClockTime time = GST_BUFFER_PTS(buffer);
        const double sampleTime = GST_CLOCK_TIME_IS_VALID(time) ? static_cast<double>(time) / GST_SECOND : 0.0;
        static_cast<DecodeEngine*>(engine)->BufferCB(sampleTime, map.data, static_cast<int>(map.size));
        gst_buffer_unmap(buffer, &map);
    }

    static GstPadProbeReturn GrabberEvent(GstPad*, GstPadProbeInfo* info, gpointer engine)
    {
        GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
        if (event != nullptr && GST_EVENT_TYPE(event) == GST_EVENT_CAPS) {
            GstCaps* caps = nullptr;
            gst_event_parse_caps(event, &caps);
            static_cast<DecodeEngine*>(engine)->MediaTypeConnected(caps);
        }
        return GST_PAD_PROBE_OK;
    }
};

// Until a track is opened a Read finds the end of data at once.
DecodeEngine::DecodeEngine(const PluginRegistry& plugins) : plugins_(plugins)
{
    feed_.SetEndOfData();
}

DecodeEngine::~DecodeEngine()
{
    Stop();
}

double DecodeEngine::ProbeDuration(const std::string& path)
{
    return IsRegularFile(path) ? DetectAudioSeconds(path) : 0.0;
}

std::unique_ptr<AudioDecoder> DecodeEngine::CreateDecoder(DecoderKind kind, const PluginRegistry& plugins)
{
    switch (kind) {
    case DecoderKind::SndFile:
        return std::make_unique<SndFileDecoder>();
    case DecoderKind::Libav:
        return std::make_unique<LibavDecoder>();
    default:
        return std::make_unique<PluginDecoder>(plugins);
    }
}

void DecodeEngine::SetBlockLength(int length)
{
    std::lock_guard control(controlMutex_);
    blockLength_ = std::max(length, 0);
}

SyncBuffer::Delivery DecodeEngine::Read(uint8_t* destination, int& length, uint32_t milliseconds)
{
    return feed_.ReadData(destination, length, milliseconds);
}

void DecodeEngine::RequestStop()
{
    stopRequest_ = 1;
}

void DecodeEngine::Stop()
{
    std::lock_guard control(controlMutex_);
    EndProducer();
}

// The producer is freed before it is waited for: a decode thread or a
// streaming thread blocked handing over a block returns at once, and drops
// whatever it still adds. Only once it is gone is end of data marked, so the
// reader never looks at a block a producer is still writing.
void DecodeEngine::EndProducer()
{
    stopRequest_ = 1;
    graphSettled_.Set();
    feed_.Release();
    if (decodeThread_.joinable()) {
        // A plug-in decoder may be waiting for the plug-in to open its
        // output or for its next piece; the stop ends either wait.
        if (UsesPlugin())
            StopAllPlugins();
        decodeThread_.join();
    }
    TearDownGraph();
    feed_.SetEndOfData();
}

bool DecodeEngine::UsesPlugin() const
{
    return decoderKind_ == DecoderKind::Plugin;
}

bool DecodeEngine::StartDecodeThread(const std::string& path)
{
    {
        std::lock_guard control(controlMutex_);
        EndProducer();
        path_ = path;
        decoderKind_ = DecoderChoice::For(path);
        feed_.Open(blockLength_);
        stopRequest_ = 0;
        decoderOpened_ = false;
        decoderSettled_.Reset();
        try {
            decodeThread_ = std::thread(&DecodeEngine::DecodeThread, this);
        } catch (const std::system_error& error) {
            Trace(kTraceThreadNotStarted, "decode thread", error.what());
            feed_.SetEndOfData();
            return false;
        }
    }
    // A Stop meanwhile ends the opening (a plug-in waiting for its output
    // is released) and joins the thread, which settles before it ends.
    decoderSettled_.Wait();
    return decoderOpened_ && !stopRequest_;
}

void DecodeEngine::DecodeThread()
{
    decoderOpened_ = OpenDecoder();
    decoderSettled_.Set();
    if (decoderOpened_) {
        PumpDecoder();
        if (!stopRequest_)
            AddConverterTail();
        CloseConverter();
    }
    feed_.SetEndOfData();
    decoder_->Close();
    decoder_.reset();
}

bool DecodeEngine::OpenDecoder()
{
    decoder_ = CreateDecoder(decoderKind_, plugins_);
    if (IsSpecialFile(path_) || !decoder_->Open(path_)) {
        Trace(kTraceDecoderNotOpened, path_.c_str());
        return false;
    }
    if (ChooseConversion(SourceFormat(*decoder_)) != kStatusOk) {
        Trace(kTraceCannotConvert, path_.c_str());
        return false;
    }
    return true;
}

// A decoder's reads need not end on a whole frame (a plug-in's output ring
// splits what it is given into slots of its own size): the part of a frame
// a read ends with waits in the block for the rest.
void DecodeEngine::PumpDecoder()
{
    const int frameBytes = std::max(decoder_->Channels() * SampleBytes(decoder_->Format()), 1);
    const int blockSize = std::max(decoder_->ReadBlockSize(), 1);
    std::vector<uint8_t> block(static_cast<size_t>(blockSize + frameBytes));
    int carried = 0;
    while (!stopRequest_) {
        const int bytes = decoder_->Read(block.data() + carried, blockSize);
        if (bytes <= 0)
            break;
        const int held = carried + std::min(bytes, blockSize);
        const int whole = held - held % frameBytes;
        AddAudio(block.data(), whole);
        carried = held - whole;
        std::memmove(block.data(), block.data() + whole, static_cast<size_t>(carried));
    }
}

int32_t DecodeEngine::ChooseConversion(const WaveFormat& source)
{
    convert_ = false;
    if (IsCdFormat(source)) {
        Trace(kTraceNoResample);
        return kStatusOk;
    }
    Trace(kTraceResample, static_cast<unsigned long>(source.samplesPerSec),
          static_cast<unsigned long>(source.bitsPerSample), static_cast<unsigned long>(source.channels));
    if (converter_.Open(source, WaveFormat::Cd()) != decode::kStatusOk)
        return kStatusInvalidMediaType;
    convert_ = true;
    return kStatusOk;
}

// A buffer the converter cannot take is passed on as it is.
void DecodeEngine::AddAudio(const uint8_t* data, int length)
{
    if (convert_) {
        const uint8_t* converted = nullptr;
        int convertedLength = 0;
        if (converter_.Convert(data, length, converted, convertedLength) == decode::kStatusOk) {
            data = converted;
            length = convertedLength;
        }
    }
    feed_.AddData(data, length);
}

void DecodeEngine::AddConverterTail()
{
    if (!convert_)
        return;
    const uint8_t* tail = nullptr;
    int tailLength = 0;
    if (converter_.Flush(tail, tailLength) == decode::kStatusOk)
        feed_.AddData(tail, tailLength);
}

void DecodeEngine::CloseConverter()
{
    converter_.Close();
    convert_ = false;
}

int32_t DecodeEngine::OpenGraph(const std::string& path)
{
    int32_t started = kStatusFailed;
    {
        std::lock_guard control(controlMutex_);
        if (blockLength_ <= 0 || IsSpecialFile(path))
            return kStatusFailed;
        started = StartGraph(path);
        if (started < 0) {
            EndProducer();
            return started;
        }
    }
    // The wait runs without the control lock: a Stop meanwhile ends it at
    // once and tears the graph down itself.
    const int32_t status = WaitUntilConnected();
    if (stopRequest_)
        return kStatusFailed;
    std::lock_guard control(controlMutex_);
    if (stopRequest_)
        return kStatusFailed;
    if (status != kStatusOk) {
        EndProducer();
        return status;
    }
    Trace(kTraceOpenFileExited);
    return started;
}

int32_t DecodeEngine::StartGraph(const std::string& path)
{
    EndProducer();
    path_ = path;
    stopRequest_ = 0;
    int32_t status = kStatusOk;
    {
        std::lock_guard lock(graphMutex_);
        convert_ = false;
        graphEnded_ = false;
        graphConnected_ = false;
        mediaTypeStatus_ = kStatusOk;
        graphSettled_.Reset();
        feed_.Open(blockLength_);
        status = BuildGraph(path);
    }
    if (status == kStatusOk)
        status = StartGraphWatcher();
    if (status != kStatusOk)
        return status;
    switch (gst_element_set_state(pipeline_, GST_STATE_PLAYING)) {
    case GST_STATE_CHANGE_FAILURE:
        return kStatusFailed;
    case GST_STATE_CHANGE_ASYNC:
        return kStatusStarting;
    default:
        return kStatusOk;
    }
}

int32_t DecodeEngine::BuildGraph(const std::string& path)
{
    if (!InitGStreamer())
        return kStatusFailed;
    pipeline_ = gst_pipeline_new(nullptr);
    if (pipeline_ == nullptr)
        return kStatusFailed;
    gst_object_ref_sink(pipeline_);
    GstElement* source = AddElement("filesrc", kSourceFilterName);
    GstElement* decoder = AddElement("decodebin", nullptr);
    audioConvert_ = AddElement("audioconvert", nullptr);
    GstElement* grabber = AddElement("identity", kGrabberName);
    GstElement* renderer = AddElement("fakesink", kNullRendererName);
    if (source == nullptr || decoder == nullptr || audioConvert_ == nullptr || grabber == nullptr ||
        renderer == nullptr)
        return kStatusFailed;

    g_object_set(source, "location", path.c_str(), nullptr);
    g_object_set(grabber, "signal-handoffs", TRUE, nullptr);
    g_object_set(renderer, "sync", FALSE, nullptr);
    const GstMiniObjectPtr<GstCaps> pcm(gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING, "S16LE", "layout",
                                                            G_TYPE_STRING, "interleaved", nullptr));
    if (!gst_element_link(source, decoder) || !gst_element_link_filtered(audioConvert_, grabber, pcm.get()) ||
        !gst_element_link(grabber, renderer))
        return kStatusFailed;

    g_signal_connect(decoder, "pad-added", G_CALLBACK(GraphCallbacks::PadAdded), this);
    g_signal_connect(decoder, "no-more-pads", G_CALLBACK(GraphCallbacks::NoMorePads), this);
    g_signal_connect(grabber, "handoff", G_CALLBACK(GraphCallbacks::Handoff), this);
    const GstObjectPtr<GstPad> grabberInput(gst_element_get_static_pad(grabber, "sink"));
    gst_pad_add_probe(grabberInput.get(), GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, GraphCallbacks::GrabberEvent, this,
                      nullptr);
    // Without a clock the pipeline decodes as fast as the feed buffer drains.
    gst_pipeline_use_clock(GST_PIPELINE(pipeline_), nullptr);
    return kStatusOk;
}

GstElement* DecodeEngine::AddElement(const char* factory, const char* name)
{
    GstElement* element = gst_element_factory_make(factory, name);
    if (element == nullptr) {
        Trace(kTraceNoElement, factory);
        return nullptr;
    }
    gst_bin_add(GST_BIN(pipeline_), element);
    return element;
}

// Only the first audio stream is decoded; other streams stay unlinked.
void DecodeEngine::LinkDecodedPad(GstPad* pad)
{
    GstObjectPtr<GstPad> input;
    {
        std::lock_guard lock(graphMutex_);
        if (graphEnded_ || audioConvert_ == nullptr)
            return;
        input.reset(gst_element_get_static_pad(audioConvert_, "sink"));
    }
    GstMiniObjectPtr<GstCaps> caps(gst_pad_get_current_caps(pad));
    if (!caps)
        caps.reset(gst_pad_query_caps(pad, nullptr));
    if (!IsAudio(caps.get()) || !input || gst_pad_is_linked(input.get()))
        return;
    gst_pad_link(pad, input.get());
}

// A file without an audio stream would leave the pipeline waiting for ever
// with nothing linked: it ends here.
void DecodeEngine::AllStreamsFound()
{
    GstObjectPtr<GstPad> input;
    {
        std::lock_guard lock(graphMutex_);
        if (graphEnded_ || audioConvert_ == nullptr)
            return;
        input.reset(gst_element_get_static_pad(audioConvert_, "sink"));
    }
    if (gst_pad_is_linked(input.get()))
        return;
    std::lock_guard lock(graphMutex_);
    if (!graphEnded_) {
        Trace(kTraceGraphNotConnected, "the file has no audio stream");
        EndGraph();
    }
}

// The graph counts as open once its audio reached the grabber with a format
// it can convert; an error or an end before that means it cannot play.
int32_t DecodeEngine::WaitUntilConnected()
{
    if (!graphSettled_.Wait(kGraphConnectTimeoutMs)) {
        Trace(kTraceGraphNotConnected, "timed out");
        return kStatusFailed;
    }
    if (stopRequest_)
        return kStatusFailed;
    if (!graphConnected_) {
        Trace(kTraceGraphNotConnected, path_.c_str());
        return kStatusFailed;
    }
    return mediaTypeStatus_;
}

void DecodeEngine::MediaTypeConnected(GstCaps* caps)
{
    std::lock_guard lock(graphMutex_);
    if (graphEnded_ || (connectedCaps_ != nullptr && gst_caps_is_equal(connectedCaps_, caps)))
        return;
    // A format change mid-stream: what the converter holds of the old format
    // goes out before the first buffer of the new one.
    if (!stopRequest_)
        AddConverterTail();
    gst_caps_replace(&connectedCaps_, caps);
    mediaTypeStatus_ = CheckMediaType(caps);
    graphConnected_ = true;
    graphSettled_.Set();
}

int32_t DecodeEngine::CheckMediaType(GstCaps* connected)
{
    CloseConverter();
    GstAudioInfo info;
    if (connected == nullptr || !gst_audio_info_from_caps(&info, connected))
        return kStatusFailed;
    if (GST_AUDIO_INFO_FORMAT(&info) != GST_AUDIO_FORMAT_S16LE ||
        GST_AUDIO_INFO_LAYOUT(&info) != GST_AUDIO_LAYOUT_INTERLEAVED)
        return kStatusInvalidMediaType;
    const uint32_t sampleRate = static_cast<uint32_t>(std::max(GST_AUDIO_INFO_RATE(&info), 0));
    const uint16_t channels = static_cast<uint16_t>(std::clamp(GST_AUDIO_INFO_CHANNELS(&info), 0, 0xFFFF));
    return ChooseConversion(WaveFormat::Pcm(sampleRate, channels, kGraphSampleBits));
}

int32_t DecodeEngine::BufferCB(double, const uint8_t* data, int length)
{
    std::lock_guard lock(graphMutex_);
    if (!graphEnded_ && !stopRequest_)
        AddAudio(data, length);
    return kStatusOk;
}

int32_t DecodeEngine::StartGraphWatcher()
{
    GstBus* bus = gst_pipeline_get_bus(GST_PIPELINE(pipeline_));
    try {
        graphWatcher_ = std::thread(&DecodeEngine::WatchGraph, this, bus);
    } catch (const std::system_error& error) {
        Trace(kTraceThreadNotStarted, "graph's watcher", error.what());
        gst_object_unref(bus);
        return kStatusFailed;
    }
    return kStatusOk;
}

// Runs on a thread of its own, so that handling the end of the stream may
// wait for the reader (a flushed tail going into a full feed buffer) without
// holding up a streaming thread or the thread that sets the pipeline's state.
void DecodeEngine::WatchGraph(GstBus* bus)
{
    const auto watched = static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR | GST_MESSAGE_APPLICATION);
    for (bool watching = true; watching;) {
        const GstMiniObjectPtr<GstMessage> message(gst_bus_timed_pop_filtered(bus, GST_CLOCK_TIME_NONE, watched));
        watching = message && GST_MESSAGE_TYPE(message.get()) != GST_MESSAGE_APPLICATION &&
                   HandleGraphEvents(message.get()) != 0;
    }
    gst_object_unref(bus);
}

int DecodeEngine::HandleGraphEvents(GstMessage* message)
{
    const GstMessageType type = GST_MESSAGE_TYPE(message);
    if (type != GST_MESSAGE_ERROR && type != GST_MESSAGE_EOS)
        return 1;
    std::lock_guard lock(graphMutex_);
    if (graphEnded_)
        return 0;
    if (type == GST_MESSAGE_ERROR) {
        GError* error = nullptr;
        gst_message_parse_error(message, &error, nullptr);
        Trace(kTraceGraphError, error != nullptr ? error->message : "unknown");
        g_clear_error(&error);
    } else {
        Trace(kTraceEndOfStream);
        if (!stopRequest_)
            AddConverterTail();
    }
    EndGraph();
    return 0;
}

// Nothing is added after this: the reader takes the last partial block.
void DecodeEngine::EndGraph()
{
    graphEnded_ = true;
    feed_.SetEndOfData();
    graphSettled_.Set();
}

// Stopping the pipeline and its watcher waits for their threads, so the
// producer must already be released from the feed buffer.
void DecodeEngine::TearDownGraph()
{
    if (pipeline_ == nullptr)
        return;
    if (graphWatcher_.joinable()) {
        const GstObjectPtr<GstBus> bus(gst_pipeline_get_bus(GST_PIPELINE(pipeline_)));
        gst_bus_post(bus.get(),
                     gst_message_new_application(GST_OBJECT(pipeline_), gst_structure_new_empty(kStopWatchingMessage)));
        graphWatcher_.join();
    }
    gst_element_set_state(pipeline_, GST_STATE_NULL);
    Trace(kTraceStopped);
    {
        std::lock_guard lock(graphMutex_);
        graphEnded_ = true;
        CloseConverter();
        audioConvert_ = nullptr;
        gst_caps_replace(&connectedCaps_, nullptr);
    }
    gst_object_unref(pipeline_);
    pipeline_ = nullptr;
}

}  // namespace quillstar
