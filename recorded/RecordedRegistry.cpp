// The recorded registry: a tree of keys with values, and the registry calls of the probe surface
// answered from it with open handles, views and errors as Windows has them.
#include "recorded/RecordedProbes.h"
#include "recorded/RecordedText.h"
#include <string.h>

using recorded_text::Upper;

// --- values ---------------------------------------------------------------------------------------

RecordedValue RecordedValue::String(const std::wstring& name, const std::wstring& text, DWORD type)
{
    RecordedValue v;
    v.name = name;
    v.type = type;
    v.data.resize((text.size() + 1) * sizeof(WCHAR));
    memcpy(&v.data[0], text.c_str(), v.data.size());
    return v;
}

RecordedValue RecordedValue::MultiString(const std::wstring& name, const std::vector<std::wstring>& items)
{
    std::wstring all;
    for (size_t i = 0; i < items.size(); ++i) {
        all += items[i];
        all += L'\0';
    }
    all += L'\0';
    RecordedValue v;
    v.name = name;
    v.type = REG_MULTI_SZ;
    v.data.resize(all.size() * sizeof(WCHAR));
    memcpy(&v.data[0], all.data(), v.data.size());
    return v;
}

RecordedValue RecordedValue::Dword(const std::wstring& name, DWORD value)
{
    RecordedValue v;
    v.name = name;
    v.type = REG_DWORD;
    v.data.assign((BYTE*)&value, (BYTE*)&value + 4);
    return v;
}

// --- paths ----------------------------------------------------------------------------------------

