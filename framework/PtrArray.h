#pragma once
#include <cstddef>
#include <vector>

// A growable list of pointers that never frees what it points to: the owner
// of the list frees the records before it empties the list.
template <class T>
class CTypedPtrArray {
public:
    int GetSize() const { return static_cast<int>(m_items.size()); }
    bool IsEmpty() const { return m_items.empty(); }
    T* GetAt(int i) const { return m_items[static_cast<std::size_t>(i)]; }
    T* operator[](int i) const { return GetAt(i); }
    int Add(T* p)
    {
        m_items.push_back(p);
        return GetSize() - 1;
    }
    // Later elements move down by one.
    void RemoveAt(int i) { m_items.erase(m_items.begin() + i); }
    void RemoveAll() { m_items.clear(); }

private:
    std::vector<T*> m_items;
};
