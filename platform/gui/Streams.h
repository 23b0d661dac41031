// Streams of bytes: the abstract stream, file and handle streams, memory and
// string streams. Positions and counts are 64-bit.
#pragma once
#include "platform/core/Exception.h"

#include <cstdint>
#include <string>
#include <vector>

class EStreamError : public Exception { public: using Exception::Exception; };
class EReadError : public EStreamError { public: using EStreamError::EStreamError; };
class EWriteError : public EStreamError { public: using EStreamError::EStreamError; };
class EFileStreamError : public EStreamError { public: using EStreamError::EStreamError; };
class EFCreateError : public EFileStreamError { public: using EFileStreamError::EFileStreamError; };
class EFOpenError : public EFileStreamError { public: using EFileStreamError::EFileStreamError; };

enum TSeekOrigin { soBeginning = 0, soCurrent = 1, soEnd = 2 };
constexpr TSeekOrigin soFromBeginning = soBeginning;
constexpr TSeekOrigin soFromCurrent = soCurrent;
constexpr TSeekOrigin soFromEnd = soEnd;

class TStream : public TObject
{
public:
    // Reads up to Count bytes; returns how many came (0 at the end).
    virtual std::int64_t Read(void* Buffer, std::int64_t Count) = 0;
    // Writes up to Count bytes; returns how many went.
    virtual std::int64_t Write(const void* Buffer, std::int64_t Count) = 0;
    // Moves the position; returns the new position.
    virtual std::int64_t Seek(std::int64_t Offset, TSeekOrigin Origin) = 0;

    std::int64_t Position() { return Seek(0, soCurrent); }
    void SetPosition(std::int64_t Pos) { Seek(Pos, soBeginning); }
    // The base finds the size by seeking to the end and back.
    virtual std::int64_t Size();
    // Streams that can change size override this; the base raises.
    virtual void SetSize(std::int64_t NewSize);

    // Exactly Count bytes or EReadError ("Stream read error").
    void ReadBuffer(void* Buffer, std::int64_t Count);
    // Exactly Count bytes or EWriteError ("Stream write error").
    void WriteBuffer(const void* Buffer, std::int64_t Count);
    // Copies Count bytes from Source's position (Count 0: all of Source from
    // its start). Returns the number of bytes copied.
    std::int64_t CopyFrom(TStream& Source, std::int64_t Count);
};

// A stream over an open file descriptor, which it does not close.
class THandleStream : public TStream
{
public:
    explicit THandleStream(int AHandle) : handle_(AHandle) {}
    int Handle() const { return handle_; }
    std::int64_t Read(void* Buffer, std::int64_t Count) override;
    std::int64_t Write(const void* Buffer, std::int64_t Count) override;
    std::int64_t Seek(std::int64_t Offset, TSeekOrigin Origin) override;
    void SetSize(std::int64_t NewSize) override;

protected:
    int handle_;
};

// Open modes. Share modes are accepted and ignored.
constexpr unsigned fmCreate = 0xFF00;
constexpr unsigned fmOpenRead = 0x0000;
constexpr unsigned fmOpenWrite = 0x0001;
constexpr unsigned fmOpenReadWrite = 0x0002;
constexpr unsigned fmShareCompat = 0x0000;
constexpr unsigned fmShareExclusive = 0x0010;
constexpr unsigned fmShareDenyWrite = 0x0020;
constexpr unsigned fmShareDenyRead = 0x0030;
constexpr unsigned fmShareDenyNone = 0x0040;

// A file opened by its UTF-8 name. fmCreate creates or empties it (opened for
// reading and writing). Raises EFCreateError / EFOpenError with the file name
// and the system's reason; a folder cannot be opened as a file.
class TFileStream : public THandleStream
{
public:
    TFileStream(const std::string& FileName, unsigned Mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;
    const std::string& FileName() const { return fileName_; }

private:
    std::string fileName_;
};

// A stream in memory that grows as it is written.
class TMemoryStream : public TStream
{
public:
    std::int64_t Read(void* Buffer, std::int64_t Count) override;
    std::int64_t Write(const void* Buffer, std::int64_t Count) override;
    std::int64_t Seek(std::int64_t Offset, TSeekOrigin Origin) override;
    std::int64_t Size() override { return std::int64_t(data_.size()); }
    void SetSize(std::int64_t NewSize) override;

    void* Memory() { return data_.data(); }
    const void* Memory() const { return data_.data(); }
    void Clear();
    // Replaces the contents with all of Stream (from its start) / the file.
    void LoadFromStream(TStream& Stream);
    void LoadFromFile(const std::string& FileName);
    // Writes the whole contents.
    void SaveToStream(TStream& Stream);
    void SaveToFile(const std::string& FileName);

protected:
    std::vector<std::uint8_t> data_;
    std::int64_t pos_ = 0;
};

// A memory stream over a text (bytes, UTF-8 by convention).
class TStringStream : public TMemoryStream
{
public:
    explicit TStringStream(const std::string& AString = std::string());
    std::string DataString() const;
    // Reads up to Count bytes from the position as text.
    std::string ReadString(std::int64_t Count);
    void WriteString(const std::string& AString);
};
