#include <gtest/gtest.h>
#include "store/Paths.h"
TEST(Paths, Join) { EXPECT_EQ(memo::PathJoin("C:\\a", "b"), "C:\\a\\b"); }
