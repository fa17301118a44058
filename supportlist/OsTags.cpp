#include "supportlist/OsTags.h"

// Windows 8.1's tag is "81" without a W; the W10 tags end one position later than the others.
const OsTag kOsTags[] = {
    {L"X", OsTag::Reported, 5, -1, OsTag::AnyBitness},
    {L"V", OsTag::Reported, 6, 0, OsTag::AnyBitness},
    {L"W7?,", OsTag::Reported, 6, 1, OsTag::Not64Bit},
    {L"W7?X64", OsTag::Reported, 6, 1, OsTag::Only64Bit},
    {L"W8?,", OsTag::SystemLibrary, 6, 2, OsTag::Not64Bit},
    {L"W8?X64", OsTag::SystemLibrary, 6, 2, OsTag::Only64Bit},
    {L"81?,", OsTag::SystemLibrary, 6, 3, OsTag::Not64Bit},
    {L"81?X64", OsTag::SystemLibrary, 6, 3, OsTag::Only64Bit},
    {L"W10?,", OsTag::SystemLibrary, 10, 0, OsTag::Not64Bit},
    {L"W10?X64", OsTag::SystemLibrary, 10, 0, OsTag::Only64Bit},
};
const size_t kOsTagCount = sizeof(kOsTags) / sizeof(kOsTags[0]);

bool OsTagCharsFit(const OsTag& tag, const wchar_t* line, size_t length)
{
    for (size_t i = 0; tag.chars[i]; ++i) {
        size_t at = i + 1;
        if (tag.chars[i] == L'?') continue;
        if (at >= length || line[at] != tag.chars[i]) return false;
    }
    return true;
}

bool AnyOsTagFits(const wchar_t* line, size_t length)
{
    for (size_t i = 0; i < kOsTagCount; ++i)
        if (OsTagCharsFit(kOsTags[i], line, length)) return true;
    return false;
}
