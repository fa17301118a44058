// The whole check over one probe surface and one list of records: what the result window and the
// console report run.
#pragma once
#include "check/AdapterCheck.h"
#include "supportlist/SupportList.h"

class CNetvetterCheck {
public:
    CNetvetterCheck(IProbes& probes, AdapterList& list)
        : m_probes(probes), m_adapters(probes, list), m_support(probes, list), m_list(list) {}
    // Replaces the records with those of the adapters found and marks them from the list: 1 when the
    // list was read to its end, 0 otherwise (SupportList().ListMissing() tells why).
    int RunCheck();
    // The facts of the system as the last run read them.
    const CSystemFacts& Facts() const { return m_facts; }
    CAdapterCheck& Adapters() { return m_adapters; }
    CSupportList& SupportList() { return m_support; }

private:
    IProbes& m_probes;
    CAdapterCheck m_adapters;
    CSupportList m_support;
    AdapterList& m_list;
    CSystemFacts m_facts;
};
