#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "decode/AcmConverter.h"
#include "decode/AudioDecoder.h"
#include "decode/MusicFile.h"
#include "decode/PluginRegistry.h"
#include "decode/SyncBuffer.h"
#include "decode/WaveFormat.h"
#include "platform/Event.h"

typedef struct _GstBus GstBus;
typedef struct _GstCaps GstCaps;
typedef struct _GstElement GstElement;
typedef struct _GstMessage GstMessage;
typedef struct _GstPad GstPad;

namespace quillstar {

// Decodes one track at a time into the feed buffer, in CD format, for the
// burn thread to Read. Two producers: a decode thread running a file decoder
// (the MP3 plug-in, libsndfile or FFmpeg, as DecoderChoice picks it), or a
// GStreamer pipeline for any other audio:
//
//   filesrc "Source Filter" -> decodebin -> audioconvert to interleaved S16LE
//   -> identity "Audio Grabber" -> fakesink "NullRenderer" (sync=false)
//
// The grabber is an identity element whose handoff signal hands every buffer
// to BufferCB on the streaming thread. The pipeline runs without a clock, so
// the feed buffer alone paces it. A thread of the engine watches its bus, so
// the end of the stream or an error marks end of data whether or not any
// thread dispatches messages.
//
// Whatever a producer decodes reaches the feed buffer as 44100 Hz 16-bit
// stereo: other formats go through the converter, whose tail is flushed
// before end of data. At most one producer runs; starting one, and Stop, end
// the one before (stop request, producer released from the feed buffer,
// thread joined or pipeline stopped, then end of data) before anything of it
// is deleted, so no byte of an old track reaches the next one. The control
// operations may come from two threads (a stop from the user interface while
// the burn thread works); a stop never waits for a decoder that is opening.
class DecodeEngine {
public:
    // Plug-in formats decode through the given plug-ins.
    explicit DecodeEngine(const PluginRegistry& plugins = PluginRegistry::Process());
    ~DecodeEngine();
    DecodeEngine(const DecodeEngine&) = delete;
    DecodeEngine& operator=(const DecodeEngine&) = delete;

    // The decoded length of the file's audio in seconds; 0.0 when it cannot
    // be read or has no audio.
    static double ProbeDuration(const std::string& path);
    // The decoder the decode thread runs for a kind of file: libsndfile's or
    // FFmpeg's reader, the input plug-in decoder for the plug-in and any
    // other kind.
    static std::unique_ptr<AudioDecoder> CreateDecoder(DecoderKind kind,
                                                       const PluginRegistry& plugins = PluginRegistry::Process());

    void SetBlockLength(int length);
    // Starts the decode thread and waits until its decoder opened the file:
    // false when it cannot (no decoder for it, unreadable, a format that
    // cannot be converted), or when a Stop came first.
    bool StartDecodeThread(const std::string& path);
    // Builds and starts the pipeline and waits until its audio reaches the
    // grabber: 0 when it runs, 1 when it still reaches the running state on
    // its own, a failure status (negative) when the file gives no audio the
    // pipeline can decode or the format cannot be converted, or when a Stop
    // came first.
    int32_t OpenGraph(const std::string& path);
    // The next block from the feed buffer, as SyncBuffer::ReadData gives it.
    SyncBuffer::Delivery Read(uint8_t* destination, int& length, uint32_t milliseconds = kInfinite);
    // Asks the decode thread to leave its loop after the current block.
    void RequestStop();
    // Ends the producer; a reader waiting in Read gets the rest of the block
    // and then the end of data.
    void Stop();

private:
    void EndProducer();
    void DecodeThread();
    bool OpenDecoder();
    void PumpDecoder();
    bool UsesPlugin() const;
    // Decides whether the source format needs converting and opens the
    // converter for it. 0, or the invalid media type status.
    int32_t ChooseConversion(const WaveFormat& source);
    void AddAudio(const uint8_t* data, int length);
    void AddConverterTail();
    void CloseConverter();

    // Builds the graph and sets it going: kStatusOk or kStatusStarting as
    // OpenGraph gives them, or a failure status.
    int32_t StartGraph(const std::string& path);
    int32_t BuildGraph(const std::string& path);
    GstElement* AddElement(const char* factory, const char* name);
    int32_t WaitUntilConnected();
    void TearDownGraph();
    int32_t CheckMediaType(GstCaps* connected);
    void MediaTypeConnected(GstCaps* caps);
    void LinkDecodedPad(GstPad* pad);
    void AllStreamsFound();
    // Marks the end of the graph's stream; graphMutex_ held.
    void EndGraph();
    int32_t BufferCB(double sampleTime, const uint8_t* data, int length);
    int32_t StartGraphWatcher();
    void WatchGraph(GstBus* bus);
    // Handles one message of the graph's bus: 0 when the stream completed
    // (its end or an error, which both mark end of data), 1 for any other.
    int HandleGraphEvents(GstMessage* message);

    // GStreamer's callbacks, which hand over to the members above.
    struct GraphCallbacks;

    const PluginRegistry& plugins_;

    // Decode-thread path. The thread sets decoderSettled_ once its decoder
    // opened or failed to.
    std::unique_ptr<AudioDecoder> decoder_;
    std::string path_;
    DecoderKind decoderKind_ = DecoderKind::None;
    std::thread decodeThread_;
    std::atomic<int32_t> stopRequest_{0};
    Event decoderSettled_;
    std::atomic<bool> decoderOpened_{false};

    // Both paths; a producer's own while it runs.
    bool convert_ = false;
    int32_t blockLength_ = 0;
    SyncBuffer feed_;
    AcmConverter converter_;

    // Graph path. The pipeline holds its elements; the grabber and the
    // converter element are borrowed from it.
    GstElement* pipeline_ = nullptr;
    std::thread graphWatcher_;
    GstElement* audioConvert_ = nullptr;
    GstCaps* connectedCaps_ = nullptr;
    // Serialises the streaming threads' callbacks with each other and with
    // the set-up and tear-down of the graph.
    std::mutex graphMutex_;
    bool graphEnded_ = false;
    // Set once the audio reached the grabber, the stream ended or a stop
    // came; opening reads the two results after it without the lock, which
    // a streaming thread may hold while it waits for the first read.
    Event graphSettled_;
    std::atomic<bool> graphConnected_{false};
    std::atomic<int32_t> mediaTypeStatus_{0};

    // Serialises the control operations (start, open, stop); not held while
    // an opening waits for its decoder.
    std::mutex controlMutex_;
};

}  // namespace quillstar
