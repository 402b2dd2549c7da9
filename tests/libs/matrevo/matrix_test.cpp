// TMatrix: size, zero fill, row access, clean-up.
#include <matrevo/matrix.h>

#include <gtest/gtest.h>

namespace {

TEST(TMatrix, CreatesZeroFilledRowMajorAndCleansUp)
{
    TMatrix m;
    EXPECT_TRUE(m.IsEmpty());
    ASSERT_TRUE(m.CreateMatArray(2, 3));
    EXPECT_EQ(m.Rows(), 2);
    EXPECT_EQ(m.Cols(), 3);
    m[1][2] = 5;
    m[0][1] = 1;
    EXPECT_EQ(m[0][0], 0);
    EXPECT_EQ(m[1][2], 5);
    EXPECT_EQ(&m[1][0], &m[0][0] + 3);
    // A new size starts from zeros again.
    ASSERT_TRUE(m.CreateMatArray(3, 1));
    EXPECT_EQ(m[2][0], 0);
    m.CleanUp();
    EXPECT_EQ(m.Rows(), 0);
    EXPECT_EQ(m.Cols(), 0);
    EXPECT_FALSE(m.CreateMatArray(-1, 2));
    EXPECT_TRUE(m.IsEmpty());
}

} // namespace
