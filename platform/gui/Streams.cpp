#include "platform/gui/Streams.h"

#include "platform/sys/Files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// ---- TStream ---------------------------------------------------------------

std::int64_t TStream::Size()
{
    std::int64_t pos = Seek(0, soCurrent);
    std::int64_t end = Seek(0, soEnd);
    Seek(pos, soBeginning);
    return end;
}

void TStream::SetSize(std::int64_t)
{
    throw EStreamError("Stream size cannot be changed");
}

void TStream::ReadBuffer(void* Buffer, std::int64_t Count)
{
    if (Count <= 0) return;
    std::int64_t got = 0;
    auto* p = static_cast<std::uint8_t*>(Buffer);
    while (got < Count)
    {
        std::int64_t n = Read(p + got, Count - got);
        if (n <= 0) throw EReadError("Stream read error");
        got += n;
    }
}

void TStream::WriteBuffer(const void* Buffer, std::int64_t Count)
{
    if (Count <= 0) return;
    std::int64_t put = 0;
    auto* p = static_cast<const std::uint8_t*>(Buffer);
    while (put < Count)
    {
        std::int64_t n = Write(p + put, Count - put);
        if (n <= 0) throw EWriteError("Stream write error");
        put += n;
    }
}

std::int64_t TStream::CopyFrom(TStream& Source, std::int64_t Count)
{
    if (Count == 0)
    {
        Source.SetPosition(0);
        Count = Source.Size();
    }
    std::int64_t result = Count;
    std::vector<std::uint8_t> buf(std::size_t(std::min<std::int64_t>(Count, 0xF000)) + 1);
    while (Count > 0)
    {
        std::int64_t n = std::min<std::int64_t>(Count, std::int64_t(buf.size()));
        Source.ReadBuffer(buf.data(), n);
        WriteBuffer(buf.data(), n);
        Count -= n;
    }
    return result;
}

// ---- THandleStream / TFileStream ------------------------------------------

std::int64_t THandleStream::Read(void* Buffer, std::int64_t Count)
{
    if (Count <= 0) return 0;
    for (;;)
    {
        ssize_t n = ::read(handle_, Buffer, std::size_t(Count));
        if (n < 0 && errno == EINTR) continue;
        return n < 0 ? 0 : n;
    }
}

std::int64_t THandleStream::Write(const void* Buffer, std::int64_t Count)
{
    if (Count <= 0) return 0;
    for (;;)
    {
        ssize_t n = ::write(handle_, Buffer, std::size_t(Count));
        if (n < 0 && errno == EINTR) continue;
        return n < 0 ? 0 : n;
    }
}

std::int64_t THandleStream::Seek(std::int64_t Offset, TSeekOrigin Origin)
{
    int whence = Origin == soBeginning ? SEEK_SET : Origin == soCurrent ? SEEK_CUR : SEEK_END;
    off_t r = ::lseek(handle_, off_t(Offset), whence);
    if (r < 0) throw EStreamError(std::string("Stream seek error. ") + std::strerror(errno));
    return r;
}

void THandleStream::SetSize(std::int64_t NewSize)
{
    if (NewSize < 0 || ::ftruncate(handle_, off_t(NewSize)) != 0)
        throw EStreamError(std::string("Stream size cannot be changed. ") + std::strerror(errno));
    if (Position() > NewSize) Seek(0, soEnd);
}

TFileStream::TFileStream(const std::string& FileName, unsigned Mode)
    : THandleStream(-1), fileName_(FileName)
{
    const bool create = (Mode & 0xFF00) == fmCreate;
    int flags = O_CLOEXEC;
    if (create)
        flags |= O_RDWR | O_CREAT | O_TRUNC;
    else
        switch (Mode & 0x3)
        {
        case fmOpenWrite: flags |= O_WRONLY; break;
        case fmOpenReadWrite: flags |= O_RDWR; break;
        default: flags |= O_RDONLY; break;
        }
    std::string why;
    const int fd = sys::OpenRegularFile(FileName, flags, why);
    if (fd < 0)
    {
        if (create) throw EFCreateError("Cannot create file \"" + FileName + "\". " + why);
        throw EFOpenError("Cannot open file \"" + FileName + "\". " + why);
    }
    handle_ = fd;
}

TFileStream::~TFileStream()
{
    if (handle_ >= 0) ::close(handle_);
}

// ---- TMemoryStream ---------------------------------------------------------

std::int64_t TMemoryStream::Read(void* Buffer, std::int64_t Count)
{
    std::int64_t size = std::int64_t(data_.size());
    if (Count <= 0 || pos_ >= size) return 0;
    std::int64_t n = std::min(Count, size - pos_);
    std::memcpy(Buffer, data_.data() + pos_, std::size_t(n));
    pos_ += n;
    return n;
}

std::int64_t TMemoryStream::Write(const void* Buffer, std::int64_t Count)
{
    if (Count <= 0) return 0;
    std::int64_t end = pos_ + Count;
    if (end > std::int64_t(data_.size())) data_.resize(std::size_t(end));
    std::memcpy(data_.data() + pos_, Buffer, std::size_t(Count));
    pos_ = end;
    return Count;
}

std::int64_t TMemoryStream::Seek(std::int64_t Offset, TSeekOrigin Origin)
{
    std::int64_t base = Origin == soBeginning ? 0 : Origin == soCurrent ? pos_ : std::int64_t(data_.size());
    std::int64_t p = base + Offset;
    if (p < 0) throw EStreamError("Stream seek error. Invalid argument");
    pos_ = p;   // beyond the end is allowed; a write there fills the gap with zeros
    return pos_;
}

void TMemoryStream::SetSize(std::int64_t NewSize)
{
    if (NewSize < 0) throw EStreamError("Stream size cannot be changed");
    data_.resize(std::size_t(NewSize));
    if (pos_ > NewSize) pos_ = NewSize;
}

void TMemoryStream::Clear()
{
    data_.clear();
    data_.shrink_to_fit();
    pos_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& Stream)
{
    Stream.SetPosition(0);
    std::int64_t n = Stream.Size() - Stream.Position();
    std::vector<std::uint8_t> buf(std::size_t(std::max<std::int64_t>(n, 0)));
    if (n > 0) Stream.ReadBuffer(buf.data(), n);
    data_.swap(buf);
    pos_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& FileName)
{
    TFileStream f(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(f);
}

void TMemoryStream::SaveToStream(TStream& Stream)
{
    if (!data_.empty()) Stream.WriteBuffer(data_.data(), std::int64_t(data_.size()));
}

void TMemoryStream::SaveToFile(const std::string& FileName)
{
    TFileStream f(FileName, fmCreate);
    SaveToStream(f);
}

// ---- TStringStream ---------------------------------------------------------

TStringStream::TStringStream(const std::string& AString)
{
    data_.assign(AString.begin(), AString.end());
}

std::string TStringStream::DataString() const { return std::string(data_.begin(), data_.end()); }

std::string TStringStream::ReadString(std::int64_t Count)
{
    std::int64_t size = std::int64_t(data_.size());
    if (Count <= 0 || pos_ >= size) return {};
    std::int64_t n = std::min(Count, size - pos_);
    std::string s(reinterpret_cast<const char*>(data_.data() + pos_), std::size_t(n));
    pos_ += n;
    return s;
}

void TStringStream::WriteString(const std::string& AString)
{
    WriteBuffer(AString.data(), std::int64_t(AString.size()));
}
