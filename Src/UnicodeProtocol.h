// The "unicode" file protocol: file names handed to FFmpeg, and the
// "unicode:utf8:<name>" URLs that carry names FFmpeg must not parse itself.
//
// Names are UTF-8 text. A name that FFmpeg would take for a URL of another
// protocol (a relative name with ":"), or that is not valid UTF-8, becomes
// "unicode:utf8:" + name. FFmpeg does not know that protocol: open every input
// with OpenInputURL, every output file with OpenOutputIO, and call
// InstallUnicodeIO on a muxer's context, so that such URLs are served.
#pragma once
#include <string>

struct AVFormatContext;
struct AVInputFormat;
struct AVIOContext;
struct AVIOInterruptCB;
struct AVDictionary;

// The protocol prefixes that pass unchanged, each between colons.
inline constexpr const char* UnicodePassPrefixes = ":unicode:stream:gopher:http:pipe:rtp:tcp:udp:";
inline constexpr const char* UnicodeURLPrefix = "unicode:utf8:";

// Whether the name must travel as a "unicode:utf8:" URL.
bool NeedsUnicodeURL(const std::string& name);
// The name to give to FFmpeg (an owned string per call).
std::string FileNameToURL(const std::string& name);
// The file name behind a URL.
std::string URLToFileName(const std::string& url);
// At least 14 bytes and starting with "unicode:utf8:".
bool IsUnicodeURL(const std::string& url);
std::string EncodeUnicodeURL(const std::string& name);
// Removes the text up to the second ":" ("unicode:utf8:").
std::string DecodeUnicodeURL(const std::string& url);

// The URL FFmpeg's own I/O opens for `url`: a "unicode:utf8:" URL becomes a
// "file:" URL of the same name (so no part of it is taken for a protocol),
// anything else is returned unchanged.
std::string UnicodeURLToAVURL(const std::string& url);

// Kept for the loader's start-up sequence. FFmpeg 5.1 has no public protocol
// registration; the hooks below serve the protocol instead, so this does nothing.
void RegisterUnicodeProtocol();

// Makes the context's io_open serve "unicode:utf8:" URLs (the muxers and
// demuxers that open further files by name use it). Other URLs go on to the
// context's previous io_open.
void InstallUnicodeIO(AVFormatContext* s);

// Why a name cannot be opened as a media input before FFmpeg tries it, or ""
// when it may be: a folder gives the system's "Is a directory" text, a FIFO,
// socket or device "Not a regular file" (opening a FIFO would wait for a
// writer forever). Protocol URLs other than "unicode:" are left to FFmpeg.
std::string InputFileKindError(const std::string& AFileName);

// avformat_open_input for a URL that may be a "unicode:utf8:" one. *ps may be
// nullptr or a context allocated by avformat_alloc_context. Same result and
// ownership rules as avformat_open_input.
int OpenInputURL(AVFormatContext** ps, const std::string& url, const AVInputFormat* fmt,
                 AVDictionary** options);

// avio_open2 for a URL that may be a "unicode:utf8:" one; close with avio_closep.
int OpenOutputIO(AVIOContext** pb, const std::string& url, int flags, const AVIOInterruptCB* intCB,
                 AVDictionary** options);
