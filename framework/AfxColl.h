// Growable arrays and a hash map with the class library's interfaces. Growth that cannot get memory
// throws CMemoryException*, as the class library does.
#pragma once
#include "framework/AfxExcept.h"
#include <new>
#include <vector>

// Tests make the n-th next container growth fail (n = 1: the next one); 0 switches it off.
void AfxInjectAllocationFailure(int n);
// Called before every container growth; throws CMemoryException* when an injected failure is due.
void AfxCheckAllocation();

typedef struct __POSITION { } *POSITION;
#define BEFORE_START_POSITION ((POSITION)-1L)

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray : public CObject {
public:
    CArray() {}
    INT_PTR GetSize() const { return (INT_PTR)m_data.size(); }
    INT_PTR GetCount() const { return (INT_PTR)m_data.size(); }
    BOOL IsEmpty() const { return m_data.empty(); }
    INT_PTR GetUpperBound() const { return GetSize() - 1; }
    void SetSize(INT_PTR nNewSize, INT_PTR nGrowBy = -1)
    {
        (void)nGrowBy;
        if (nNewSize < 0) nNewSize = 0;
        if ((size_t)nNewSize > m_data.size()) AfxCheckAllocation();
        try { m_data.resize(nNewSize); } catch (std::bad_alloc&) { AfxThrowMemoryException(); }
    }
    void RemoveAll() { m_data.clear(); m_data.shrink_to_fit(); }
    TYPE GetAt(INT_PTR i) const { return m_data[i]; }
    void SetAt(INT_PTR i, ARG_TYPE v) { m_data[i] = v; }
    TYPE& ElementAt(INT_PTR i) { return m_data[i]; }
    const TYPE* GetData() const { return m_data.data(); }
    TYPE* GetData() { return m_data.data(); }
    void SetAtGrow(INT_PTR i, ARG_TYPE v) { if (i >= GetSize()) SetSize(i + 1); m_data[i] = v; }
    INT_PTR Add(ARG_TYPE v)
    {
        AfxCheckAllocation();
        try { m_data.push_back(v); } catch (std::bad_alloc&) { AfxThrowMemoryException(); }
        return GetSize() - 1;
    }
    void InsertAt(INT_PTR i, ARG_TYPE v, INT_PTR nCount = 1)
    {
        AfxCheckAllocation();
        if (i > GetSize()) SetSize(i);
        try { m_data.insert(m_data.begin() + i, nCount, v); } catch (std::bad_alloc&) { AfxThrowMemoryException(); }
    }
    void RemoveAt(INT_PTR i, INT_PTR nCount = 1) { m_data.erase(m_data.begin() + i, m_data.begin() + i + nCount); }
    TYPE& operator[](INT_PTR i) { return m_data[i]; }
    TYPE operator[](INT_PTR i) const { return m_data[i]; }
protected:
    std::vector<TYPE> m_data;
};

class CPtrArray : public CArray<void*, void*> {
};

class CObArray : public CArray<CObject*, CObject*> {
};

class CUIntArray : public CArray<UINT, UINT> {
};

class CDWordArray : public CArray<DWORD, DWORD> {
};

// A pointer array that hands out typed pointers.
template <class BASE_CLASS, class TYPE>
class CTypedPtrArray : public BASE_CLASS {
public:
    TYPE GetAt(INT_PTR i) const { return (TYPE)BASE_CLASS::GetAt(i); }
    TYPE& ElementAt(INT_PTR i) { return (TYPE&)BASE_CLASS::ElementAt(i); }
    void SetAt(INT_PTR i, TYPE p) { BASE_CLASS::SetAt(i, p); }
    void SetAtGrow(INT_PTR i, TYPE p) { BASE_CLASS::SetAtGrow(i, p); }
    INT_PTR Add(TYPE p) { return BASE_CLASS::Add(p); }
    void InsertAt(INT_PTR i, TYPE p, INT_PTR nCount = 1) { BASE_CLASS::InsertAt(i, p, nCount); }
    TYPE& operator[](INT_PTR i) { return (TYPE&)BASE_CLASS::ElementAt(i); }
    TYPE operator[](INT_PTR i) const { return GetAt(i); }
};

template <class ARG_KEY>
inline UINT HashKey(ARG_KEY key) { return (UINT)(((UINT_PTR)key) >> 4); }

