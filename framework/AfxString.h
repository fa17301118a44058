// UTF-16 string with the class library's interface, over std::wstring.
#pragma once
#include <windows.h>
#include <string>

class CString {
public:
    CString() {}
    CString(const CString& s) : m_str(s.m_str) {}
    CString(LPCWSTR p) : m_str(p ? p : L"") {}
    CString(LPCWSTR p, int n) : m_str(p ? std::wstring(p, n) : std::wstring()) {}
    CString(WCHAR ch, int repeat = 1) : m_str(repeat > 0 ? repeat : 0, ch) {}
    // 8-bit text is converted through the ANSI code page, as the class library does.
    CString(LPCSTR p);
    CString(const std::wstring& s) : m_str(s) {}

    CString& operator=(const CString& s) { m_str = s.m_str; return *this; }
    CString& operator=(LPCWSTR p) { m_str = p ? p : L""; return *this; }
    CString& operator=(WCHAR ch) { m_str.assign(1, ch); return *this; }
    CString& operator=(LPCSTR p) { *this = CString(p); return *this; }

    operator LPCWSTR() const { return m_str.c_str(); }
    LPCWSTR GetString() const { return m_str.c_str(); }
    const std::wstring& str() const { return m_str; }

    int GetLength() const { return (int)m_str.size(); }
    BOOL IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    WCHAR GetAt(int i) const { return m_str[i]; }
    WCHAR operator[](int i) const { return m_str[i]; }
    void SetAt(int i, WCHAR ch) { m_str[i] = ch; }

    // Loads a string resource of the module that holds the resources; FALSE and empty when there is none.
    BOOL LoadString(UINT nID);
    BOOL LoadString(HINSTANCE hInst, UINT nID);
    // printf-style, with the Windows C library's meaning of the conversions (%s: a wide string).
    void Format(LPCWSTR fmt, ...);
    void Format(UINT nFormatID, ...);
    void FormatV(LPCWSTR fmt, va_list args);
    void AppendFormat(LPCWSTR fmt, ...);

    CString& Trim();
    CString& TrimLeft();
    CString& TrimRight();
    CString& Trim(WCHAR ch);
    CString& TrimLeft(LPCWSTR chars);
    CString& TrimRight(LPCWSTR chars);
    CString& MakeUpper();
    CString& MakeLower();
    CString& MakeReverse();

    int Find(WCHAR ch, int start = 0) const;
    int Find(LPCWSTR sub, int start = 0) const;
    int ReverseFind(WCHAR ch) const;
    int FindOneOf(LPCWSTR chars) const;
    CString Left(int n) const;
    CString Right(int n) const;
    CString Mid(int first) const;
    CString Mid(int first, int n) const;
    int Replace(LPCWSTR oldText, LPCWSTR newText);
    int Replace(WCHAR oldCh, WCHAR newCh);
    int Remove(WCHAR ch);
    int Insert(int index, LPCWSTR p);
    int Delete(int index, int count = 1);
    CString Tokenize(LPCWSTR tokens, int& start) const;
    CString SpanExcluding(LPCWSTR chars) const;

    int Compare(LPCWSTR p) const { return wcscmp(m_str.c_str(), p ? p : L""); }
    int CompareNoCase(LPCWSTR p) const { return _wcsicmp(m_str.c_str(), p ? p : L""); }

    // Direct buffer access; ReleaseBuffer(-1) takes the length up to the first zero.
    LPWSTR GetBuffer(int minLength = 0);
    LPWSTR GetBufferSetLength(int length);
    void ReleaseBuffer(int newLength = -1);

    CString& operator+=(const CString& s) { m_str += s.m_str; return *this; }
    CString& operator+=(LPCWSTR p) { if (p) m_str += p; return *this; }
    CString& operator+=(WCHAR ch) { m_str += ch; return *this; }
    friend CString operator+(const CString& a, const CString& b) { return CString(a.m_str + b.m_str); }
    friend CString operator+(const CString& a, LPCWSTR b) { CString r(a); r += b; return r; }
    friend CString operator+(LPCWSTR a, const CString& b) { CString r(a); r += b; return r; }
    friend CString operator+(const CString& a, WCHAR b) { CString r(a); r += b; return r; }

    friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
    friend bool operator==(const CString& a, LPCWSTR b) { return a.Compare(b) == 0; }
    friend bool operator==(LPCWSTR a, const CString& b) { return b.Compare(a) == 0; }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, LPCWSTR b) { return !(a == b); }
    friend bool operator!=(LPCWSTR a, const CString& b) { return !(b == a); }
    friend bool operator<(const CString& a, const CString& b) { return a.m_str < b.m_str; }

private:
    std::wstring m_str;
};

// The text of a string resource of the module that holds the resources; empty when there is none.
CString AfxResourceString(UINT nID);

// UTF-8 to and from UTF-16 for whole strings, NUL characters included; invalid input is converted
// the system's way (replacement characters), never refused.
std::string AfxToUtf8(const std::wstring& text);
std::wstring AfxFromUtf8(const char* bytes, size_t size);

// 8-bit string for the few places that need one (clipboard text, command lines).
class CStringA {
public:
    CStringA() {}
    CStringA(LPCSTR p) : m_str(p ? p : "") {}
    CStringA(LPCSTR p, int n) : m_str(p, n) {}
    // Converts through the given code page (the ANSI code page by default).
    explicit CStringA(LPCWSTR p, UINT codePage = CP_ACP);
    operator LPCSTR() const { return m_str.c_str(); }
    int GetLength() const { return (int)m_str.size(); }
    BOOL IsEmpty() const { return m_str.empty(); }
    CStringA& operator+=(LPCSTR p) { if (p) m_str += p; return *this; }
    CStringA& operator+=(char ch) { m_str += ch; return *this; }
    const std::string& str() const { return m_str; }
    friend bool operator==(const CStringA& a, LPCSTR b) { return a.m_str == (b ? b : ""); }
private:
    std::string m_str;
};