static std::vector<std::wstring> SplitPath(const std::wstring& path)
{
    std::vector<std::wstring> parts;
    std::wstring cur;
    for (wchar_t c : path) {
        if (c == L'\\') {
            if (!cur.empty()) parts.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) parts.push_back(cur);
    return parts;
}

static std::wstring LongRootName(const std::wstring& upperRoot)
{
    if (upperRoot == L"HKLM") return L"HKEY_LOCAL_MACHINE";
    if (upperRoot == L"HKCU") return L"HKEY_CURRENT_USER";
    if (upperRoot == L"HKCR") return L"HKEY_CLASSES_ROOT";
    if (upperRoot == L"HKU") return L"HKEY_USERS";
    if (upperRoot == L"HKCC") return L"HKEY_CURRENT_CONFIG";
    return upperRoot;
}

std::wstring RecordedProbes::NormalizeKeyPath(const std::wstring& path)
{
    std::vector<std::wstring> parts = SplitPath(Upper(path));
    if (!parts.empty()) parts[0] = LongRootName(parts[0]);
    std::wstring s;
    for (size_t i = 0; i < parts.size(); ++i) s += (i ? L"\\" : L"") + parts[i];
    return s;
}

// --- registry content -----------------------------------------------------------------------------

// A key of the recorded registry. Deleting sub-keys or values leaves holes that are closed the next
// time the key is read (Settle), so that a long run of deletions costs no more than the deletions.
struct RecordedProbes::Node : RecordedKey {
    Node* parent = nullptr;
    bool deleted = false;
    std::map<std::wstring, Node*> children;        // by upper-case name
    std::vector<Node*> order;                       // children in creation order; null where deleted
    std::map<std::wstring, size_t> valueAt;        // upper-case value name -> index in values
    std::vector<bool> valueGone;                    // beside values: deleted
    bool unsettled = false;
};

// The probes own the registry's nodes, whose type is known only here.
RecordedProbes::RecordedProbes() {}

RecordedProbes::~RecordedProbes() {}

void RecordedProbes::Settle(Node& n)
{
    if (!n.unsettled) return;
    n.unsettled = false;
    size_t kept = 0;
    for (size_t i = 0; i < n.order.size(); ++i)
        if (n.order[i]) n.order[kept++] = n.order[i];
    n.order.resize(kept);
    n.subKeys.clear();
    for (Node* c : n.order) n.subKeys.push_back(c->name);
    kept = 0;
    for (size_t i = 0; i < n.values.size(); ++i) {
        if (n.valueGone[i]) continue;
        if (kept != i) n.values[kept] = std::move(n.values[i]);
        ++kept;
    }
    n.values.resize(kept);
    n.valueGone.assign(kept, false);
    n.valueAt.clear();
    for (size_t i = 0; i < n.values.size(); ++i) n.valueAt[Upper(n.values[i].name)] = i;
}

RecordedProbes::Node* RecordedProbes::RootOf(HKEY root, bool create)
{
    const wchar_t* name = root == HKEY_LOCAL_MACHINE ? L"HKEY_LOCAL_MACHINE"
                        : root == HKEY_CURRENT_USER ? L"HKEY_CURRENT_USER"
                        : root == HKEY_CLASSES_ROOT ? L"HKEY_CLASSES_ROOT"
                        : root == HKEY_USERS ? L"HKEY_USERS"
                        : root == HKEY_CURRENT_CONFIG ? L"HKEY_CURRENT_CONFIG" : NULL;
    if (name) return Walk(NULL, name, create);
    auto it = m_openKeys.find(root);
    return it == m_openKeys.end() ? NULL : it->second;
}

// The key at path below from (from null: path starts with a root name), created on the way when
// asked; null when it does not exist. One pass over the path.
RecordedProbes::Node* RecordedProbes::Walk(Node* from, const std::wstring& path, bool create)
{
    Node* at = from;
    size_t i = 0, n = path.size();
    while (i < n) {
        while (i < n && path[i] == L'\\') ++i;
        size_t end = path.find(L'\\', i);
        if (end == std::wstring::npos) end = n;
        if (end == i) break;
        std::wstring part = path.substr(i, end - i);
        std::wstring upper = Upper(part);
        i = end;
        if (!at) {
            upper = LongRootName(upper);
            auto r = m_roots.find(upper);
            if (r != m_roots.end()) {
                at = r->second;
                continue;
            }
            if (!create) return NULL;
            m_nodes.emplace_back(new Node);
            at = m_nodes.back().get();
            at->name = upper;
            m_roots[upper] = at;
            continue;
        }
        auto c = at->children.find(upper);
        if (c != at->children.end()) {
            at = c->second;
            continue;
        }
        if (!create) return NULL;
        m_nodes.emplace_back(new Node);
        Node* child = m_nodes.back().get();
        child->name = part;
        child->parent = at;
        at->children[upper] = child;
        at->order.push_back(child);
        at->subKeys.push_back(part);  // kept in step while nothing is deleted
        at = child;
    }
    return at;
}

std::wstring RecordedProbes::PathOf(const Node* node)
{
    std::vector<const Node*> chain;
    for (; node; node = node->parent) chain.push_back(node);
    std::wstring s;
    for (size_t i = chain.size(); i-- > 0;) s += Upper(chain[i]->name) + (i ? L"\\" : L"");
    return s;
}

RecordedKey& RecordedProbes::AddKey(const std::wstring& fullPath)
{
    Node* n = Walk(NULL, fullPath, true);
    static Node s_none;
    if (!n) {
        s_none = Node();
        return s_none;
    }
    Settle(*n);
    return *n;
}

void RecordedProbes::SetValue(const std::wstring& keyPath, const RecordedValue& value)
{
    SetValue(AddKey(keyPath), value);
}

void RecordedProbes::SetValue(RecordedKey& key, const RecordedValue& value)
{
    Node& n = static_cast<Node&>(key);
    std::wstring upper = Upper(value.name);
    auto it = n.valueAt.find(upper);
    if (it != n.valueAt.end()) {
        RecordedValue& v = n.values[it->second];
        v.type = value.type;
        v.data = value.data;  // the name keeps its first spelling
        return;
    }
    n.valueAt[upper] = n.values.size();
    n.values.push_back(value);
    n.valueGone.push_back(false);
}

bool RecordedProbes::DeleteKey(const std::wstring& fullPath)
{
    Node* n = Walk(NULL, fullPath, false);
    if (!n)
        return false;
    if (n->parent) {
        Node& p = *n->parent;
        p.children.erase(Upper(n->name));
        for (size_t i = p.order.size(); i-- > 0;)
            if (p.order[i] == n) {
                p.order[i] = NULL;
                break;
            }
        p.unsettled = true;
    } else {
        m_roots.erase(Upper(n->name));
    }
    // Everything below goes too; handles still open on any of it see a deleted key.
    std::vector<Node*> stack(1, n);
    while (!stack.empty()) {
        Node* d = stack.back();
        stack.pop_back();
        d->deleted = true;
        for (auto& c : d->children) stack.push_back(c.second);
    }
    return true;
}

bool RecordedProbes::DeleteValue(const std::wstring& keyPath, const std::wstring& name)
{
    Node* n = Walk(NULL, keyPath, false);
    return n && DeleteValue(*n, name);
}

bool RecordedProbes::DeleteValue(RecordedKey& key, const std::wstring& name)
{
    Node& n = static_cast<Node&>(key);
    auto it = n.valueAt.find(Upper(name));
    if (it == n.valueAt.end())
        return false;
    n.valueGone[it->second] = true;
    n.valueAt.erase(it);
    n.unsettled = true;
    return true;
}

const RecordedKey* RecordedProbes::FindKey(const std::wstring& fullPath) const
{
    Node* n = const_cast<RecordedProbes*>(this)->Walk(NULL, fullPath, false);
    if (n) Settle(*n);
    return n;
}

std::vector<std::wstring> RecordedProbes::OpenKeyPaths() const
{
    std::vector<std::wstring> r;
    for (auto& k : m_openKeys) r.push_back(PathOf(k.second));
    return r;
}

// --- registry calls -------------------------------------------------------------------------------

RecordedProbes::Node* RecordedProbes::KeyOfHandle(HKEY key, LONG& error)
{
    // A predefined root with nothing recorded below it is still a valid, empty key.
    Node* n = RootOf(key, true);
    if (!n) {
        error = ERROR_INVALID_HANDLE;
        return NULL;
    }
    if (n->deleted) {
        error = ERROR_KEY_DELETED;
        return NULL;
    }
    Settle(*n);
    error = ERROR_SUCCESS;
    return n;
}

// A recording of a 64-bit system made as reg export shows it holds the 32-bit view of SOFTWARE under
// SOFTWARE\Wow6432Node, where a 32-bit process is sent unless it asks for the 64-bit view. A recording
// without that key holds one view, seen from both.
std::wstring RecordedProbes::RegistryView(HKEY root, const std::wstring& subKey, REGSAM sam)
{
    if (root != HKEY_LOCAL_MACHINE || os.wow64 != RecordedOs::Wow64Yes || (sam & KEY_WOW64_64KEY))
        return subKey;
    std::wstring upper = Upper(subKey);
    while (!upper.empty() && upper[0] == L'\\') upper.erase(0, 1);
    const std::wstring software = L"SOFTWARE", node = L"SOFTWARE\\WOW6432NODE";
    if (upper.compare(0, software.size(), software) != 0 ||
        (upper.size() > software.size() && upper[software.size()] != L'\\'))
        return subKey;
    if (upper.compare(0, node.size(), node) == 0 && (upper.size() == node.size() || upper[node.size()] == L'\\'))
        return subKey;
    LONG err;
    Node* base = KeyOfHandle(root, err);
    if (!base || !Walk(base, node, false))
        return subKey;
    return node + upper.substr(software.size());
}

LONG RecordedProbes::RegOpenKeyExW(HKEY root, LPCWSTR subKey, DWORD, REGSAM sam, PHKEY result)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    LONG err;
    Node* base = KeyOfHandle(root, err);
    if (!base)
        return err;
    Node* n = Walk(base, RegistryView(root, subKey ? subKey : L"", sam), false);
    if (!n)
        return ERROR_FILE_NOT_FOUND;
    HKEY h = (HKEY)(m_nextKey += 4);
    m_openKeys[h] = n;
    *result = h;
    return ERROR_SUCCESS;
}

