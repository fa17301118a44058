#include "framework/AfxString.h"
#include "framework/AfxApp.h"
#include <cstdarg>
#include <cwctype>
#include <vector>

CString::CString(LPCSTR p)
{
    if (!p || !*p) return;
    int n = MultiByteToWideChar(CP_ACP, 0, p, -1, nullptr, 0);
    if (n <= 1) return;
    m_str.resize(n - 1);
    MultiByteToWideChar(CP_ACP, 0, p, -1, &m_str[0], n);
}

CStringA::CStringA(LPCWSTR p, UINT codePage)
{
    if (!p || !*p) return;
    int n = WideCharToMultiByte(codePage, 0, p, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return;
    m_str.resize(n - 1);
    WideCharToMultiByte(codePage, 0, p, -1, &m_str[0], n, nullptr, nullptr);
}

BOOL CString::LoadString(UINT nID)
{
    return LoadString(AfxGetResourceHandle(), nID);
}

CString AfxResourceString(UINT nID)
{
    CString s;
    s.LoadString(nID);
    return s;
}

BOOL CString::LoadString(HINSTANCE hInst, UINT nID)
{
    // A zero buffer length asks for a read-only pointer into the resource itself, so any length loads.
    LPCWSTR p = nullptr;
    int n = ::LoadStringW(hInst, nID, reinterpret_cast<LPWSTR>(&p), 0);
    if (n <= 0 || !p) {
        m_str.clear();
        return FALSE;
    }
    m_str.assign(p, n);
    return TRUE;
}

void CString::FormatV(LPCWSTR fmt, va_list args)
{
    std::vector<wchar_t> buf(256);
    for (;;) {
        va_list copy;
        va_copy(copy, args);
        int n = _vsnwprintf(buf.data(), buf.size(), fmt, copy);
        va_end(copy);
        if (n >= 0 && (size_t)n < buf.size()) {
            m_str.assign(buf.data(), n);
            return;
        }
        if (buf.size() > (1u << 24)) {
            m_str.clear();
            return;
        }
        buf.resize(buf.size() * 2);
    }
}

void CString::Format(LPCWSTR fmt, ...)
{
    va_list a;
    va_start(a, fmt);
    FormatV(fmt, a);
    va_end(a);
}

void CString::Format(UINT nFormatID, ...)
{
    CString fmt;
    fmt.LoadString(nFormatID);
    va_list a;
    va_start(a, nFormatID);
    FormatV(fmt, a);
    va_end(a);
}

void CString::AppendFormat(LPCWSTR fmt, ...)
{
    CString s;
    va_list a;
    va_start(a, fmt);
    s.FormatV(fmt, a);
    va_end(a);
    m_str += s.m_str;
}

static bool IsSpace(wchar_t c) { return iswspace(c) != 0; }

CString& CString::TrimLeft()
{
    size_t i = 0;
    while (i < m_str.size() && IsSpace(m_str[i])) ++i;
    m_str.erase(0, i);
    return *this;
}

CString& CString::TrimRight()
{
    size_t n = m_str.size();
    while (n > 0 && IsSpace(m_str[n - 1])) --n;
    m_str.resize(n);
    return *this;
}

CString& CString::Trim() { TrimRight(); return TrimLeft(); }

CString& CString::Trim(WCHAR ch)
{
    WCHAR set[2] = {ch, 0};
    TrimRight(set);
    return TrimLeft(set);
}

CString& CString::TrimLeft(LPCWSTR chars)
{
    size_t i = m_str.find_first_not_of(chars);
    m_str.erase(0, i == std::wstring::npos ? m_str.size() : i);
    return *this;
}

CString& CString::TrimRight(LPCWSTR chars)
{
    size_t i = m_str.find_last_not_of(chars);
    m_str.resize(i == std::wstring::npos ? 0 : i + 1);
    return *this;
}

CString& CString::MakeUpper()
{
    if (!m_str.empty()) CharUpperBuffW(&m_str[0], (DWORD)m_str.size());
    return *this;
}

CString& CString::MakeLower()
{
    if (!m_str.empty()) CharLowerBuffW(&m_str[0], (DWORD)m_str.size());
    return *this;
}

CString& CString::MakeReverse()
{
    m_str.assign(m_str.rbegin(), m_str.rend());
    return *this;
}

int CString::Find(WCHAR ch, int start) const
{
    if (start < 0 || start > GetLength()) return -1;
    size_t i = m_str.find(ch, start);
    return i == std::wstring::npos ? -1 : (int)i;
}

int CString::Find(LPCWSTR sub, int start) const
{
    if (!sub || start < 0 || start > GetLength()) return -1;
    size_t i = m_str.find(sub, start);
    return i == std::wstring::npos ? -1 : (int)i;
}

int CString::ReverseFind(WCHAR ch) const
{
    size_t i = m_str.rfind(ch);
    return i == std::wstring::npos ? -1 : (int)i;
}

int CString::FindOneOf(LPCWSTR chars) const
{
    size_t i = m_str.find_first_of(chars);
    return i == std::wstring::npos ? -1 : (int)i;
}

CString CString::Left(int n) const
{
    if (n < 0) n = 0;
    return CString(m_str.substr(0, n));
}

CString CString::Right(int n) const
{
    if (n < 0) n = 0;
    if (n >= GetLength()) return *this;
    return CString(m_str.substr(m_str.size() - n));
}

CString CString::Mid(int first) const
{
    if (first < 0) first = 0;
    if (first >= GetLength()) return CString();
    return CString(m_str.substr(first));
}

CString CString::Mid(int first, int n) const
{
    if (first < 0) first = 0;
    if (n < 0 || first >= GetLength()) return CString();
    return CString(m_str.substr(first, n));
}

int CString::Replace(LPCWSTR oldText, LPCWSTR newText)
{
    if (!oldText || !*oldText) return 0;
    std::wstring o(oldText), n(newText ? newText : L"");
    int count = 0;
    size_t pos = 0;
    while ((pos = m_str.find(o, pos)) != std::wstring::npos) {
        m_str.replace(pos, o.size(), n);
        pos += n.size();
        ++count;
    }
    return count;
}

int CString::Replace(WCHAR oldCh, WCHAR newCh)
{
    int count = 0;
    for (auto& c : m_str)
        if (c == oldCh) { c = newCh; ++count; }
    return count;
}

int CString::Remove(WCHAR ch)
{
    size_t before = m_str.size();
    std::wstring r;
    for (wchar_t c : m_str)
        if (c != ch) r += c;
    m_str.swap(r);
    return (int)(before - m_str.size());
}

int CString::Insert(int index, LPCWSTR p)
{
    if (index < 0) index = 0;
    if (index > GetLength()) index = GetLength();
    if (p) m_str.insert(index, p);
    return GetLength();
}

int CString::Delete(int index, int count)
{
    if (index >= 0 && index < GetLength() && count > 0) m_str.erase(index, count);
    return GetLength();
}

CString CString::Tokenize(LPCWSTR tokens, int& start) const
{
    if (start < 0 || start >= GetLength()) { start = -1; return CString(); }
    size_t b = m_str.find_first_not_of(tokens, start);
    if (b == std::wstring::npos) { start = -1; return CString(); }
    size_t e = m_str.find_first_of(tokens, b);
    if (e == std::wstring::npos) e = m_str.size();
    start = (int)e + 1;
    return CString(m_str.substr(b, e - b));
}

CString CString::SpanExcluding(LPCWSTR chars) const
{
    size_t i = m_str.find_first_of(chars);
    return Left(i == std::wstring::npos ? GetLength() : (int)i);
}

LPWSTR CString::GetBuffer(int minLength)
{
    if (minLength > GetLength()) m_str.resize(minLength);
    m_str.reserve(m_str.size() + 1);
    return m_str.data();
}

LPWSTR CString::GetBufferSetLength(int length)
{
    m_str.resize(length < 0 ? 0 : length);
    return m_str.data();
}

void CString::ReleaseBuffer(int newLength)
{
    if (newLength < 0) newLength = (int)wcsnlen(m_str.c_str(), m_str.size());
    m_str.resize(newLength);
}

std::string AfxToUtf8(const std::wstring& text)
{
    int n = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), NULL, 0, NULL, NULL);
    std::string bytes(n > 0 ? n : 0, '\0');
    if (n > 0) ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), &bytes[0], n, NULL, NULL);
    return bytes;
}

std::wstring AfxFromUtf8(const char* bytes, size_t size)
{
    int n = ::MultiByteToWideChar(CP_UTF8, 0, bytes, (int)size, NULL, 0);
    std::wstring text(n > 0 ? n : 0, L'\0');
    if (n > 0) ::MultiByteToWideChar(CP_UTF8, 0, bytes, (int)size, &text[0], n);
    return text;
}
