#include "framework/AfxColl.h"

static int g_nFailAfter = 0;

void AfxInjectAllocationFailure(int n) { g_nFailAfter = n; }

void AfxCheckAllocation()
{
    if (g_nFailAfter > 0 && --g_nFailAfter == 0) AfxThrowMemoryException();
}