LONG RecordedProbes::RegQueryInfoKeyW(HKEY key, LPWSTR cls, LPDWORD clsLen, LPDWORD, LPDWORD subKeys,
                                      LPDWORD maxSubKeyLen, LPDWORD maxClassLen, LPDWORD values,
                                      LPDWORD maxValueNameLen, LPDWORD maxValueLen, LPDWORD securityDescriptor,
                                      PFILETIME lastWrite)
{
    LONG err;
    Node* k = KeyOfHandle(key, err);
    if (!k)
        return err;
    if (cls && clsLen && *clsLen) cls[0] = 0;
    if (clsLen) *clsLen = 0;
    DWORD maxSub = 0, maxName = 0, maxData = 0;
    for (const std::wstring& s : k->subKeys) maxSub = s.size() > maxSub ? (DWORD)s.size() : maxSub;
    for (const RecordedValue& v : k->values) {
        if (v.name.size() > maxName) maxName = (DWORD)v.name.size();
        if (v.data.size() > maxData) maxData = (DWORD)v.data.size();
    }
    if (subKeys) *subKeys = (DWORD)k->subKeys.size();
    if (maxSubKeyLen) *maxSubKeyLen = maxSub;
    if (maxClassLen) *maxClassLen = 0;
    if (values) *values = (DWORD)k->values.size();
    if (maxValueNameLen) *maxValueNameLen = maxName;
    if (maxValueLen) *maxValueLen = maxData;
    if (securityDescriptor) *securityDescriptor = 0;
    if (lastWrite) lastWrite->dwLowDateTime = lastWrite->dwHighDateTime = 0;
    return ERROR_SUCCESS;
}

