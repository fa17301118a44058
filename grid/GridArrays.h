// The grid's per-row and per-column arrays. Rows are taken off the top of a large grid as often as
// they are appended at its end, so both ends must be cheap: the elements live in a vector from an
// offset on, and taking the first element off only moves the offset. The size arrays also keep the
// sum of their sizes, and of their first few (the fixed rows or columns), up to date with every
// change, so that the scroll bars never need a walk over all rows.
#pragma once
#include "framework/AfxColl.h"
#include <algorithm>
#include <vector>

template <class T>
class CGridArray {
public:
    INT_PTR GetSize() const { return (INT_PTR)(m_data.size() - m_head); }
    INT_PTR GetCount() const { return GetSize(); }
    T GetAt(INT_PTR i) const { return m_data[m_head + i]; }
    void SetAt(INT_PTR i, T v) { m_data[m_head + i] = v; }
    T& operator[](INT_PTR i) { return m_data[m_head + i]; }
    T operator[](INT_PTR i) const { return m_data[m_head + i]; }

    // New elements are value-initialised (null, 0).
    void SetSize(INT_PTR nNewSize)
    {
        if (nNewSize < 0) nNewSize = 0;
        if (nNewSize > GetSize()) AfxCheckAllocation();
        try {
            m_data.resize(m_head + nNewSize);
        } catch (std::bad_alloc&) {
            AfxThrowMemoryException();
        }
        Compact();
    }

    void InsertAt(INT_PTR i, T v)
    {
        AfxCheckAllocation();
        if (m_head > 0 && i < GetSize() / 2) {
            // The room in front takes the shift of the shorter side.
            --m_head;
            std::move(m_data.begin() + m_head + 1, m_data.begin() + m_head + 1 + i, m_data.begin() + m_head);
            m_data[m_head + i] = v;
            return;
        }
        try {
            m_data.insert(m_data.begin() + m_head + i, v);
        } catch (std::bad_alloc&) {
            AfxThrowMemoryException();
        }
    }

    void RemoveAt(INT_PTR i)
    {
        if (i < GetSize() / 2) {
            std::move_backward(m_data.begin() + m_head, m_data.begin() + m_head + i, m_data.begin() + m_head + i + 1);
            m_data[m_head] = T();
            ++m_head;
            Compact();
        } else {
            m_data.erase(m_data.begin() + m_head + i);
        }
    }

    void RemoveAll()
    {
        m_data.clear();
        m_data.shrink_to_fit();
        m_head = 0;
    }

private:
    // The room in front is given back once it is as large as what is stored: the waste stays within
    // the stored size, and each element is moved for it at most once per halving, so a long run of
    // removals from the front costs in proportion to its length.
    void Compact()
    {
        if (m_head == 0 || m_head < (INT_PTR)m_data.size() - m_head) return;
        m_data.erase(m_data.begin(), m_data.begin() + m_head);
        m_head = 0;
    }

    std::vector<T> m_data;
    INT_PTR m_head = 0;
};

// Row heights or column widths in pixels. Written only through SetAt and the other changes below,
// so that the total and the leading total stay true.
class CGridSizeArray {
public:
    INT_PTR GetSize() const { return m_sizes.GetSize(); }
    UINT GetAt(INT_PTR i) const { return m_sizes.GetAt(i); }
    UINT operator[](INT_PTR i) const { return m_sizes.GetAt(i); }

    void SetAt(INT_PTR i, UINT v)
    {
        long long delta = (long long)v - m_sizes.GetAt(i);
        m_sizes.SetAt(i, v);
        m_total += delta;
        if (i < m_nLead) m_leadTotal += delta;
    }

    // New entries take nFill.
    void SetSize(INT_PTR nNewSize, UINT nFill = 0)
    {
        INT_PTR nOld = GetSize();
        if (nNewSize < 0) nNewSize = 0;
        for (INT_PTR i = nNewSize; i < nOld; ++i) m_total -= m_sizes.GetAt(i);
        m_sizes.SetSize(nNewSize);
        for (INT_PTR i = nOld; i < nNewSize; ++i) m_sizes.SetAt(i, nFill);
        if (nNewSize > nOld) m_total += (long long)nFill * (nNewSize - nOld);
        m_nLead = -1;
    }

    void InsertAt(INT_PTR i, UINT v)
    {
        INT_PTR nOld = GetSize();
        m_sizes.InsertAt(i, v);
        m_total += v;
        if (i < m_nLead) m_leadTotal += (long long)v - (m_nLead - 1 < nOld ? m_sizes.GetAt(m_nLead) : 0);
    }

    void RemoveAt(INT_PTR i)
    {
        INT_PTR nOld = GetSize();
        UINT v = m_sizes.GetAt(i);
        if (i < m_nLead) m_leadTotal += (m_nLead < nOld ? (long long)m_sizes.GetAt(m_nLead) : 0) - v;
        m_sizes.RemoveAt(i);
        m_total -= v;
    }

    void RemoveAll()
    {
        m_sizes.RemoveAll();
        m_total = 0;
        m_nLead = -1;
    }

    long long GetTotal() const { return m_total; }

    // The sum of the first n sizes (all of them when there are fewer). Kept for the n last asked
    // for, so that asking again for the same n costs nothing.
    long long GetLeadingTotal(int n) const
    {
        if (n != m_nLead) {
            m_nLead = n;
            m_leadTotal = 0;
            INT_PTR nEnd = std::min<INT_PTR>(n, GetSize());
            for (INT_PTR i = 0; i < nEnd; ++i) m_leadTotal += m_sizes.GetAt(i);
        }
        return m_leadTotal;
    }

private:
    CGridArray<UINT> m_sizes;
    long long m_total = 0;
    mutable int m_nLead = -1;
    mutable long long m_leadTotal = 0;
};
