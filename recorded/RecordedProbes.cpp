#include "recorded/RecordedProbes.h"
#include <shlwapi.h>
#include <errno.h>
#include <string.h>

static const GUID kNdisLanGuid = {0xAD498944, 0x762F, 0x11D0, {0x8D, 0xCB, 0x00, 0xC0, 0x4F, 0xC3, 0x35, 0x8C}};
static const GUID kNetClassGuid = {0x4D36E972, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
static const UINT_PTR kLibraryBase = 0x70000000;
static const HMODULE kKernel32 = (HMODULE)(UINT_PTR)0x7FF00000;

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

static std::wstring Upper(std::wstring s)
{
    if (!s.empty())
        ::CharUpperBuffW(&s[0], (DWORD)s.size());
    return s;
}

static bool SameText(const std::wstring& a, const std::wstring& b) { return Upper(a) == Upper(b); }

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

std::wstring RecordedProbes::NormalizeFilePath(const std::wstring& path)
{
    std::wstring r;
    for (wchar_t c : Upper(path)) {
        if (c == L'/') c = L'\\';
        if (c == L'\\' && !r.empty() && r.back() == L'\\') continue;
        r += c;
    }
    while (r.size() > 1 && r.back() == L'\\') r.pop_back();
    return r;
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

int RecordedProbes::LoadedLibraryCount() const
{
    int n = 0;
    for (int refs : m_libRefs) n += refs > 0;
    return n;
}

// --- device set-up --------------------------------------------------------------------------------

HDEVINFO RecordedProbes::SetupDiGetClassDevsW(const GUID* classGuid, PCWSTR, HWND, DWORD flags)
{
    // The recorded devices are those of the NDIS LAN interface class; any other set is empty.
    bool ours = classGuid && IsEqualGUID(*classGuid, kNdisLanGuid) && (flags & DIGCF_DEVICEINTERFACE);
    HDEVINFO h = (HDEVINFO)(m_nextSet += 4);
    m_openSets[h] = ours;
    return h;
}

BOOL RecordedProbes::SetupDiEnumDeviceInfo(HDEVINFO set, DWORD index, PSP_DEVINFO_DATA data)
{
    auto it = m_openSets.find(set);
    if (it == m_openSets.end()) {
        m_lastError = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    if (!data || data->cbSize != sizeof(SP_DEVINFO_DATA)) {
        m_lastError = ERROR_INVALID_USER_BUFFER;
        return FALSE;
    }
    if (!it->second || index >= devices.size()) {
        m_lastError = ERROR_NO_MORE_ITEMS;
        return FALSE;
    }
    data->ClassGuid = kNetClassGuid;
    data->DevInst = index + 1;
    data->Reserved = index + 1;
    return TRUE;
}

const RecordedDevice* RecordedProbes::DeviceOf(HDEVINFO set, PSP_DEVINFO_DATA data)
{
    auto it = m_openSets.find(set);
    if (it == m_openSets.end()) {
        m_lastError = ERROR_INVALID_HANDLE;
        return NULL;
    }
    if (!data || data->cbSize != sizeof(SP_DEVINFO_DATA) || !it->second || data->DevInst == 0 ||
        data->DevInst > devices.size()) {
        m_lastError = ERROR_INVALID_PARAMETER;
        return NULL;
    }
    return &devices[data->DevInst - 1];
}

BOOL RecordedProbes::SetupDiGetDeviceRegistryPropertyW(HDEVINFO set, PSP_DEVINFO_DATA data, DWORD property,
                                                       PDWORD regDataType, PBYTE buffer, DWORD bufferSize,
                                                       PDWORD requiredSize)
{
    const RecordedDevice* dev = DeviceOf(set, data);
    if (!dev)
        return FALSE;
    auto p = dev->properties.find(property);
    if (p == dev->properties.end()) {
        m_lastError = ERROR_INVALID_DATA;
        return FALSE;
    }
    const RecordedValue& v = p->second;
    DWORD size = (DWORD)v.data.size();
    if (regDataType) *regDataType = v.type;
    if (requiredSize) *requiredSize = size;
    if (!buffer || bufferSize < size) {
        m_lastError = ERROR_INSUFFICIENT_BUFFER;
        return FALSE;
    }
    if (size) memcpy(buffer, &v.data[0], size);
    return TRUE;
}

BOOL RecordedProbes::SetupDiGetDeviceInstanceIdW(HDEVINFO set, PSP_DEVINFO_DATA data, PWSTR buffer, DWORD bufferSize,
                                                 PDWORD requiredSize)
{
    const RecordedDevice* dev = DeviceOf(set, data);
    if (!dev)
        return FALSE;
    if (!dev->hasInstanceId) {
        m_lastError = ERROR_NO_SUCH_DEVINST;
        return FALSE;
    }
    DWORD need = (DWORD)dev->instanceId.size() + 1;
    if (requiredSize) *requiredSize = need;
    if (!buffer || bufferSize < need) {
        m_lastError = ERROR_INSUFFICIENT_BUFFER;
        return FALSE;
    }
    memcpy(buffer, dev->instanceId.c_str(), need * sizeof(WCHAR));
    return TRUE;
}

BOOL RecordedProbes::SetupDiDestroyDeviceInfoList(HDEVINFO set)
{
    if (!m_openSets.erase(set)) {
        m_lastError = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    return TRUE;
}

CONFIGRET RecordedProbes::CM_Get_DevNode_Status(PULONG status, PULONG problemNumber, DEVINST devInst, ULONG)
{
    if (!status || !problemNumber)
        return CR_INVALID_POINTER;
    if (devInst == 0 || devInst > devices.size())
        return CR_INVALID_DEVNODE;
    const RecordedDevice& dev = devices[devInst - 1];
    if (dev.nodeResult != CR_SUCCESS)
        return dev.nodeResult;
    *status = dev.nodeStatus;
    *problemNumber = dev.problem;
    return CR_SUCCESS;
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

// --- file versions --------------------------------------------------------------------------------

const RecordedFile* RecordedProbes::FindFile(LPCWSTR path) const
{
    if (!path)
        return NULL;
    std::wstring norm = NormalizeFilePath(path);
    for (const RecordedFile& f : files)
        if (NormalizeFilePath(f.path) == norm)
            return &f;
    return NULL;
}

static void AppendWords(std::vector<BYTE>& b, const void* p, size_t n)
{
    b.insert(b.end(), (const BYTE*)p, (const BYTE*)p + n);
}

std::vector<BYTE> RecordedProbes::MakeVersionBlock(const RecordedFile& file)
{
    // VS_VERSIONINFO: length, value length, type, key "VS_VERSION_INFO", padding to 32 bits, then the
    // fixed block. No string or variable information: the check reads only the fixed part.
    std::vector<BYTE> b;
    WORD header[3] = {0, (WORD)sizeof(VS_FIXEDFILEINFO), 0};
    AppendWords(b, header, sizeof(header));
    static const WCHAR key[] = L"VS_VERSION_INFO";
    AppendWords(b, key, sizeof(key));
    while (b.size() % 4) b.push_back(0);
    VS_FIXEDFILEINFO fi;
    ZeroMemory(&fi, sizeof(fi));
    fi.dwSignature = 0xFEEF04BD;
    fi.dwStrucVersion = 0x00010000;
    fi.dwFileVersionMS = file.fileVersionMS;
    fi.dwFileVersionLS = file.fileVersionLS;
    fi.dwProductVersionMS = file.productVersionMS;
    fi.dwProductVersionLS = file.productVersionLS;
    fi.dwFileFlagsMask = 0x3F;
    fi.dwFileOS = VOS_NT_WINDOWS32;
    fi.dwFileType = VFT_DRV;
    AppendWords(b, &fi, sizeof(fi));
    *(WORD*)&b[0] = (WORD)b.size();
    return b;
}

DWORD RecordedProbes::GetFileVersionInfoSizeW(LPCWSTR path, LPDWORD handle)
{
    if (handle) *handle = 0;
    const RecordedFile* f = FindFile(path);
    if (!f) {
        m_lastError = ERROR_FILE_NOT_FOUND;
        return 0;
    }
    if (!f->hasVersion) {
        m_lastError = ERROR_RESOURCE_TYPE_NOT_FOUND;
        return 0;
    }
    return (DWORD)MakeVersionBlock(*f).size();
}

BOOL RecordedProbes::GetFileVersionInfoW(LPCWSTR path, DWORD, DWORD len, LPVOID data)
{
    const RecordedFile* f = FindFile(path);
    if (!f || !f->hasVersion || !data) {
        m_lastError = f ? ERROR_RESOURCE_TYPE_NOT_FOUND : ERROR_FILE_NOT_FOUND;
        return FALSE;
    }
    std::vector<BYTE> b = MakeVersionBlock(*f);
    // Like Windows, a short buffer receives the part that fits.
    memcpy(data, &b[0], len < b.size() ? len : b.size());
    return TRUE;
}

BOOL RecordedProbes::VerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, PUINT len)
{
    if (!block || !subBlock || !buffer || !len)
        return FALSE;
    if (wcscmp(subBlock, L"\\") != 0)
        return FALSE;  // only the fixed part is recorded
    const BYTE* b = (const BYTE*)block;
    WORD total = *(const WORD*)b, valueLen = *(const WORD*)(b + 2);
    const size_t offset = 6 + sizeof(L"VS_VERSION_INFO") + 2;  // header, key, padding to 40
    if (valueLen < sizeof(VS_FIXEDFILEINFO) || total < offset + sizeof(VS_FIXEDFILEINFO))
        return FALSE;
    const VS_FIXEDFILEINFO* fi = (const VS_FIXEDFILEINFO*)(b + offset);
    if (fi->dwSignature != 0xFEEF04BD)
        return FALSE;
    *buffer = (LPVOID)fi;
    *len = sizeof(VS_FIXEDFILEINFO);
    return TRUE;
}

// --- modules --------------------------------------------------------------------------------------

static std::wstring FileNamePart(const std::wstring& path)
{
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

int RecordedProbes::FindLibrary(LPCWSTR name, bool bareSearch) const
{
    if (!name || !*name)
        return -1;
    std::wstring n = name;
    bool bare = n.find_first_of(L"\\/") == std::wstring::npos;
    std::wstring wanted = NormalizeFilePath(n);
    size_t slash = wanted.rfind(L'\\');
    bool inSystemFolder = !bare && slash != std::wstring::npos &&
                          wanted.substr(0, slash) == NormalizeFilePath(os.systemDirectory);
    for (size_t i = 0; i < libraries.size(); ++i) {
        const RecordedLibrary& lib = libraries[i];
        bool libBare = lib.path.find_first_of(L"\\/") == std::wstring::npos;
        if (bare) {
            if (bareSearch && lib.onSearchPath && SameText(FileNamePart(lib.path), n))
                return (int)i;
        } else if (NormalizeFilePath(lib.path) == wanted) {
            return (int)i;
        } else if (inSystemFolder && libBare && lib.onSearchPath && SameText(lib.path, FileNamePart(n))) {
            // A library recorded by its bare name alone stands in the system folder, where a bare name
            // is found first.
            return (int)i;
        }
    }
    return -1;
}

static DWORD s_apiVersion;  // what the GetAPIVersion handed out last reports
static void WINAPI RecordedGetApiVersion(DWORD* version)
{
    if (version) *version = s_apiVersion;
}

HMODULE RecordedProbes::LoadLibraryW(LPCWSTR name) { return LoadLibraryExW(name, NULL, 0); }

HMODULE RecordedProbes::LoadLibraryExW(LPCWSTR name, HANDLE, DWORD)
{
    int i = FindLibrary(name, true);
    if (i < 0) {
        m_lastError = ERROR_MOD_NOT_FOUND;
        return NULL;
    }
    if (m_libRefs.size() < libraries.size()) m_libRefs.resize(libraries.size());
    ++m_libRefs[i];
    return (HMODULE)(kLibraryBase + 0x10000 * (UINT_PTR)(i + 1));
}

static int LibraryIndex(HMODULE module)
{
    UINT_PTR v = (UINT_PTR)module;
    if (v <= kLibraryBase || (v - kLibraryBase) % 0x10000) return -1;
    return (int)((v - kLibraryBase) / 0x10000) - 1;
}

FARPROC RecordedProbes::GetProcAddress(HMODULE module, LPCSTR procName)
{
    int i = LibraryIndex(module);
    if (i < 0 || i >= (int)m_libRefs.size() || m_libRefs[i] <= 0) {
        m_lastError = ERROR_INVALID_HANDLE;
        return NULL;
    }
    const RecordedLibrary& lib = libraries[i];
    if (!procName || (UINT_PTR)procName <= 0xFFFF || strcmp(procName, "GetAPIVersion") != 0 || !lib.hasGetAPIVersion) {
        m_lastError = ERROR_PROC_NOT_FOUND;
        return NULL;
    }
    // The entry point has no context of its own: it answers for the library it was last looked up in.
    s_apiVersion = lib.apiVersion;
    return (FARPROC)(void*)&RecordedGetApiVersion;
}

BOOL RecordedProbes::FreeLibrary(HMODULE module)
{
    int i = LibraryIndex(module);
    if (i < 0 || i >= (int)m_libRefs.size() || m_libRefs[i] <= 0) {
        m_lastError = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    --m_libRefs[i];
    return TRUE;
}

HMODULE RecordedProbes::GetModuleHandleW(LPCWSTR name)
{
    if (name && SameText(name, L"kernel32.dll"))
        return kKernel32;
    m_lastError = ERROR_MOD_NOT_FOUND;
    return NULL;
}

DWORD RecordedProbes::GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size)
{
    std::wstring path;
    if (!module) {
        path = modulePath;
    } else if (module == kKernel32) {
        path = os.systemDirectory + L"\\kernel32.dll";
    } else {
        int i = LibraryIndex(module);
        if (i < 0 || i >= (int)m_libRefs.size() || m_libRefs[i] <= 0) {
            m_lastError = ERROR_MOD_NOT_FOUND;
            return 0;
        }
        path = libraries[i].path;
    }
    if (!buffer || size == 0)
        return 0;
    // As on XP and later: a path that does not fit is cut, and the size is returned.
    if (path.size() >= size) {
        memcpy(buffer, path.c_str(), (size - 1) * sizeof(WCHAR));
        buffer[size - 1] = 0;
        m_lastError = ERROR_INSUFFICIENT_BUFFER;
        return size;
    }
    memcpy(buffer, path.c_str(), (path.size() + 1) * sizeof(WCHAR));
    return (DWORD)path.size();
}

BOOL RecordedProbes::SetDllDirectoryW(LPCWSTR path)
{
    m_dllDirectory = path ? path : L"";
    return TRUE;
}

// Recorded files are kept under the paths a 64-bit system shows, which is what a 32-bit process sees with
// redirection off; with it on, the recording shows the same files (older recordings were made that way).
BOOL RecordedProbes::Wow64DisableWow64FsRedirection(PVOID* oldValue)
{
    if (os.wow64 != RecordedOs::Wow64Yes) {
        m_lastError = ERROR_INVALID_FUNCTION;
        return FALSE;
    }
    if (oldValue) *oldValue = NULL;
    return TRUE;
}

BOOL RecordedProbes::Wow64RevertWow64FsRedirection(PVOID)
{
    if (os.wow64 != RecordedOs::Wow64Yes) {
        m_lastError = ERROR_INVALID_FUNCTION;
        return FALSE;
    }
    return TRUE;
}

// --- system ---------------------------------------------------------------------------------------

BOOL RecordedProbes::GetVersionExW(LPOSVERSIONINFOW info)
{
    if (!info || (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOW) &&
                  info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXW))) {
        m_lastError = ERROR_INSUFFICIENT_BUFFER;
        return FALSE;
    }
    info->dwMajorVersion = os.major;
    info->dwMinorVersion = os.minor;
    info->dwBuildNumber = os.build;
    info->dwPlatformId = os.platformId;
    ZeroMemory(info->szCSDVersion, sizeof(info->szCSDVersion));
    wcsncpy(info->szCSDVersion, os.csdVersion.c_str(), 127);
    if (info->dwOSVersionInfoSize == sizeof(OSVERSIONINFOEXW)) {
        OSVERSIONINFOEXW* ex = (OSVERSIONINFOEXW*)info;
        ex->wServicePackMajor = os.servicePackMajor;
        ex->wServicePackMinor = os.servicePackMinor;
        ex->wSuiteMask = os.suiteMask;
        ex->wProductType = os.productType;
        ex->wReserved = 0;
    }
    return TRUE;
}

// Like the entry point above, these answer for the system that handed them out last.
static RecordedOs s_os;
static BOOL WINAPI RecordedIsWow64Process(HANDLE, PBOOL result)
{
    if (s_os.wow64 == RecordedOs::Wow64Fails || !result) {
        ::SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *result = s_os.wow64 == RecordedOs::Wow64Yes;
    return TRUE;
}
static void WINAPI RecordedGetNativeSystemInfo(LPSYSTEM_INFO info)
{
    if (!info) return;
    ZeroMemory(info, sizeof(*info));
    info->wProcessorArchitecture = s_os.nativeArchitecture;
    info->dwPageSize = 4096;
    info->dwNumberOfProcessors = 1;
}

BOOL(WINAPI* RecordedProbes::GetIsWow64Process())(HANDLE, PBOOL)
{
    s_os = os;
    return os.wow64 == RecordedOs::Wow64Absent ? NULL : &RecordedIsWow64Process;
}

void(WINAPI* RecordedProbes::GetGetNativeSystemInfo())(LPSYSTEM_INFO)
{
    s_os = os;
    return os.hasNativeSystemInfo ? &RecordedGetNativeSystemInfo : NULL;
}

UINT RecordedProbes::GetWindowsDirectoryW(LPWSTR buffer, UINT size)
{
    const std::wstring& d = os.windowsDirectory;
    if (!buffer || d.size() + 1 > size)
        return (UINT)d.size() + 1;  // the size needed, terminator included
    memcpy(buffer, d.c_str(), (d.size() + 1) * sizeof(WCHAR));
    return (UINT)d.size();
}

HRESULT RecordedProbes::SHGetFolderPathW(HWND, int folder, HANDLE, DWORD, LPWSTR path)
{
    const std::wstring* d = NULL;
    switch (folder & 0xFF) {
    case 0x25: d = &os.systemDirectory; break;   // CSIDL_SYSTEM
    case 0x24: d = &os.windowsDirectory; break;  // CSIDL_WINDOWS
    default: break;
    }
    if (!path)
        return E_INVALIDARG;
    if (!d || d->size() >= MAX_PATH) {
        path[0] = 0;
        return E_FAIL;
    }
    memcpy(path, d->c_str(), (d->size() + 1) * sizeof(WCHAR));
    return S_OK;
}

// A pure string operation: the system's own does exactly what is wanted.
BOOL RecordedProbes::PathAppendW(LPWSTR path, LPCWSTR more) { return ::PathAppendW(path, more); }

// --- current directory ----------------------------------------------------------------------------

bool RecordedProbes::FolderExists(const std::wstring& path) const
{
    std::wstring want = NormalizeFilePath(path);
    if (want.empty())
        return false;
    for (const std::wstring& d : m_leftDirectories)
        if (NormalizeFilePath(d) == want) return true;
    std::vector<std::wstring> known;
    known.push_back(currentDirectory);
    known.push_back(modulePath);
    known.push_back(os.windowsDirectory + L"\\x");
    known.push_back(os.systemDirectory + L"\\x");
    for (const RecordedFile& f : files) known.push_back(f.path);
    for (const RecordedLibrary& l : libraries) known.push_back(l.path);
    for (const std::wstring& k : known) {
        std::wstring n = NormalizeFilePath(k);
        // The folder itself (for the current directory) or any folder above a recorded file.
        if (n == want && &k == &known[0]) return true;
        if (n.size() > want.size() && n.compare(0, want.size(), want) == 0 && n[want.size()] == L'\\')
            return true;
    }
    return false;
}

wchar_t* RecordedProbes::_wgetcwd(wchar_t* buffer, int maxLen)
{
    if (!buffer || maxLen <= 0 || (int)currentDirectory.size() + 1 > maxLen) {
        errno = ERANGE;
        return NULL;
    }
    memcpy(buffer, currentDirectory.c_str(), (currentDirectory.size() + 1) * sizeof(WCHAR));
    return buffer;
}

int RecordedProbes::_wchdir(const wchar_t* dir)
{
    if (!dir || !FolderExists(dir)) {
        errno = ENOENT;
        return -1;
    }
    m_leftDirectories.push_back(currentDirectory);
    std::wstring d = dir;
    while (d.size() > 3 && (d.back() == L'\\' || d.back() == L'/')) d.pop_back();
    currentDirectory = d;
    return 0;
}
