#pragma once

/* The input-module and output-module structures of the version 2 input
   plug-in interface, shared by the host and every plug-in. The field order is
   the published one; pointers and handles are native width, window and
   instance handles are void*. Plain C, so a plug-in may be written in C. */

#ifdef __cplusplus
namespace quillstar {
extern "C" {
#endif

typedef struct Out_Module {
    int version;
    const char* description;
    int id;
    void* hMainWindow;
    void* hDllInstance;
    void (*Config)(void* hwndParent);
    void (*About)(void* hwndParent);
    void (*Init)(void);
    void (*Quit)(void);
    /* Returns the latency in milliseconds, negative on failure. */
    int (*Open)(int samplerate, int numchannels, int bitspersamp, int bufferlenms, int prebufferms);
    void (*Close)(void);
    /* 0 when written, 1 when the output refused (stopped). */
    int (*Write)(char* buf, int len);
    /* Bytes the next Write may hand over. */
    int (*CanWrite)(void);
    /* Non-zero while written data is still queued. */
    int (*IsPlaying)(void);
    int (*Pause)(int pause);
    void (*SetVolume)(int volume);
    void (*SetPan)(int pan);
    void (*Flush)(int t);
    int (*GetOutputTime)(void);
    int (*GetWrittenTime)(void);
} Out_Module;

typedef struct In_Module {
    int version;
    const char* description;
    void* hMainWindow;
    void* hDllInstance;
    /* "EXT;EXT\0Description\0...\0\0" */
    const char* FileExtensions;
    int is_seekable;
    int UsesOutputPlug;
    void (*Config)(void* hwndParent);
    void (*About)(void* hwndParent);
    void (*Init)(void);
    void (*Quit)(void);
    void (*GetFileInfo)(const char* file, char* title, int* length_in_ms);
    int (*InfoBox)(const char* file, void* hwndParent);
    int (*IsOurFile)(const char* fn);
    /* 0 when playback started. */
    int (*Play)(const char* fn);
    void (*Pause)(void);
    void (*UnPause)(void);
    int (*IsPaused)(void);
    void (*Stop)(void);
    int (*GetLength)(void);
    int (*GetOutputTime)(void);
    void (*SetOutputTime)(int time_in_ms);
    void (*SetVolume)(int volume);
    void (*SetPan)(int pan);

    /* Filled in by the host before Play. */
    void (*SAVSAInit)(int maxlatency_in_ms, int srate);
    void (*SAVSADeInit)(void);
    void (*SAAddPCMData)(void* PCMData, int nch, int bps, int timestamp);
    int (*SAGetMode)(void);
    int (*SAAdd)(void* data, int timestamp, int csa);
    void (*VSAAddPCMData)(void* PCMData, int nch, int bps, int timestamp);
    int (*VSAGetMode)(int* specNch, int* waveNch);
    int (*VSAAdd)(void* data, int timestamp);
    void (*VSASetInfo)(int srate, int nch);
    int (*dsp_isactive)(void);
    int (*dsp_dosamples)(short int* samples, int numsamples, int bps, int nch, int srate);
    void (*EQSet)(int on, char data[10], int preamp);
    /* Bit rate in kbit/s, sample rate in kHz. */
    void (*SetInfo)(int bitrate, int srate, int stereo, int synched);
    Out_Module* outMod;
} In_Module;

/* The one symbol a plug-in exports, by the name in resources/Plugins.h. */
typedef In_Module* (*GetInModule2Function)(void);

#ifdef __cplusplus
} /* extern "C" */
} /* namespace quillstar */
#endif
