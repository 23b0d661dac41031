// Item-ID lists: the shell namespace's own path format, in byte form.
//
// A list is a run of items, each an unsigned 16-bit byte count (little-endian,
// counting its own two bytes) followed by the item's bytes, ended by a count
// of 0. The empty list (the terminator alone) names the desktop. Our items are
// one kind byte followed by UTF-8 (or raw file-name bytes):
//   kItemVirtual  a virtual folder by name ("home", "documents", "computer");
//   kItemVolume   a volume by its mount path ("/", "/media/u/STICK");
//   kItemName     one file-system name inside the folder before it.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shell
{
constexpr std::uint8_t kItemVirtual = 1;
constexpr std::uint8_t kItemVolume = 2;
constexpr std::uint8_t kItemName = 3;

// An owned item-ID list; always well formed and terminated.
class TItemIDList
{
public:
    // The empty list.
    TItemIDList() : bytes_{0, 0} {}
    // A list of one item.
    static TItemIDList Item(std::uint8_t kind, std::string_view text);
    // A copy of the bytes when they form a whole list (counts of at least 3
    // that stay inside, then a terminator); nothing otherwise.
    static std::optional<TItemIDList> FromBytes(const std::uint8_t* data, std::size_t size);

    const std::uint8_t* Data() const { return bytes_.data(); }
    std::uint8_t* Data() { return bytes_.data(); }
    // Bytes including the terminator.
    std::size_t Size() const { return bytes_.size(); }
    bool Empty() const { return bytes_.size() == 2; }
    bool operator==(const TItemIDList& other) const { return bytes_ == other.bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
    friend TItemIDList JoinItemIDLists(const TItemIDList*, const TItemIDList*);
    friend void RemoveLastItemID(TItemIDList*);
};

// Item at the start of a list position: its byte count (0 at the terminator).
std::uint16_t ItemIDCount(const std::uint8_t* item);
// The item after the first (the terminator stays where it is).
const std::uint8_t* NextItemID(const std::uint8_t* list);
// Kind byte and text of the item at a position (0 and "" at the terminator).
std::uint8_t ItemIDKind(const std::uint8_t* item);
std::string ItemIDText(const std::uint8_t* item);

int CountItemIDs(const TItemIDList& list);
// Bytes including the terminator; 0 for no list.
std::size_t ItemIDListSize(const TItemIDList* list);
TItemIDList DuplicateItemIDList(const TItemIDList& list);
// The first without its terminator followed by the whole second; a missing
// list counts as the empty one.
TItemIDList JoinItemIDLists(const TItemIDList* first, const TItemIDList* second);
// Drops the last item in place; a missing or empty list stays as it is.
void RemoveLastItemID(TItemIDList* list);
// The last item alone (the empty list for the empty list).
TItemIDList LastItemIDOf(const TItemIDList& list);
// Every proper prefix, shortest first: the empty list, 1 item, …, n-1 items.
std::vector<TItemIDList> BuildItemIDPrefixList(const TItemIDList& list);
// The items of a list as one-item lists, in order.
std::vector<TItemIDList> SplitItemIDList(const TItemIDList& list);
}
