// Which PC a check ran on and when: the facts a report or a capture carries so that files collected
// from many PCs can be told apart. Both come through the probe surface, so that a replay reports the
// recorded PC and time rather than the machine it runs on.
#pragma once
#include "check/probes.h"
#include <string>

// The computer's name, empty where the system does not say (an older recording).
std::wstring CheckedComputerName(IProbes& probes);
// The time of the check as ISO 8601 UTC to the second ("2026-12-07T20:41:07Z"), empty where the
// system does not say.
std::wstring CheckedAtText(IProbes& probes);

std::wstring IsoUtcText(const SYSTEMTIME& time);
// The reverse of IsoUtcText, exactly that form and a real date; false for anything else.
bool ParseIsoUtc(const std::wstring& text, SYSTEMTIME& time);
