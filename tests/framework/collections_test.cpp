#include "framework/Afx.h"
#include <gtest/gtest.h>
#include <set>

typedef CMap<DWORD, DWORD, int, int> IntMap;

TEST(CMapTest, LookupSetRemoveAcrossBlocks)
{
    IntMap m(10);
    EXPECT_EQ(m.GetBlockSize(), 10);
    for (DWORD k = 0; k < 1000; ++k) m.SetAt(k * 65536 + (k % 7), (int)k);
    EXPECT_EQ(m.GetCount(), 1000);
    int v = -1;
    ASSERT_TRUE(m.Lookup(5 * 65536 + 5, v));
    EXPECT_EQ(v, 5);
    EXPECT_FALSE(m.Lookup(12345678, v));
    EXPECT_TRUE(m.RemoveKey(5 * 65536 + 5));
    EXPECT_FALSE(m.RemoveKey(5 * 65536 + 5));
    EXPECT_EQ(m.GetCount(), 999);
    m.RemoveAll();
    EXPECT_EQ(m.GetCount(), 0);
    EXPECT_EQ(m.GetStartPosition(), nullptr);
    m[7] = 70;
    ASSERT_TRUE(m.Lookup(7, v));
    EXPECT_EQ(v, 70);
}

TEST(CMapTest, IterationVisitsEachEntryOnceAndToleratesRemovingTheCurrentOne)
{
    IntMap m;
    for (DWORD k = 1; k <= 300; ++k) m.SetAt(k, (int)k);
    std::set<DWORD> seen;
    POSITION pos = m.GetStartPosition();
    while (pos) {
        DWORD key;
        int value;
        m.GetNextAssoc(pos, key, value);
        EXPECT_EQ((int)key, value);
        EXPECT_TRUE(seen.insert(key).second);
        if (key % 2) m.RemoveKey(key);
    }
    EXPECT_EQ(seen.size(), 300u);
    EXPECT_EQ(m.GetCount(), 150);
}

TEST(CollectionsTest, ArraysGrowInsertAndRemove)
{
    CUIntArray a;
    a.SetSize(3);
    EXPECT_EQ(a.GetSize(), 3);
    EXPECT_EQ(a[2], 0u);
    a.InsertAt(1, 9);
    a.Add(4);
    ASSERT_EQ(a.GetSize(), 5);
    EXPECT_EQ(a[1], 9u);
    EXPECT_EQ(a[4], 4u);
    a.RemoveAt(0, 2);
    EXPECT_EQ(a.GetSize(), 3);
    CTypedPtrArray<CObArray, CObject*> objs;
    objs.SetSize(2);
    EXPECT_EQ(objs[0], nullptr);
}

TEST(CollectionsTest, InjectedAllocationFailureThrowsTheMemoryException)
{
    CPtrArray a;
    AfxInjectAllocationFailure(2);
    a.Add(nullptr);
    bool thrown = false;
    try {
        a.SetSize(100);
    } catch (CMemoryException* e) {
        thrown = true;
        wchar_t text[64];
        e->GetErrorMessage(text, 64);
        EXPECT_STREQ(text, L"Out of memory.");
        e->Delete();
    }
    EXPECT_TRUE(thrown);
    EXPECT_EQ(a.GetSize(), 1);
    a.SetSize(100);   // the failure fires once
    EXPECT_EQ(a.GetSize(), 100);
}
