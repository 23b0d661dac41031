// Working records of one transcoding run, shared by the run's source files
// (internal to the engine).
//
// Field style of the media library: a class's fields carry an F in front
// (the engine's option fields keep the ffmpeg tool's names after it); a
// record's fields are PascalCase, except the records that mirror the ffmpeg
// tool's own (these, TOutputFileRec, TInputFileRec, TOutputStreamSetup,
// TFFOptions, TFrameHookEntry), which keep its lower-case names.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "Src/FFmpeg.h"
#include "Src/FFUtils.h"
#include "Src/FFmpegLoader.h"

struct TAVInputFile
{
    int eof_reached = 0;
    int ist_index = 0;
    int nb_streams = 0;
};

struct TAVInputStream
{
    int file_index = 0;
    int index = 0;
    AVStream* st = nullptr;
    int discard = 1;
    int decoding_needed = 0;
    int64_t start = 0;
    int64_t next_pts = AV_NOPTS_VALUE;
    int64_t pts = 0;
    int is_start = 1;
    bool showed_multi_packet_warning = false;
    bool is_past_recording_time = false;
    bool decoder_flushed = false;
    bool saw_key = false;
    AVCodecContext* dec = nullptr;       // owned
    const AVCodec* decoder = nullptr;
    AVDictionary* dec_opts = nullptr;    // not owned
    float quality = 0;
};

struct TAVOutputStream
{
    int file_index = 0;
    int index = 0;
    int source_index = 0;
    std::vector<int> segment_sources;    // join mode: source per input file
    AVStream* st = nullptr;
    TOutputFileRec* of = nullptr;
    TOutputStreamSetup* setup = nullptr;
    AVCodecContext* enc = nullptr;       // owned by the setup record
    int encoding_needed = 0;
    bool stream_copy = false;
    int frame_number = 0;
    TAVInputStream* sync_ist = nullptr;
    int64_t sync_opts = 0;
    int show_fps = 1;
    bool encoder_open = false;
    bool copy_started = false;
    int64_t last_mux_dts = AV_NOPTS_VALUE;
    double out_pos = 0;                  // seconds written so far
    float quality = 0;                   // quality of the last encoded packet (lambda)
    int stats_frames = 0;
    uint64_t last_error[3] = {};         // error sums of the last encoded picture (PSNR)
    int64_t stats_bytes = 0;
    // video
    AVFilterGraph* graph = nullptr;
    AVFilterContext* src = nullptr;
    AVFilterContext* sink = nullptr;
    int graph_w = 0, graph_h = 0, graph_fmt = -1;
    bool graph_rebuilt = false;
    TAVInputStream* graph_ist = nullptr;   // the stream the graph was built for
    int topBand = 0, bottomBand = 0, leftBand = 0, rightBand = 0;
    // audio
    SwrContext* swr = nullptr;
    int swr_in_rate = 0, swr_in_fmt = -1;
    AVChannelLayout swr_in_layout{};
    AVAudioFifo* fifo = nullptr;
    // work frames of the stream, kept from block to block: the resampler's
    // output (room for audio_room samples) and the encoder's input
    AVFrame* audio_out = nullptr;
    int audio_room = 0;
    AVFrame* audio_enc = nullptr;
    // bit-stream filters
    std::vector<AVBSFContext*> bsfs;
    // two-pass log
    FILE* logfile = nullptr;
    char* stats_in = nullptr;
};

// The media type name of a stream ("Video", "Audio" ...), for messages.
inline std::string TypeName(const AVStream* st) { return MediaTypeName(st->codecpar->codec_type); }
inline std::string TypeName(const TAVOutputStream* ost) { return MediaTypeName(ost->enc->codec_type); }

struct TRunState
{
    static constexpr int RETRY = -2;     // a step's answer: start the next pass
    TCustomFFmpeg* owner = nullptr;
    std::vector<TAVInputFile> files;
    std::vector<TAVInputStream*> ist;
    std::vector<TAVOutputStream*> ost;
    std::vector<bool> no_packet;
    int no_packet_count = 0;
    int nb_segments = 1;
    int current_file = 0;
    int64_t last_reported_time = 0;     // the duration last reported (never goes back)
    int64_t last_report_clock = 0;      // when progress was last reported (av_gettime_relative)
    int qp_histogram[52] = {};
    AVFrame* frame = nullptr;
    AVFrame* filt = nullptr;
    AVPacket* pkt = nullptr;
    AVPacket* opkt = nullptr;
    ~TRunState();
};
