#include "framework/AfxObject.h"
#include "framework/AfxExcept.h"
#include <cstring>
#include <new>
#include <vector>

CRuntimeClass CObject::classCObject = {"CObject", (int)sizeof(CObject), 0xFFFF, nullptr, nullptr};

CRuntimeClass* CObject::GetRuntimeClass() const { return &classCObject; }

BOOL CObject::IsKindOf(const CRuntimeClass* pClass) const
{
    return GetRuntimeClass()->IsDerivedFrom(pClass);
}

static std::vector<CRuntimeClass*>& ClassRegistry()
{
    static std::vector<CRuntimeClass*> classes;
    return classes;
}

AFX_CLASSINIT::AFX_CLASSINIT(CRuntimeClass* pNewClass)
{
    ClassRegistry().push_back(pNewClass);
}

CObject* CRuntimeClass::CreateObject()
{
    if (!m_pfnCreateObject) return nullptr;
    try {
        return m_pfnCreateObject();
    } catch (std::bad_alloc&) {
        return nullptr;
    } catch (CMemoryException* e) {
        e->Delete();
        return nullptr;
    }
}

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* pBaseClass) const
{
    if (!pBaseClass) return FALSE;
    for (const CRuntimeClass* p = this; p; p = p->m_pfnGetBaseClass ? p->m_pfnGetBaseClass() : nullptr) {
        if (p == pBaseClass) return TRUE;
        if (!p->m_pfnGetBaseClass) return pBaseClass == &CObject::classCObject;
    }
    return FALSE;
}

CRuntimeClass* CRuntimeClass::FromName(LPCSTR lpszClassName)
{
    if (!lpszClassName) return nullptr;
    if (strcmp(lpszClassName, "CObject") == 0) return &CObject::classCObject;
    for (CRuntimeClass* p : ClassRegistry())
        if (strcmp(p->m_lpszClassName, lpszClassName) == 0) return p;
    return nullptr;
}
