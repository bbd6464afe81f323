#pragma once
// The framework's ordered list of strings, each line with an optional object. The list
// owns its objects: whoever owns the list owns them.
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace zov {

class TObject {
public:
    virtual ~TObject() = default;
};

class TStringList {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    const std::string& operator[](int index) const { return items_.at(Index(index)).text; }
    TObject* Objects(int index) const { return items_.at(Index(index)).object.get(); }

    int Add(std::string text, std::unique_ptr<TObject> object = nullptr) {
        items_.push_back({std::move(text), std::move(object)});
        return Count() - 1;
    }
    void Clear() { items_.clear(); }
    // The first line equal to `text` without regard to the case of ASCII letters; -1 if none.
    int IndexOf(const std::string& text) const {
        for (int i = 0; i < Count(); ++i)
            if (SameText(items_[Index(i)].text, text)) return i;
        return -1;
    }

    static bool SameText(const std::string& a, const std::string& b) {
        if (a.size() != b.size()) return false;
        for (size_t i = 0; i < a.size(); ++i)
            if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
        return true;
    }

private:
    struct Item {
        std::string text;
        std::unique_ptr<TObject> object;
    };
    static size_t Index(int index) { return static_cast<size_t>(index); }
    static char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

    std::vector<Item> items_;
};

}  // namespace zov
