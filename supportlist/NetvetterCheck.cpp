#include "supportlist/NetvetterCheck.h"

int CNetvetterCheck::RunCheck()
{
    DeleteAdapterRecords(m_list);
    m_adapters.EnumerateAdapters();
    m_facts = ReadSystemFacts(m_probes);
    return m_support.ApplySupportList(m_facts) ? 1 : 0;
}
