// String lists: lines of UTF-8 text, each with an optional object pointer,
// with name=value access, sorting, searching and UTF-8 files.
#pragma once
#include "platform/gui/Classes.h"

#include <functional>
#include <string>
#include <vector>

class TStream;

class EStringListError : public EListError { public: using EListError::EListError; };

// The abstract list. Concrete storage is in TStringList.
class TStrings : public TPersistent
{
public:
    virtual int Count() const = 0;
    virtual std::string Get(int Index) const = 0;
    virtual void Put(int Index, const std::string& S);
    virtual TObject* GetObject(int Index) const { (void)Index; return nullptr; }
    virtual void PutObject(int Index, TObject* AObject) { (void)Index; (void)AObject; }
    virtual void Clear() = 0;
    virtual void Delete(int Index) = 0;
    virtual void Insert(int Index, const std::string& S) = 0;
    virtual void InsertObject(int Index, const std::string& S, TObject* AObject);

    std::string Strings(int Index) const { return Get(Index); }
    void SetStrings(int Index, const std::string& S) { Put(Index, S); }
    std::string operator[](int Index) const { return Get(Index); }
    TObject* Objects(int Index) const { return GetObject(Index); }
    void SetObjects(int Index, TObject* AObject) { PutObject(Index, AObject); }

    // Appends (or, in a sorted list, inserts in order); returns the index.
    virtual int Add(const std::string& S);
    virtual int AddObject(const std::string& S, TObject* AObject);
    void AddStrings(const TStrings& Strings);
    void Append(const std::string& S) { Add(S); }
    virtual void Exchange(int Index1, int Index2);
    virtual void Move(int CurIndex, int NewIndex);
    virtual int IndexOf(const std::string& S) const;
    int IndexOfObject(const TObject* AObject) const;
    bool Equals(const TStrings& Strings) const;

    // Name=value pairs: the name is the text before the first "=".
    std::string Names(int Index) const;
    std::string ValueFromIndex(int Index) const;
    void SetValueFromIndex(int Index, const std::string& Value);
    int IndexOfName(const std::string& Name) const;
    std::string Values(const std::string& Name) const;
    // Sets the value of Name; an empty value removes the line.
    void SetValues(const std::string& Name, const std::string& Value);
    char NameValueSeparator() const { return nameValueSeparator_; }
    void SetNameValueSeparator(char c) { nameValueSeparator_ = c; }

    // All lines, each ended by LineBreak ("\n" by default). Setting splits at
    // LF, CR LF or lone CR.
    std::string Text() const;
    virtual void SetText(const std::string& Value);
    const std::string& LineBreak() const { return lineBreak_; }
    void SetLineBreak(const std::string& Value) { lineBreak_ = Value; }

    // Case rule for searches; the default is case-insensitive.
    bool CaseSensitive() const { return caseSensitive_; }
    virtual void SetCaseSensitive(bool Value) { caseSensitive_ = Value; }
    // Compares two texts by the list's case rule.
    virtual int CompareStrings(const std::string& S1, const std::string& S2) const;

    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }

    // UTF-8 text; a UTF-8 byte-order mark at the start is skipped on load.
    // A UTF-16 text (with its byte-order mark) is converted to UTF-8.
    virtual void LoadFromStream(TStream& Stream);
    virtual void SaveToStream(TStream& Stream) const;
    void LoadFromFile(const std::string& FileName);
    // Written to a temporary file beside the target and renamed over it, so a
    // failed save leaves the old file as it was.
    void SaveToFile(const std::string& FileName) const;

    void Assign(const TPersistent* Source) override;

protected:
    // Called by BeginUpdate/EndUpdate when the update depth leaves/reaches 0.
    virtual void SetUpdateState(bool Updating) { (void)Updating; }
    [[noreturn]] void Error(const std::string& Msg, int Data) const;

private:
    bool caseSensitive_ = false;
    char nameValueSeparator_ = '=';
    std::string lineBreak_ = "\n";
    int updateCount_ = 0;
};

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList;
using TStringListSortCompare = std::function<int(TStringList* List, int Index1, int Index2)>;

class TStringList : public TStrings
{
public:
    TStringList() = default;
    // With OwnsObjects the list deletes the objects of lines it drops.
    explicit TStringList(bool OwnsObjects) : ownsObjects_(OwnsObjects) {}
    ~TStringList() override;
    TStringList(const TStringList&) = delete;
    TStringList& operator=(const TStringList&) = delete;

    int Count() const override { return int(items_.size()); }
    std::string Get(int Index) const override;
    void Put(int Index, const std::string& S) override;
    TObject* GetObject(int Index) const override;
    void PutObject(int Index, TObject* AObject) override;
    void Clear() override;
    void Delete(int Index) override;
    void Insert(int Index, const std::string& S) override;
    void InsertObject(int Index, const std::string& S, TObject* AObject) override;
    int Add(const std::string& S) override;
    int AddObject(const std::string& S, TObject* AObject) override;
    void Exchange(int Index1, int Index2) override;
    int IndexOf(const std::string& S) const override;
    void SetText(const std::string& Value) override;
    void LoadFromStream(TStream& Stream) override;

    // Binary search of a sorted list: true when found; Index is where S is or
    // would go. With dupAccept, Index is the first equal line.
    virtual bool Find(const std::string& S, int& Index) const;
    virtual void Sort();
    virtual void CustomSort(TStringListSortCompare Compare);

    bool Sorted() const { return sorted_; }
    void SetSorted(bool Value);
    TDuplicates Duplicates() const { return duplicates_; }
    void SetDuplicates(TDuplicates Value) { duplicates_ = Value; }
    void SetCaseSensitive(bool Value) override;
    bool OwnsObjects() const { return ownsObjects_; }
    void SetOwnsObjects(bool Value) { ownsObjects_ = Value; }

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    virtual void Changed();
    virtual void Changing();
    void SetUpdateState(bool Updating) override;

private:
    struct Item
    {
        std::string s;
        TObject* obj = nullptr;
    };
    void CheckIndex(int Index) const;
    void InsertItem(int Index, const std::string& S, TObject* AObject);
    void QuickSort(const TStringListSortCompare& cmp);

    std::vector<Item> items_;
    bool sorted_ = false;
    TDuplicates duplicates_ = dupIgnore;
    bool ownsObjects_ = false;
};