// Hash map with chained buckets whose nodes are allocated in blocks of the given size. Iteration by
// POSITION tolerates removing the entry just returned.
template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
class CMap : public CObject {
    struct CAssoc {
        CAssoc* pNext;
        UINT nHashValue;
        KEY key;
        VALUE value;
    };
public:
    explicit CMap(INT_PTR nBlockSize = 10) : m_nBlockSize(nBlockSize > 0 ? nBlockSize : 10) {}
    ~CMap() { RemoveAll(); }
    INT_PTR GetCount() const { return m_nCount; }
    INT_PTR GetSize() const { return m_nCount; }
    BOOL IsEmpty() const { return m_nCount == 0; }
    INT_PTR GetBlockSize() const { return m_nBlockSize; }
    UINT GetHashTableSize() const { return (UINT)m_buckets.size(); }

    void InitHashTable(UINT nHashSize, BOOL = TRUE)
    {
        if (m_nCount == 0) m_buckets.assign(nHashSize ? nHashSize : 17, nullptr);
    }

    BOOL Lookup(ARG_KEY key, VALUE& rValue) const
    {
        UINT h;
        CAssoc* p = GetAssocAt(key, h);
        if (!p) return FALSE;
        rValue = p->value;
        return TRUE;
    }

    VALUE& operator[](ARG_KEY key)
    {
        UINT h;
        CAssoc* p = GetAssocAt(key, h);
        if (!p) {
            if (m_buckets.empty()) InitHashTable(17);
            p = NewAssoc();
            p->nHashValue = h;
            p->key = key;
            p->pNext = m_buckets[h % m_buckets.size()];
            m_buckets[h % m_buckets.size()] = p;
        }
        return p->value;
    }

    void SetAt(ARG_KEY key, ARG_VALUE value) { (*this)[key] = value; }

    BOOL RemoveKey(ARG_KEY key)
    {
        if (m_buckets.empty()) return FALSE;
        CAssoc** pp = &m_buckets[HashKey<ARG_KEY>(key) % m_buckets.size()];
        for (CAssoc* p = *pp; p; pp = &p->pNext, p = p->pNext) {
            if (p->key == key) {
                *pp = p->pNext;
                FreeAssoc(p);
                return TRUE;
            }
        }
        return FALSE;
    }

    void RemoveAll()
    {
        for (CAssoc* head : m_buckets)
            for (CAssoc* p = head; p; p = p->pNext) { p->key.~KEY(); p->value.~VALUE(); }
        for (auto* block : m_blocks) ::operator delete(block);
        m_blocks.clear();
        m_buckets.assign(m_buckets.size(), nullptr);
        m_pFree = nullptr;
        m_nCount = 0;
    }

    POSITION GetStartPosition() const { return m_nCount == 0 ? nullptr : BEFORE_START_POSITION; }

    void GetNextAssoc(POSITION& rNextPosition, KEY& rKey, VALUE& rValue) const
    {
        CAssoc* p = (CAssoc*)rNextPosition;
        if (p == (CAssoc*)BEFORE_START_POSITION) {
            p = nullptr;
            for (size_t b = 0; b < m_buckets.size() && !p; ++b) p = m_buckets[b];
        }
        // Find the next one before handing this one out, so that the caller may remove it.
        CAssoc* next = p->pNext;
        if (!next)
            for (size_t b = p->nHashValue % m_buckets.size() + 1; b < m_buckets.size() && !next; ++b) next = m_buckets[b];
        rNextPosition = (POSITION)next;
        rKey = p->key;
        rValue = p->value;
    }

private:
    CAssoc* GetAssocAt(ARG_KEY key, UINT& nHash) const
    {
        nHash = HashKey<ARG_KEY>(key);
        if (m_buckets.empty()) return nullptr;
        for (CAssoc* p = m_buckets[nHash % m_buckets.size()]; p; p = p->pNext)
            if (p->key == key) return p;
        return nullptr;
    }

    CAssoc* NewAssoc()
    {
        if (!m_pFree) {
            AfxCheckAllocation();
            CAssoc* block = nullptr;
            try {
                block = static_cast<CAssoc*>(::operator new(sizeof(CAssoc) * m_nBlockSize));
            } catch (std::bad_alloc&) {
                AfxThrowMemoryException();
            }
            m_blocks.push_back(block);
            for (INT_PTR i = m_nBlockSize - 1; i >= 0; --i) {
                block[i].pNext = m_pFree;
                m_pFree = &block[i];
            }
        }
        CAssoc* p = m_pFree;
        m_pFree = p->pNext;
        new (&p->key) KEY();
        new (&p->value) VALUE();
        ++m_nCount;
        return p;
    }

    void FreeAssoc(CAssoc* p)
    {
        p->key.~KEY();
        p->value.~VALUE();
        p->pNext = m_pFree;
        m_pFree = p;
        --m_nCount;
    }

    std::vector<CAssoc*> m_buckets;
    std::vector<CAssoc*> m_blocks;
    CAssoc* m_pFree = nullptr;
    INT_PTR m_nCount = 0;
    INT_PTR m_nBlockSize;
};
