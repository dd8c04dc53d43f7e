// What the rules remember of a window and what a look at it may dock it
// for, as plain values: the opening and its ten seconds, the turn to
// minimized, a window brought back, a change of the rules.
#include "docking/RuleEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

struct Look {
    bool visible, iconic, listed;
};
const Look kHidden{false, false, true}, kNormal{true, false, true}, kIconic{true, true, true},
    kUnlisted{true, false, false};

DWORD At(WindowMemory& m, const Look& look, DWORD now, int* asked = nullptr)
{
    return LookAt(m, look.visible, look.iconic, now, [&] {
        if (asked)
            ++*asked;
        return look.listed;
    });
}

WindowMemory Fresh()
{
    WindowMemory m{};
    m.dwTriggers = RULE_BOTH;
    return m;
}

TEST(RuleEngine, AWindowOpensWhenFirstListedAndForTenSecondsAfter)
{
    WindowMemory m = Fresh();
    EXPECT_EQ(0u, At(m, kHidden, 100));     // made hidden
    EXPECT_EQ(0u, At(m, kUnlisted, 200));   // shown without a title yet
    EXPECT_FALSE(m.bAppeared);
    EXPECT_EQ(RULE_OPENS, At(m, kNormal, 1000));
    EXPECT_EQ(RULE_OPENS, At(m, kNormal, 1000 + kOpeningMs));   // a title that matches only now
    EXPECT_EQ(0u, At(m, kNormal, 1001 + kOpeningMs));
    // Nothing is left to read of it but whether it turns minimized.
    EXPECT_FALSE(Settled(m));
    WindowMemory opensOnly = m;
    opensOnly.dwTriggers = RULE_OPENS;
    EXPECT_TRUE(Settled(opensOnly));
    // Hidden and shown again, it has opened already.
    EXPECT_EQ(0u, At(m, kHidden, 20000));
    EXPECT_EQ(0u, At(m, kNormal, 21000));

    // The ten seconds across the tick count's wrap.
    WindowMemory w = Fresh();
    EXPECT_EQ(RULE_OPENS, At(w, kNormal, 0xFFFFF000u));
    EXPECT_EQ(RULE_OPENS, At(w, kNormal, 0xFFFFF000u + 9000));
    EXPECT_EQ(0u, At(w, kNormal, 0xFFFFF000u + 11000));
}

TEST(RuleEngine, MinimizedCountsOnTheTurnOnly)
{
    WindowMemory m = Fresh();
    EXPECT_EQ(RULE_OPENS, At(m, kNormal, 0));
    EXPECT_EQ(RULE_MINIMIZED, At(m, kIconic, 20000) & RULE_MINIMIZED);
    EXPECT_EQ(0u, At(m, kIconic, 21000));
    EXPECT_EQ(0u, At(m, kHidden, 22000));   // its program hid it, then shows it minimized
    EXPECT_EQ(0u, At(m, kNormal, 23000));
    EXPECT_EQ(RULE_MINIMIZED, At(m, kIconic, 24000));
    // One that appears minimized was minimized as it opened.
    WindowMemory n = Fresh();
    EXPECT_EQ(RULE_OPENS | RULE_MINIMIZED, At(n, kIconic, 0));
}

TEST(RuleEngine, ADockedWindowBroughtBackNeitherOpensNorIsMinimizedUntilItTurns)
{
    CWindowMemories memories;
    const HWND h = reinterpret_cast<HWND>(0x1234);
    // Docked by hand before any look: it has opened all the same.
    memories.Docked(h, 0);
    WindowMemory& m = *memories.Find(h);
    m.dwTriggers = RULE_BOTH;
    EXPECT_EQ(0u, At(m, kIconic, 100));   // brought back minimized
    EXPECT_EQ(0u, At(m, kNormal, 200));   // restored
    EXPECT_EQ(RULE_MINIMIZED, At(m, kIconic, 300));
}

TEST(RuleEngine, TheListingIsAskedOnlyWhenItDecides)
{
    WindowMemory m = Fresh();
    int asked = 0;
    At(m, kHidden, 0, &asked);
    EXPECT_EQ(0, asked);
    At(m, kNormal, 0, &asked);
    EXPECT_EQ(1, asked);
    At(m, kNormal, 20000, &asked);   // opened and not minimized: nothing to decide
    EXPECT_EQ(1, asked);
    At(m, kIconic, 21000, &asked);
    EXPECT_EQ(2, asked);
}

TEST(WindowMemories, ByHandleAndDroppedWhenAWholeWalkMissesThem)
{
    CWindowMemories memories;
    std::vector<UINT_PTR> handles = {0x50, 0x10, 0x30, 0xFFFF0010, 0x20, 0x40};
    for (UINT_PTR h : handles)
        ASSERT_NE(nullptr, memories.Add(reinterpret_cast<HWND>(h), 7));
    EXPECT_EQ(memories.Add(reinterpret_cast<HWND>(0x30), 8), memories.Find(reinterpret_cast<HWND>(0x30)));
    EXPECT_EQ(7u, memories.Find(reinterpret_cast<HWND>(0x30))->dwBorn);
    for (UINT_PTR h : handles)
        EXPECT_EQ(reinterpret_cast<HWND>(h), memories.Find(reinterpret_cast<HWND>(h))->hWnd);
    EXPECT_EQ(nullptr, memories.Find(reinterpret_cast<HWND>(0x35)));
    memories.Forget(reinterpret_cast<HWND>(0x10));
    EXPECT_EQ(nullptr, memories.Find(reinterpret_cast<HWND>(0x10)));

    memories.BeginRound();
    for (UINT_PTR h : {0x20, 0x50})
        memories.Find(reinterpret_cast<HWND>(h))->dwRound = memories.Round();
    memories.EndRound();
    EXPECT_EQ(2, memories.Count());
    EXPECT_NE(nullptr, memories.Find(reinterpret_cast<HWND>(0x20)));
}

TEST(WindowMemories, AfterAChangeOfTheRulesEveryWindowHasOpened)
{
    CWindowMemories memories;
    // Followed for its program's rule, still within its opening: it keeps it.
    WindowMemory* followed = memories.Add(reinterpret_cast<HWND>(0x10), 0);
    *followed = Fresh();
    followed->hWnd = reinterpret_cast<HWND>(0x10);
    followed->dwVersion = 1;
    At(*followed, kNormal, 0);
    // Of a program no rule named: nothing was kept about it.
    WindowMemory* unfollowed = memories.Add(reinterpret_cast<HWND>(0x20), 0);
    unfollowed->dwVersion = 1;
    memories.AddExisting(reinterpret_cast<HWND>(0x30), 0);
    memories.Rebase(false);
    EXPECT_TRUE(followed->bOpening);
    for (WindowMemory* m : {unfollowed, memories.Find(reinterpret_cast<HWND>(0x30))}) {
        m->dwTriggers = RULE_BOTH;
        EXPECT_EQ(0u, At(*m, kIconic, 100)) << m->hWnd;   // its state now is what it was
        EXPECT_EQ(0u, At(*m, kNormal, 200));
        EXPECT_EQ(RULE_MINIMIZED, At(*m, kIconic, 300));
    }
    memories.Rebase(true);   // nothing was followed
    EXPECT_FALSE(followed->bOpening);
}

}  // namespace
