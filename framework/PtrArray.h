#pragma once
#include <windows.h>

// A growable list of pointers that never frees what it points to: the owner
// of the list frees the records before it empties the list. Running out of
// memory is an answer, not an exception: Add returns -1 and the list stays
// as it was.
template <class T>
class CTypedPtrArray {
public:
    CTypedPtrArray() = default;
    ~CTypedPtrArray()
    {
        if (m_items)
            HeapFree(GetProcessHeap(), 0, m_items);
    }
    CTypedPtrArray(const CTypedPtrArray&) = delete;
    CTypedPtrArray& operator=(const CTypedPtrArray&) = delete;

    int GetSize() const { return m_size; }
    bool IsEmpty() const { return m_size == 0; }
    T* GetAt(int i) const { return m_items[i]; }
    T* operator[](int i) const { return GetAt(i); }
    // The new element's index, or -1 when there was no room for it.
    int Add(T* p)
    {
        if (m_size == m_capacity && !Grow())
            return -1;
        m_items[m_size] = p;
        return m_size++;
    }
    // Puts p at i, later elements moving up by one; false when there was no
    // room for it.
    bool InsertAt(int i, T* p)
    {
        if (m_size == m_capacity && !Grow())
            return false;
        MoveMemory(m_items + i + 1, m_items + i, static_cast<SIZE_T>(m_size - i) * sizeof(T*));
        m_items[i] = p;
        ++m_size;
        return true;
    }
    void SetAt(int i, T* p) { m_items[i] = p; }
    // Keeps the first nCount elements.
    void Truncate(int nCount)
    {
        if (nCount < m_size)
            m_size = nCount;
    }
    // Later elements move down by one.
    void RemoveAt(int i)
    {
        MoveMemory(m_items + i, m_items + i + 1, static_cast<SIZE_T>(m_size - i - 1) * sizeof(T*));
        --m_size;
    }
    void RemoveAll() { m_size = 0; }
    // Room for nCount more elements, so that as many Adds cannot fail.
    bool Reserve(int nCount)
    {
        while (m_capacity - m_size < nCount)
            if (!Grow())
                return false;
        return true;
    }
    // The index of the first element equal to p, or -1.
    int Find(const T* p) const
    {
        for (int i = 0; i < m_size; ++i)
            if (m_items[i] == p)
                return i;
        return -1;
    }

private:
    bool Grow()
    {
        const int capacity = m_capacity ? m_capacity * 2 : 16;
        const SIZE_T bytes = static_cast<SIZE_T>(capacity) * sizeof(T*);
        void* grown = m_items ? HeapReAlloc(GetProcessHeap(), 0, m_items, bytes) : HeapAlloc(GetProcessHeap(), 0, bytes);
        if (!grown)
            return false;
        m_items = static_cast<T**>(grown);
        m_capacity = capacity;
        return true;
    }

    T** m_items = nullptr;
    int m_size = 0;
    int m_capacity = 0;
};
