#include "app/ProductIdentity.h"
#include "res/resource.h"

namespace {
struct Product {
    const wchar_t* code;
    const wchar_t* displayName;
};
const Product kProducts[] = {
    {L"WINCORVANE", L"Corvane Air Inspector"},
    {L"PLANSCOPE", L"Corvane Site Planner"},
    {L"RFWATCH", L"Corvane RF Watch"},
};
}

CString ProductDisplayName(const CString& productCode)
{
    // One variable, compared with each code in turn: no display name equals a code, so at most one
    // replacement happens.
    CString product = productCode;
    for (const Product& p : kProducts)
        if (product == p.code) product = p.displayName;
    return product;
}

CString FormatProductTitle(CString code, CString version, CString build, const CString& titleFormat)
{
    code.Trim();
    code.MakeUpper();
    version.Trim();
    version.MakeUpper();
    build.Trim();
    CString product = ProductDisplayName(code);
    CString title;
    title.Format(titleFormat, product.GetString(), version.GetString(), build.GetString());
    return title;
}

CString LoadProductTitle()
{
    return FormatProductTitle(AfxResourceString(IDS_PRODUCT_CODE), AfxResourceString(IDS_VERSION),
                              AfxResourceString(IDS_BUILD), AfxResourceString(IDS_TITLE_FORMAT));
}