LONG RecordedProbes::RegEnumValueW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameLen, LPDWORD, LPDWORD type,
                                   LPBYTE data, LPDWORD dataLen)
{
    LONG err;
    Node* k = KeyOfHandle(key, err);
    if (!k)
        return err;
    if (!name || !nameLen)
        return ERROR_INVALID_PARAMETER;
    if (index >= k->values.size())
        return ERROR_NO_MORE_ITEMS;
    const RecordedValue& v = k->values[index];
    // The name needs room for its terminator; a short name buffer fails the whole call.
    if (v.name.size() + 1 > *nameLen)
        return ERROR_MORE_DATA;
    memcpy(name, v.name.c_str(), (v.name.size() + 1) * sizeof(WCHAR));
    *nameLen = (DWORD)v.name.size();
    if (type) *type = v.type;
    DWORD size = (DWORD)v.data.size();
    if (data) {
        if (!dataLen)
            return ERROR_INVALID_PARAMETER;
        if (*dataLen < size) {
            *dataLen = size;
            return ERROR_MORE_DATA;
        }
        if (size) memcpy(data, &v.data[0], size);
    }
    if (dataLen) *dataLen = size;
    return ERROR_SUCCESS;
}

LONG RecordedProbes::RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameLen, LPDWORD, LPWSTR cls,
                                   LPDWORD clsLen, PFILETIME lastWrite)
{
    LONG err;
    Node* k = KeyOfHandle(key, err);
    if (!k)
        return err;
    if (!name || !nameLen)
        return ERROR_INVALID_PARAMETER;
    if (index >= k->subKeys.size())
        return ERROR_NO_MORE_ITEMS;
    const std::wstring& s = k->subKeys[index];
    if (s.size() + 1 > *nameLen)
        return ERROR_MORE_DATA;
    memcpy(name, s.c_str(), (s.size() + 1) * sizeof(WCHAR));
    *nameLen = (DWORD)s.size();
    if (cls && clsLen && *clsLen) cls[0] = 0;
    if (clsLen) *clsLen = 0;
    if (lastWrite) lastWrite->dwLowDateTime = lastWrite->dwHighDateTime = 0;
    return ERROR_SUCCESS;
}

LONG RecordedProbes::RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD, LPDWORD type, LPBYTE data,
                                      LPDWORD dataLen)
{
    LONG err;
    Node* k = KeyOfHandle(key, err);
    if (!k)
        return err;
    if (data && !dataLen)
        return ERROR_INVALID_PARAMETER;
    auto at = k->valueAt.find(Upper(valueName ? valueName : L""));
    if (at == k->valueAt.end())
        return ERROR_FILE_NOT_FOUND;
    const RecordedValue& v = k->values[at->second];
    DWORD size = (DWORD)v.data.size();
    if (type) *type = v.type;
    if (data && *dataLen < size) {
        *dataLen = size;
        return ERROR_MORE_DATA;
    }
    if (data && size) memcpy(data, &v.data[0], size);
    if (dataLen) *dataLen = size;
    return ERROR_SUCCESS;
}

LONG RecordedProbes::RegCloseKey(HKEY key)
{
    bool predefined = key == HKEY_LOCAL_MACHINE || key == HKEY_CURRENT_USER || key == HKEY_CLASSES_ROOT ||
                      key == HKEY_USERS || key == HKEY_CURRENT_CONFIG;
    if (!predefined && !m_openKeys.count(key))
        return ERROR_INVALID_HANDLE;
    m_openKeys.erase(key);  // closing a predefined root is allowed and does nothing
    return ERROR_SUCCESS;
}
