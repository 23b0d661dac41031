// Item-ID lists in byte form.
#include "platform/shell/ItemIDList.h"

namespace shell
{

TItemIDList TItemIDList::Item(std::uint8_t kind, std::string_view text)
{
    std::size_t count = 3 + text.size();
    if (count > 0xFFFF) count = 0xFFFF;   // a name longer than any file system allows is cut
    TItemIDList l;
    l.bytes_.assign(count + 2, 0);
    l.bytes_[0] = std::uint8_t(count & 0xFF);
    l.bytes_[1] = std::uint8_t(count >> 8);
    l.bytes_[2] = kind;
    for (std::size_t i = 3; i < count; ++i) l.bytes_[i] = std::uint8_t(text[i - 3]);
    return l;
}

std::optional<TItemIDList> TItemIDList::FromBytes(const std::uint8_t* data, std::size_t size)
{
    if (!data) return std::nullopt;
    std::size_t i = 0;
    while (true)
    {
        if (i + 2 > size) return std::nullopt;
        std::size_t count = data[i] | (std::size_t(data[i + 1]) << 8);
        if (count == 0) break;
        if (count < 3 || i + count > size) return std::nullopt;
        i += count;
    }
    TItemIDList l;
    l.bytes_.assign(data, data + i + 2);
    return l;
}

std::uint16_t ItemIDCount(const std::uint8_t* item)
{
    return std::uint16_t(item[0] | (item[1] << 8));
}

const std::uint8_t* NextItemID(const std::uint8_t* list)
{
    return list + ItemIDCount(list);
}

std::uint8_t ItemIDKind(const std::uint8_t* item)
{
    return ItemIDCount(item) >= 3 ? item[2] : 0;
}

std::string ItemIDText(const std::uint8_t* item)
{
    std::uint16_t n = ItemIDCount(item);
    return n > 3 ? std::string(reinterpret_cast<const char*>(item + 3), n - 3) : std::string();
}

int CountItemIDs(const TItemIDList& list)
{
    int n = 0;
    for (const std::uint8_t* p = list.Data(); ItemIDCount(p) != 0; p = NextItemID(p)) ++n;
    return n;
}

std::size_t ItemIDListSize(const TItemIDList* list)
{
    return list ? list->Size() : 0;
}

TItemIDList DuplicateItemIDList(const TItemIDList& list)
{
    return list;
}

TItemIDList JoinItemIDLists(const TItemIDList* first, const TItemIDList* second)
{
    TItemIDList out;
    out.bytes_.clear();
    if (first) out.bytes_.assign(first->bytes_.begin(), first->bytes_.end() - 2);
    if (second)
        out.bytes_.insert(out.bytes_.end(), second->bytes_.begin(), second->bytes_.end());
    else
        out.bytes_.insert(out.bytes_.end(), {0, 0});
    return out;
}

void RemoveLastItemID(TItemIDList* list)
{
    if (!list || list->Empty()) return;
    const std::uint8_t* base = list->Data();
    const std::uint8_t* last = base;
    for (const std::uint8_t* p = base; ItemIDCount(p) != 0; p = NextItemID(p)) last = p;
    list->bytes_.resize(std::size_t(last - base) + 2);
    list->bytes_[list->bytes_.size() - 2] = 0;
    list->bytes_[list->bytes_.size() - 1] = 0;
}

std::vector<TItemIDList> SplitItemIDList(const TItemIDList& list)
{
    std::vector<TItemIDList> out;
    for (const std::uint8_t* p = list.Data(); ItemIDCount(p) != 0; p = NextItemID(p))
        out.push_back(TItemIDList::Item(ItemIDKind(p), ItemIDText(p)));
    return out;
}

TItemIDList LastItemIDOf(const TItemIDList& list)
{
    std::vector<TItemIDList> items = SplitItemIDList(list);
    return items.empty() ? TItemIDList() : items.back();
}

std::vector<TItemIDList> BuildItemIDPrefixList(const TItemIDList& list)
{
    std::vector<TItemIDList> out;
    std::vector<TItemIDList> items = SplitItemIDList(list);
    TItemIDList prefix;
    for (std::size_t i = 0; i < items.size(); ++i)
    {
        out.push_back(prefix);
        prefix = JoinItemIDLists(&prefix, &items[i]);
    }
    return out;
}
}
