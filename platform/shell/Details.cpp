// Type names by extension and the detail columns of a folder's items.
#include "platform/core/Utf8.h"
#include "platform/shell/Internal.h"
#include "platform/sys/Files.h"

#include <ctime>

namespace shell
{

std::string FileTypeName(const std::string& name, bool folder)
{
    if (folder) return "Folder";
    struct TType { const char* ext; const char* name; };
    static const TType types[] = {
        {".mp4", "MP4 Video"},   {".m4v", "MP4 Video"},   {".mkv", "Matroska Video"}, {".avi", "AVI Video"},
        {".mov", "QuickTime Video"}, {".wmv", "Windows Media Video"}, {".flv", "Flash Video"},
        {".webm", "WebM Video"}, {".mpg", "MPEG Video"},  {".mpeg", "MPEG Video"},    {".ts", "MPEG-TS Video"},
        {".3gp", "3GP Video"},   {".vob", "DVD Video"},   {".mp3", "MP3 Audio"},      {".wav", "Wave Audio"},
        {".flac", "FLAC Audio"}, {".ogg", "Ogg Audio"},   {".aac", "AAC Audio"},      {".m4a", "MPEG-4 Audio"},
        {".wma", "Windows Media Audio"}, {".ac3", "AC-3 Audio"}, {".amr", "AMR Audio"},
        {".jpg", "JPEG Image"},  {".jpeg", "JPEG Image"}, {".png", "PNG Image"},      {".bmp", "Bitmap Image"},
        {".gif", "GIF Image"},   {".txt", "Text Document"}, {".ini", "Configuration Settings"},
        {".srt", "Subtitles"},   {".ass", "Subtitles"},
    };
    std::string ext = LowerCase(sys::ExtractFileExt(name));
    if (ext.empty() || ext == name) return "File";   // no extension, or a dot-file's name alone
    for (const TType& t : types)
        if (ext == t.ext) return t.name;
    return UpperCase(SanitizeName(ext.substr(1))) + " File";
}

namespace {

// Bytes as kilobytes, rounded up, with thousands separators: "1 KB", "5,242,880 KB".
std::string SizeText(std::int64_t bytes)
{
    std::string digits = IntToStr((bytes + 1023) / 1024);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i)
    {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out + " KB";
}

std::string TimeText(std::int64_t t)
{
    std::time_t tt = std::time_t(t);
    std::tm tm{};
    if (!::localtime_r(&tt, &tm)) return {};
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M", &tm);
    return buf;
}

} // namespace

std::string TShellFolder::GetDetailsOf(const TItemIDList& relative, int column) const
{
    if (column == scName) return GetDisplayNameOf(relative, SHGDN_INFOLDER);
    std::uint32_t mask = SFGAO_FOLDER;
    if (!GetAttributesOf(relative, mask)) return {};
    bool folder = mask & SFGAO_FOLDER;
    if (column == scType)
        return FileTypeName(GetDisplayNameOf(relative, SHGDN_INFOLDER | SHGDN_FORPARSING), folder);
    if (folder) return {};
    if (column == scSize)
    {
        std::int64_t size = ItemSize(relative);
        return size < 0 ? std::string() : SizeText(size);
    }
    if (column == scModified)
    {
        std::int64_t t = ItemTime(relative);
        return t < 0 ? std::string() : TimeText(t);
    }
    return {};
}
}
