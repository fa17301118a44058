#include "check/DriverRules.h"
#include <gtest/gtest.h>

namespace {
CAdapterRecord Record(const wchar_t* description, const wchar_t* id, WORD major, WORD minor, WORD build, WORD rev)
{
    CAdapterRecord r;
    r.Description = description;
    r.HardwareId = id;
    WORD v[4] = {major, minor, build, rev};
    for (int i = 0; i < 4; ++i) r.DriverVersion[i] = v[i];
    return r;
}
}

// The PROSet probe loads a library: the rules ask for it only for an Intel 3945 on the PCI bus, and
// whatever it says counts for that adapter alone.
TEST(DriverRulesTest, ProSetProbeOnlyForTheIntel3945OnPci)
{
    CAdapterRecord intel = Record(L"Intel(R) PRO/Wireless 3945ABG", L"PCI\\VEN_8086&DEV_4222", 10, 5, 0, 0);
    EXPECT_TRUE(DriverRulesNeedProSet(intel));
    CAdapterRecord lower = Record(L"INTEL(R) PRO/WIRELESS 3945ABG", L"PCI\\VEN_8086&DEV_4222", 10, 5, 0, 0);
    EXPECT_FALSE(DriverRulesNeedProSet(lower));  // the name is compared as the device reports it
    CAdapterRecord onUsb = Record(L"Intel(R) PRO/Wireless 3945ABG", L"USB\\VID_8086&PID_4222", 1, 0, 0, 0);
    EXPECT_FALSE(DriverRulesNeedProSet(onUsb));
    CAdapterRecord other = Record(L"Contoso PCI", L"PCI\\VEN_1814&DEV_0301", 0, 0, 0, 0);
    EXPECT_FALSE(DriverRulesNeedProSet(other));

    // A failed probe makes no difference to an adapter that does not need it.
    ApplyDriverRules(other, FALSE);
    EXPECT_EQ(CAdapterRecord::VerdictPassed, other.DriverVerdict);
    EXPECT_EQ(1, other.DriverVersionOk);
    ApplyDriverRules(onUsb, FALSE);
    EXPECT_EQ(CAdapterRecord::KindUsb, onUsb.AdapterKind);
    EXPECT_EQ(1, onUsb.DriverVersionOk);
}

// Applying the rules again to a record starts from its facts, not from an earlier verdict.
TEST(DriverRulesTest, VerdictFollowsTheFactsWhenAppliedAgain)
{
    CAdapterRecord stick = Record(L"Stick", L"USB\\VID_0CF3&PID_9170", 103, 1, 0, 112);
    ApplyDriverRules(stick, TRUE);
    EXPECT_EQ(CAdapterRecord::VerdictBadUsbDriver, stick.DriverVerdict);
    EXPECT_EQ(0, stick.DriverVersionOk);
    stick.DriverVersion[3] = 113;
    ApplyDriverRules(stick, TRUE);
    EXPECT_EQ(CAdapterRecord::VerdictPassed, stick.DriverVerdict);
    EXPECT_EQ(1, stick.DriverVersionOk);

    CAdapterRecord intel = Record(L"Intel(R) PRO/Wireless 3945ABG", L"PCI\\VEN_8086&DEV_4222", 10, 4, 0, 0);
    ApplyDriverRules(intel, TRUE);
    EXPECT_EQ(CAdapterRecord::VerdictBad3945Driver, intel.DriverVerdict);
    EXPECT_EQ(CAdapterRecord::KindIntel3945, intel.AdapterKind);
    ApplyDriverRules(intel, FALSE);
    EXPECT_EQ(CAdapterRecord::VerdictBadProSet, intel.DriverVerdict);
    EXPECT_EQ(CAdapterRecord::KindPci, intel.AdapterKind);
}
