// Files and folders by UTF-8 path: the program's folder, existence tests,
// path-name helpers, folder listing with masks, and atomic whole-file writes.
// The path delimiter is "/".
#pragma once
#include "platform/core/Exception.h"

#include <cstdint>
#include <string>
#include <vector>

// A failed file operation; ErrorCode is the system's errno.
class EInOutError : public Exception
{
public:
    EInOutError(const std::string& msg, int code) : Exception(msg), ErrorCode(code) {}
    int ErrorCode;
};

namespace sys
{
constexpr char PathDelim = '/';

// Folder of the running program (from /proc/self/exe), with a trailing "/".
std::string ProgramFolder();
// Full path of the running program.
std::string ProgramPath();

// A file that is not a folder.
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// An existing folder in which this process may create files.
bool DirectoryWritable(const std::string& path);
// Whether this process may list the folder / read the file (its effective
// user and groups; nothing is opened).
bool DirectoryReadable(const std::string& path);
bool FileReadable(const std::string& path);
// Creates the folder and every missing parent; true when it exists afterwards.
bool ForceDirectories(const std::string& path);
bool CreateDir(const std::string& path);
bool RemoveDir(const std::string& path);
bool DeleteFile(const std::string& path);
// Renames a file or folder; fails (false) when the new name already exists.
bool RenameFile(const std::string& oldName, const std::string& newName);
// Modification time in seconds since 1970-01-01 UTC, or -1.
std::int64_t FileAge(const std::string& path);
// Size in bytes, or -1.
std::int64_t FileSize(const std::string& path);
std::string GetCurrentDir();
bool SetCurrentDir(const std::string& path);
// Absolute form of a path (relative to the current folder), with "." and ".."
// removed; the file need not exist.
std::string ExpandFileName(const std::string& path);

// "/a/b/c.txt" → "/a/b/"
std::string ExtractFilePath(const std::string& path);
// "/a/b/c.txt" → "/a/b"
std::string ExtractFileDir(const std::string& path);
// "/a/b/c.txt" → "c.txt"
std::string ExtractFileName(const std::string& path);
// "/a/b/c.tar.gz" → ".gz"; "" when the name has no dot.
std::string ExtractFileExt(const std::string& path);
// Replaces (or adds, or with "" removes) the extension of the name part.
std::string ChangeFileExt(const std::string& path, const std::string& ext);
std::string IncludeTrailingPathDelimiter(const std::string& path);
std::string ExcludeTrailingPathDelimiter(const std::string& path);

// Whether a file name matches a mask of "*", "?" and "[a-z]" sets, ignoring
// the case of letters. "*.*" matches every name, with or without a dot.
bool MatchesMask(const std::string& name, const std::string& mask);

// Attribute bits of a listed entry.
constexpr int faReadOnly = 0x01;
constexpr int faHidden = 0x02;
constexpr int faDirectory = 0x10;
constexpr int faSymLink = 0x40;
constexpr int faNormal = 0x80;

struct TSearchRec
{
    std::string Name;       // name within the folder
    std::int64_t Size = 0;
    std::int64_t Time = 0;  // modification time, seconds since 1970 UTC
    int Attr = 0;
};

// Entries of a folder whose names match the mask ("." and ".." left out),
// in the system's order. An unreadable folder gives an empty list and false.
bool ListDirectory(const std::string& folder, const std::string& mask, std::vector<TSearchRec>& out);

// True when the path names something that is neither a regular file nor a
// folder (a FIFO, socket or device): such a name is refused as a data file.
bool IsSpecialFile(const std::string& path);

// Opens a regular file with open(2) flags (O_CLOEXEC is added). Folders,
// FIFOs, sockets and devices are refused without blocking (opening a FIFO
// would wait for another process). Returns the descriptor, or -1 with the
// reason in Why ("Is a directory", "Not a regular file", or the system's).
int OpenRegularFile(const std::string& path, int flags, std::string& Why, unsigned mode = 0666);

// Reads a whole file; raises EInOutError when it cannot.
std::string ReadFileToString(const std::string& path);
// Replaces the file's contents at once: the data go to a temporary file in the
// same folder, are flushed to disk and renamed over the target, so a failure
// or a crash at any point leaves either the old file or the new one, never a
// mix. An existing file keeps its permissions, and one this process may not
// write is refused as a write to it would be ("Permission denied"). A symbolic
// link stays: the file it points to is replaced, in that file's folder. Raises
// EInOutError on failure.
void WriteFileAtomic(const std::string& path, const std::string& data);
// Writes a file that must not exist yet: the data go to a temporary file in
// the same folder, are flushed and then linked under the name, so the name
// shows either nothing or the whole file, and a file that took the name
// meanwhile is never replaced. False (nothing written) when the name is
// taken; raises EInOutError on any other failure.
bool WriteNewFile(const std::string& path, const std::string& data);

// An exclusive advisory lock on a file for one read-change-write across
// processes: taken, the file is read, changed and written with
// WriteFileAtomic, then the lock is dropped (destroyed). Writers that lock
// the same file take turns, each seeing the one before. A missing file is
// created empty to hold the lock, and removed again when nothing replaced it.
// Raises EInOutError when the file cannot be written.
class TFileUpdateLock
{
public:
    explicit TFileUpdateLock(const std::string& path);
    ~TFileUpdateLock();
    TFileUpdateLock(const TFileUpdateLock&) = delete;
    TFileUpdateLock& operator=(const TFileUpdateLock&) = delete;

private:
    std::string target_;
    int fd_ = -1;
    bool created_ = false;
};
}
