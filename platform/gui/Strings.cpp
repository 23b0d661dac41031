#include "platform/gui/Strings.h"

#include "platform/core/Utf8.h"
#include "platform/gui/Streams.h"
#include "platform/sys/Files.h"

#include <algorithm>
#include <numeric>

// ---- TStrings --------------------------------------------------------------

void TStrings::Error(const std::string& Msg, int Data) const
{
    throw EStringListError(Format(Msg.c_str(), Data));
}

void TStrings::Put(int Index, const std::string& S)
{
    TObject* obj = GetObject(Index);
    Delete(Index);
    InsertObject(Index, S, obj);
}

void TStrings::InsertObject(int Index, const std::string& S, TObject* AObject)
{
    Insert(Index, S);
    PutObject(Index, AObject);
}

int TStrings::Add(const std::string& S)
{
    int i = Count();
    Insert(i, S);
    return i;
}

int TStrings::AddObject(const std::string& S, TObject* AObject)
{
    int i = Add(S);
    PutObject(i, AObject);
    return i;
}

void TStrings::AddStrings(const TStrings& Strings)
{
    BeginUpdate();
    try
    {
        for (int i = 0; i < Strings.Count(); ++i) AddObject(Strings.Get(i), Strings.GetObject(i));
    }
    catch (...)
    {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::Exchange(int Index1, int Index2)
{
    BeginUpdate();
    try
    {
        std::string s = Get(Index1);
        TObject* o = GetObject(Index1);
        Put(Index1, Get(Index2));
        PutObject(Index1, GetObject(Index2));
        Put(Index2, s);
        PutObject(Index2, o);
    }
    catch (...)
    {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::Move(int CurIndex, int NewIndex)
{
    if (CurIndex == NewIndex) return;
    BeginUpdate();
    try
    {
        std::string s = Get(CurIndex);
        TObject* o = GetObject(CurIndex);
        Delete(CurIndex);
        InsertObject(NewIndex, s, o);
    }
    catch (...)
    {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

int TStrings::IndexOf(const std::string& S) const
{
    for (int i = 0; i < Count(); ++i)
        if (CompareStrings(Get(i), S) == 0) return i;
    return -1;
}

int TStrings::IndexOfObject(const TObject* AObject) const
{
    for (int i = 0; i < Count(); ++i)
        if (GetObject(i) == AObject) return i;
    return -1;
}

bool TStrings::Equals(const TStrings& Strings) const
{
    if (Count() != Strings.Count()) return false;
    for (int i = 0; i < Count(); ++i)
        if (Get(i) != Strings.Get(i)) return false;
    return true;
}

std::string TStrings::Names(int Index) const
{
    std::string s = Get(Index);
    std::size_t p = s.find(nameValueSeparator_);
    return p == std::string::npos ? std::string() : s.substr(0, p);
}

std::string TStrings::ValueFromIndex(int Index) const
{
    std::string s = Get(Index);
    std::size_t p = s.find(nameValueSeparator_);
    return p == std::string::npos ? std::string() : s.substr(p + 1);
}

void TStrings::SetValueFromIndex(int Index, const std::string& Value)
{
    if (Value.empty())
    {
        Delete(Index);
        return;
    }
    std::string name = Names(Index);
    Put(Index, name + nameValueSeparator_ + Value);
}

int TStrings::IndexOfName(const std::string& Name) const
{
    for (int i = 0; i < Count(); ++i)
    {
        std::string s = Get(i);
        std::size_t p = s.find(nameValueSeparator_);
        if (p != std::string::npos && CompareStrings(s.substr(0, p), Name) == 0) return i;
    }
    return -1;
}

std::string TStrings::Values(const std::string& Name) const
{
    int i = IndexOfName(Name);
    return i < 0 ? std::string() : ValueFromIndex(i);
}

void TStrings::SetValues(const std::string& Name, const std::string& Value)
{
    int i = IndexOfName(Name);
    if (Value.empty())
    {
        if (i >= 0) Delete(i);
        return;
    }
    std::string line = Name + nameValueSeparator_ + Value;
    if (i < 0)
        Add(line);
    else
        Put(i, line);
}

std::string TStrings::Text() const
{
    std::string out;
    for (int i = 0; i < Count(); ++i)
    {
        out += Get(i);
        out += lineBreak_;
    }
    return out;
}

void TStrings::SetText(const std::string& Value)
{
    BeginUpdate();
    try
    {
        Clear();
        std::size_t i = 0;
        while (i < Value.size())
        {
            std::size_t j = Value.find_first_of("\r\n", i);
            if (j == std::string::npos)
            {
                Add(Value.substr(i));
                break;
            }
            Add(Value.substr(i, j - i));
            i = j + 1;
            if (Value[j] == '\r' && i < Value.size() && Value[i] == '\n') ++i;
        }
    }
    catch (...)
    {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

int TStrings::CompareStrings(const std::string& S1, const std::string& S2) const
{
    return caseSensitive_ ? AnsiCompareStr(S1, S2) : AnsiCompareText(S1, S2);
}

void TStrings::BeginUpdate()
{
    if (updateCount_ == 0) SetUpdateState(true);
    ++updateCount_;
}

void TStrings::EndUpdate()
{
    if (updateCount_ == 0) return;
    if (--updateCount_ == 0) SetUpdateState(false);
}


void TStrings::LoadFromStream(TStream& Stream)
{
    std::int64_t n = Stream.Size() - Stream.Position();
    std::string bytes(std::size_t(std::max<std::int64_t>(n, 0)), '\0');
    if (n > 0) Stream.ReadBuffer(bytes.data(), n);
    SetText(DecodeTextBytes(std::move(bytes)));
}

void TStrings::SaveToStream(TStream& Stream) const
{
    std::string t = Text();
    Stream.WriteBuffer(t.data(), std::int64_t(t.size()));
}

void TStrings::LoadFromFile(const std::string& FileName)
{
    TFileStream f(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(f);
}

void TStrings::SaveToFile(const std::string& FileName) const
{
    sys::WriteFileAtomic(FileName, Text());
}

void TStrings::Assign(const TPersistent* Source)
{
    auto* src = dynamic_cast<const TStrings*>(Source);
    if (!src)
    {
        TPersistent::Assign(Source);
        return;
    }
    if (src == this) return;
    BeginUpdate();
    try
    {
        Clear();
        nameValueSeparator_ = src->nameValueSeparator_;
        lineBreak_ = src->lineBreak_;
        AddStrings(*src);
    }
    catch (...)
    {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

// ---- TStringList -----------------------------------------------------------

TStringList::~TStringList()
{
    OnChange = nullptr;
    OnChanging = nullptr;
    if (ownsObjects_)
        for (Item& it : items_) delete it.obj;
}

void TStringList::CheckIndex(int Index) const
{
    if (Index < 0 || Index >= int(items_.size())) Error("List index out of bounds (%d)", Index);
}

std::string TStringList::Get(int Index) const
{
    CheckIndex(Index);
    return items_[std::size_t(Index)].s;
}

void TStringList::Put(int Index, const std::string& S)
{
    if (sorted_) Error("Operation not allowed on sorted list", 0);
    CheckIndex(Index);
    Changing();
    items_[std::size_t(Index)].s = S;
    Changed();
}

TObject* TStringList::GetObject(int Index) const
{
    CheckIndex(Index);
    return items_[std::size_t(Index)].obj;
}

void TStringList::PutObject(int Index, TObject* AObject)
{
    CheckIndex(Index);
    Changing();
    TObject*& slot = items_[std::size_t(Index)].obj;
    if (ownsObjects_ && slot != AObject) delete slot;
    slot = AObject;
    Changed();
}

void TStringList::Clear()
{
    if (items_.empty()) return;
    Changing();
    std::vector<Item> old;
    old.swap(items_);
    if (ownsObjects_)
        for (Item& it : old) delete it.obj;
    Changed();
}

void TStringList::Delete(int Index)
{
    CheckIndex(Index);
    Changing();
    TObject* obj = items_[std::size_t(Index)].obj;
    items_.erase(items_.begin() + Index);
    if (ownsObjects_) delete obj;
    Changed();
}

void TStringList::InsertItem(int Index, const std::string& S, TObject* AObject)
{
    Changing();
    items_.insert(items_.begin() + Index, Item{S, AObject});
    Changed();
}

void TStringList::Insert(int Index, const std::string& S) { InsertObject(Index, S, nullptr); }

void TStringList::InsertObject(int Index, const std::string& S, TObject* AObject)
{
    if (sorted_) Error("Operation not allowed on sorted list", 0);
    if (Index < 0 || Index > int(items_.size())) Error("List index out of bounds (%d)", Index);
    InsertItem(Index, S, AObject);
}

int TStringList::Add(const std::string& S) { return AddObject(S, nullptr); }

int TStringList::AddObject(const std::string& S, TObject* AObject)
{
    int index;
    if (!sorted_)
        index = int(items_.size());
    else if (Find(S, index))
    {
        if (duplicates_ == dupIgnore) return index;
        if (duplicates_ == dupError) Error("String list does not allow duplicates", 0);
    }
    InsertItem(index, S, AObject);
    return index;
}

void TStringList::Exchange(int Index1, int Index2)
{
    CheckIndex(Index1);
    CheckIndex(Index2);
    Changing();
    std::swap(items_[std::size_t(Index1)], items_[std::size_t(Index2)]);
    Changed();
}

bool TStringList::Find(const std::string& S, int& Index) const
{
    int lo = 0, hi = int(items_.size()) - 1;
    bool found = false;
    while (lo <= hi)
    {
        int mid = (lo + hi) / 2;
        int c = CompareStrings(items_[std::size_t(mid)].s, S);
        if (c < 0)
            lo = mid + 1;
        else
        {
            hi = mid - 1;
            if (c == 0)
            {
                found = true;
                if (duplicates_ != dupAccept) lo = mid;
            }
        }
    }
    Index = lo;
    return found;
}

int TStringList::IndexOf(const std::string& S) const
{
    if (!sorted_) return TStrings::IndexOf(S);
    int i;
    return Find(S, i) ? i : -1;
}

void TStringList::QuickSort(const TStringListSortCompare& cmp)
{
    // Sort a permutation while the lines stay where the comparer sees them,
    // then apply it. Stable, so equal lines keep their order.
    std::vector<int> order(items_.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return cmp(this, a, b) < 0; });
    std::vector<Item> sorted;
    sorted.reserve(items_.size());
    for (int i : order) sorted.push_back(std::move(items_[std::size_t(i)]));
    items_.swap(sorted);
}

void TStringList::CustomSort(TStringListSortCompare Compare)
{
    if (sorted_ || items_.size() < 2 || !Compare) return;
    Changing();
    QuickSort(Compare);
    Changed();
}

void TStringList::Sort()
{
    if (items_.size() < 2) return;
    Changing();
    QuickSort([](TStringList* l, int a, int b) {
        return l->CompareStrings(l->items_[std::size_t(a)].s, l->items_[std::size_t(b)].s);
    });
    Changed();
}

void TStringList::SetSorted(bool Value)
{
    if (sorted_ == Value) return;
    if (Value) Sort();
    sorted_ = Value;
}

void TStringList::SetCaseSensitive(bool Value)
{
    if (Value == CaseSensitive()) return;
    TStrings::SetCaseSensitive(Value);
    if (sorted_) Sort();
}

void TStringList::SetText(const std::string& Value)
{
    TStrings::SetText(Value);
}

void TStringList::LoadFromStream(TStream& Stream)
{
    TStrings::LoadFromStream(Stream);
}

void TStringList::Changing()
{
    if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::Changed()
{
    if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::SetUpdateState(bool Updating)
{
    if (Updating)
        Changing();
    else
        Changed();
}
