// The settings file "option.ini" and the program's default folders.
//
// The file lives beside the program when that folder is writable, else in
// the user's configuration folder ($XDG_CONFIG_HOME/Quorvel MTS/option.ini);
// the choice is made once, when the file object is made at start-up. Values
// are read and written one at a time through the platform's ini file class
// (every write atomic and locked). Nothing here raises: a file that cannot be
// read gives the defaults, a write that fails is skipped, and each problem
// leaves one line in the notices the main window shows once it is up.
#pragma once
#include <memory>
#include <string>
#include <vector>

class TIniFile;

// Where the program's files go: the program's folder (with a trailing "/"),
// the user's configuration folder and home folder.
struct TOptionPlaces
{
    std::string ProgramFolder;
    std::string ConfigHome;
    std::string HomeFolder;
};
// The places of this process (its folder, $XDG_CONFIG_HOME, $HOME).
TOptionPlaces SystemOptionPlaces();

class TOptionFile
{
public:
    explicit TOptionFile(const TOptionPlaces& places);
    ~TOptionFile();

    // The full path of the file in use.
    const std::string& FileName() const { return FFileName; }
    bool BesideProgram() const { return FBesideProgram; }
    // The places it was made for.
    const TOptionPlaces& Places() const { return FPlaces; }
    // The file exists (as a file).
    bool Exists() const;
    // The stored value; "" when the key is missing, reads "Error", or the
    // file cannot be read.
    std::string Read(const std::string& section, const std::string& key);
    // Stores a value; false when it could not be written (a notice then says
    // so, once).
    bool Write(const std::string& section, const std::string& key, const std::string& value);

    // "~/Quorvel视频软件/输出" and "~/Quorvel视频软件/快照".
    std::string DefaultOutputFolder() const;
    std::string DefaultSnapshotFolder() const;

    // One line for the user; TakeNotices hands them over once.
    void AddNotice(const std::string& line);
    std::vector<std::string> TakeNotices();

private:
    void CheckFile();
    TOptionPlaces FPlaces;
    std::string FFileName;
    bool FBesideProgram = false;
    bool FUsable = true;       // false: neither read nor written this session
    bool FWriteFailed = false; // a write failure was noticed already
    std::unique_ptr<TIniFile> FIni;
    std::vector<std::string> FNotices;
};

// The value the settings file of these places holds, read without making,
// changing or waiting for anything (no folder made, a damaged file left
// where it is); "" when there is none. The start-up guesses ahead with it.
std::string PeekOption(const TOptionPlaces& places, const std::string& section, const std::string& key);

// The program's settings file; made from SystemOptionPlaces() at first use
// unless the start-up (or a test) installed one.
TOptionFile& OptionFile();
void UseOptionFile(std::unique_ptr<TOptionFile> file);
