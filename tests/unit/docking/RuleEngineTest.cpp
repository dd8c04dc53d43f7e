// What the rules remember of a window and what a look at it may dock it
// for, as plain values: the opening and its ten seconds, the turn to
// minimized, a window brought back, a change of the rules.
#include "docking/RuleEngine.h"

#include <gtest/gtest.h>

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

HWND H(UINT_PTR h)
{
    return reinterpret_cast<HWND>(h);
}

TEST(RuleEngine, AWindowOpensWhenFirstListedAndForTenSecondsAfter)
{
    WindowMemory m = Fresh();
    int asked = 0;
    EXPECT_EQ(0u, At(m, kHidden, 100, &asked));   // made hidden: not even asked whether listed
    EXPECT_EQ(0, asked);
    EXPECT_EQ(0u, At(m, kUnlisted, 200));          // shown without a title yet
    EXPECT_EQ(RULE_OPENS, At(m, kNormal, 1000));
    EXPECT_EQ(RULE_OPENS, At(m, kNormal, 1000 + kOpeningMs));   // a title that comes to match
    EXPECT_EQ(0u, At(m, kNormal, 1001 + kOpeningMs, &asked));
    EXPECT_EQ(0, asked) << "opened, and not minimized: nothing to decide";
    EXPECT_EQ(0u, At(m, kHidden, 20000));          // hidden and shown again: it has opened
    EXPECT_EQ(0u, At(m, kNormal, 21000));
    EXPECT_FALSE(Settled(m));                      // whether it turns minimized still matters
    m.dwTriggers = RULE_OPENS;
    EXPECT_TRUE(Settled(m));

    WindowMemory w = Fresh();   // the ten seconds across the tick count's wrap
    EXPECT_EQ(RULE_OPENS, At(w, kNormal, 0xFFFFF000u));
    EXPECT_EQ(RULE_OPENS, At(w, kNormal, 0xFFFFF000u + 9000));
    EXPECT_EQ(0u, At(w, kNormal, 0xFFFFF000u + 11000));
}

TEST(RuleEngine, MinimizedCountsOnTheTurnOnlyAndNotWhenBroughtBackSo)
{
    WindowMemory m = Fresh();
    At(m, kNormal, 0);
    EXPECT_EQ(RULE_MINIMIZED, At(m, kIconic, 20000));
    EXPECT_EQ(0u, At(m, kIconic, 21000));
    EXPECT_EQ(0u, At(m, kHidden, 22000));   // its program hid it, then shows it restored
    EXPECT_EQ(0u, At(m, kNormal, 23000));
    EXPECT_EQ(RULE_MINIMIZED, At(m, kIconic, 24000));
    WindowMemory n = Fresh();   // appearing minimized is being minimized as it opens
    EXPECT_EQ(RULE_OPENS | RULE_MINIMIZED, At(n, kIconic, 0));

    // Docked (by hand, before any look): it has opened, and it was minimized.
    CWindowMemories memories;
    memories.Docked(H(0x1234), 0);
    WindowMemory& d = *memories.Find(H(0x1234));
    d.dwTriggers = RULE_BOTH;
    EXPECT_EQ(0u, At(d, kIconic, 100));   // brought back minimized
    EXPECT_EQ(0u, At(d, kNormal, 200));   // restored
    EXPECT_EQ(RULE_MINIMIZED, At(d, kIconic, 300));
}

TEST(WindowMemories, ByHandleDroppedWhenAWholeWalkMissesThemAndOpenedWhenTheRulesChange)
{
    CWindowMemories memories;
    for (UINT_PTR h : {0x50u, 0x10u, 0x30u, 0xFFFF0010u, 0x20u, 0x40u})
        ASSERT_EQ(H(h), memories.Add(H(h), 7)->hWnd);
    EXPECT_EQ(memories.Add(H(0x30), 8), memories.Find(H(0x30)));
    EXPECT_EQ(7u, memories.Find(H(0x30))->dwBorn);
    EXPECT_EQ(H(0xFFFF0010), memories.Find(H(0xFFFF0010))->hWnd);
    EXPECT_EQ(nullptr, memories.Find(H(0x35)));
    memories.Forget(H(0x10));
    EXPECT_EQ(nullptr, memories.Find(H(0x10)));
    memories.BeginRound();
    for (UINT_PTR h : {0x20u, 0x50u})
        memories.Find(H(h))->dwRound = memories.Round();
    memories.EndRound();
    EXPECT_EQ(2, memories.Count());

    // Followed for its program's rule and still opening, a window keeps its
    // chance; one of a program no rule named, and one new to the memory,
    // have opened, their state unknown until the next look.
    WindowMemory* followed = memories.Find(H(0x20));
    followed->dwTriggers = RULE_BOTH;
    followed->dwVersion = 1;
    At(*followed, kNormal, 0);
    WindowMemory* unfollowed = memories.Find(H(0x50));
    unfollowed->dwVersion = 1;
    memories.AddExisting(H(0x60), 0);
    memories.Rebase(false);
    EXPECT_TRUE(followed->bOpening);
    for (WindowMemory* m : {unfollowed, memories.Find(H(0x60))}) {
        m->dwTriggers = RULE_BOTH;
        EXPECT_EQ(0u, At(*m, kIconic, 100)) << m->hWnd;
        EXPECT_EQ(0u, At(*m, kNormal, 200));
        EXPECT_EQ(RULE_MINIMIZED, At(*m, kIconic, 300));
    }
    memories.Rebase(true);   // nothing was followed
    EXPECT_FALSE(followed->bOpening);
}

}  // namespace
