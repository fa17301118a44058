#include "framework/Afx.h"
#include <gtest/gtest.h>

namespace {
class CShape : public CObject {
    DECLARE_DYNCREATE(CShape)
public:
    int sides = 0;
};
class CSquare : public CShape {
    DECLARE_DYNCREATE(CSquare)
public:
    CSquare() { sides = 4; }
};
class CAbstractThing : public CObject {
    DECLARE_DYNAMIC(CAbstractThing)
};
IMPLEMENT_DYNCREATE(CShape, CObject)
IMPLEMENT_DYNCREATE(CSquare, CShape)
IMPLEMENT_DYNAMIC(CAbstractThing, CObject)
}

TEST(RuntimeClassTest, DynamicCreationAndKinds)
{
    CObject* o = RUNTIME_CLASS(CSquare)->CreateObject();
    ASSERT_NE(o, nullptr);
    EXPECT_TRUE(o->IsKindOf(RUNTIME_CLASS(CSquare)));
    EXPECT_TRUE(o->IsKindOf(RUNTIME_CLASS(CShape)));
    EXPECT_TRUE(o->IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(o->IsKindOf(RUNTIME_CLASS(CAbstractThing)));
    EXPECT_EQ(static_cast<CShape*>(o)->sides, 4);
    EXPECT_STREQ(o->GetRuntimeClass()->m_lpszClassName, "CSquare");
    delete o;

    EXPECT_EQ(RUNTIME_CLASS(CAbstractThing)->CreateObject(), nullptr);
    EXPECT_TRUE(RUNTIME_CLASS(CSquare)->IsDerivedFrom(RUNTIME_CLASS(CShape)));
    EXPECT_FALSE(RUNTIME_CLASS(CShape)->IsDerivedFrom(RUNTIME_CLASS(CSquare)));
    EXPECT_FALSE(RUNTIME_CLASS(CShape)->IsDerivedFrom(nullptr));
    EXPECT_EQ(CRuntimeClass::FromName("CSquare"), RUNTIME_CLASS(CSquare));
    EXPECT_EQ(CRuntimeClass::FromName("CNoSuchClass"), nullptr);
}
