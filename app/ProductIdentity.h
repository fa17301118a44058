// Which host product this build serves, from its string resources, and the window title naming it.
#pragma once
#include "framework/AfxString.h"

// The display name for a product code, or the code itself when it names no known product.
CString ProductDisplayName(const CString& productCode);
// Forms the title from the raw resource texts: code and version trimmed and upper-cased, build trimmed.
CString FormatProductTitle(CString code, CString version, CString build, const CString& titleFormat);
// The title from this program's own string resources.
CString LoadProductTitle();
