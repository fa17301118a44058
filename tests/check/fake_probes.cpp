#include "FakeProbes.h"
FakeProbes* FakeProbes::s_cur = nullptr;
DWORD FakeProbes::s_apiVersion = 0xA0005;
