// The name of the running Windows release shown in the header table.
#pragma once
#include "check/SystemFacts.h"

// "Windows 7 64-Bit (Service Pack 1)" and the like; empty for a release the program does not know.
CString OsDisplayName(const CSystemFacts& facts);
