// The facts of the system come from one reader: what each Windows query answered, and a system
// library whose version block cannot be trusted reads as version 0.0.
#include <gtest/gtest.h>
#include "check/SystemFacts.h"
#include "recorded/RecordedProbes.h"

namespace {

RecordedFile Kernel(WORD major, WORD minor, WORD build)
{
    RecordedFile k;
    k.path = L"C:\\WINDOWS\\system32\\kernel32.dll";
    k.hasVersion = true;
    k.fileVersionMS = MAKELONG(1, 5);  // the product version counts, not the file version
    k.productVersionMS = MAKELONG(minor, major);
    k.productVersionLS = MAKELONG(0, build);
    return k;
}

// Hands back a version block that lies: larger than any version resource, or a fixed part that is
// short or lies outside the block.
struct LyingVersion : RecordedProbes {
    enum Lie { Honest, HugeSize, OutsidePointer, ShortLength } lie = Honest;
    DWORD GetFileVersionInfoSizeW(LPCWSTR path, LPDWORD handle) override
    {
        DWORD size = RecordedProbes::GetFileVersionInfoSizeW(path, handle);
        return lie == HugeSize && size ? 0xFFFFFFF0u : size;
    }
    BOOL VerQueryValueW(LPCVOID block, LPCWSTR sub, LPVOID* out, PUINT len) override
    {
        BOOL ok = RecordedProbes::VerQueryValueW(block, sub, out, len);
        if (ok && lie == OutsidePointer) *out = (BYTE*)*out + 0x10000;
        if (ok && lie == ShortLength) *len = sizeof(VS_FIXEDFILEINFO) - 1;
        return ok;
    }
};

}  // namespace

TEST(SystemFactsTest, EachQueryAsItAnswered)
{
    RecordedProbes p;
    p.files.push_back(Kernel(10, 0, 22631));
    p.os.major = 6;
    p.os.minor = 2;
    p.os.csdVersion = L"SP9";
    p.os.wow64 = RecordedOs::Wow64Yes;
    p.os.nativeArchitecture = PROCESSOR_ARCHITECTURE_AMD64;
    CSystemFacts f = ReadSystemFacts(p);
    EXPECT_EQ(0xA0000u, f.KernelVersion());
    EXPECT_EQ(22631, f.kernelBuild);
    EXPECT_EQ(6u, f.reportedMajor);
    EXPECT_EQ(2u, f.reportedMinor);
    EXPECT_EQ(L"SP9", f.servicePack);
    EXPECT_TRUE(f.wow64);
    EXPECT_EQ(CSystemFacts::Wow64Answered, f.wow64Query);
    EXPECT_TRUE(f.NativeX64());

    // A failing or absent WOW64 query counts as 32-bit Windows; no native query, no x64.
    p.os.wow64 = RecordedOs::Wow64Fails;
    f = ReadSystemFacts(p);
    EXPECT_FALSE(f.wow64);
    EXPECT_EQ(CSystemFacts::Wow64Failed, f.wow64Query);
    p.os.wow64 = RecordedOs::Wow64Absent;
    p.os.hasNativeSystemInfo = false;
    f = ReadSystemFacts(p);
    EXPECT_FALSE(f.wow64);
    EXPECT_EQ(CSystemFacts::Wow64Absent, f.wow64Query);
    EXPECT_FALSE(f.NativeX64());

    // No system library to read: 0.0, build 0.
    p.files.clear();
    f = ReadSystemFacts(p);
    EXPECT_EQ(0u, f.KernelVersion());
    EXPECT_EQ(0, f.kernelBuild);
}

TEST(SystemFactsTest, AnUntrustworthyVersionBlockReadsAsNone)
{
    for (LyingVersion::Lie lie : {LyingVersion::HugeSize, LyingVersion::OutsidePointer, LyingVersion::ShortLength}) {
        LyingVersion p;
        p.files.push_back(Kernel(6, 3, 9600));
        p.lie = lie;
        CSystemFacts f = ReadSystemFacts(p);
        EXPECT_EQ(0u, f.KernelVersion()) << lie;
        EXPECT_EQ(0, f.kernelBuild) << lie;
    }
    LyingVersion honest;
    honest.files.push_back(Kernel(6, 3, 9600));
    EXPECT_EQ(0x60003u, ReadSystemFacts(honest).KernelVersion());
    EXPECT_EQ(9600, ReadSystemFacts(honest).kernelBuild);
}
