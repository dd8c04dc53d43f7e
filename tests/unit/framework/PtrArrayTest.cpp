// The pointer list the catalogue, the docked list and the menus live in:
// order kept through growth and removal, nothing freed.
#include "framework/PtrArray.h"

#include <gtest/gtest.h>

namespace {

TEST(PtrArray, KeepsOrderThroughGrowthAndRemoval)
{
    static int cells[1000];
    CTypedPtrArray<int> list;
    EXPECT_TRUE(list.IsEmpty());
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(i, list.Add(&cells[i]));
    ASSERT_EQ(1000, list.GetSize());
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(&cells[i], list[i]) << i;

    list.RemoveAt(0);
    list.RemoveAt(499);       // was cells[500]
    list.RemoveAt(997);       // the last one, cells[999]
    ASSERT_EQ(997, list.GetSize());
    EXPECT_EQ(&cells[1], list[0]);
    EXPECT_EQ(&cells[499], list[498]);
    EXPECT_EQ(&cells[501], list[499]);
    EXPECT_EQ(&cells[998], list[996]);

    EXPECT_EQ(498, list.Find(&cells[499]));
    EXPECT_EQ(-1, list.Find(&cells[500]));
    EXPECT_EQ(-1, list.Find(nullptr));

    list.RemoveAll();
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(0, list.Add(&cells[7]));   // usable again after emptying
    EXPECT_EQ(&cells[7], list.GetAt(0));
}

}  // namespace
