#include "material/texture_block.h"

#include <gtest/gtest.h>

#include <limits>

#include "record_text/number_text.h"
#include "tests/material/test_support.h"

namespace material {
namespace {

using record_text::NumberText;
using test::MakeTexture;

// A transform whose leading 2x2 block is [[m00, m01], [m10, m11]], the rest
// as in the identity.
ON_Xform Leading(double m00, double m01, double m10, double m11) {
  ON_Xform x = ON_Xform::IdentityTransformation;
  x.m_xform[0][0] = m00;
  x.m_xform[0][1] = m01;
  x.m_xform[1][0] = m10;
  x.m_xform[1][1] = m11;
  return x;
}

// The transform as the block writes its numbers, for compact comparisons.
std::wstring Described(const TextureTransform& t) {
  if (!t.use_explicit) return L"identity";
  return NumberText(t.width) + L" " + NumberText(t.height) + L" " + NumberText(t.rotation);
}

TEST(TextureTransformTest, IdentityAndTranslationOnlyCountAsIdentity) {
  EXPECT_EQ(Described(TextureTransformOf(ON_Xform::IdentityTransformation)), L"identity");
  EXPECT_EQ(Described(TextureTransformOf(
                ON_Xform::TranslationTransformation(ON_3dVector(0.25, -3.0, 7.0)))),
            L"identity");
  // Entries outside the leading 2x2 block are never read.
  ON_Xform x = ON_Xform::IdentityTransformation;
  x.m_xform[2][2] = 5.0;
  x.m_xform[3][0] = 9.0;
  x.m_xform[0][2] = 4.0;
  EXPECT_EQ(Described(TextureTransformOf(x)), L"identity");
}

TEST(TextureTransformTest, ScalesGiveReciprocalColumnLengths) {
  EXPECT_EQ(Described(TextureTransformOf(Leading(2, 0, 0, 2))), L"0.500000 0.500000 0.000000");
  EXPECT_EQ(Described(TextureTransformOf(Leading(2, 0, 0, 4))), L"0.500000 0.250000 0.000000");
  // Columns, not rows: first column (3, 0), second column (4, 1); the first
  // row (3, 4) points 53.13 degrees off the first axis.
  EXPECT_EQ(Described(TextureTransformOf(Leading(3, 4, 0, 1))), L"0.333333 0.242536 53.130102");
}

TEST(TextureTransformTest, QuarterTurnsAndOtherDirections) {
  struct Case {
    double m00, m01, m10, m11;
    const wchar_t* described;
  };
  const Case cases[] = {
      {0, -1, 1, 0, L"1.000000 1.000000 270.000000"},
      {0, 1, -1, 0, L"1.000000 1.000000 90.000000"},
      {-1, 0, 0, -1, L"1.000000 1.000000 180.000000"},
      {0.8660254037844387, 0.5, -0.5, 0.8660254037844387, L"1.000000 1.000000 30.000000"},
      {0.8660254037844387, -0.5, 0.5, 0.8660254037844387, L"1.000000 1.000000 330.000000"},
      {0, -2, 2, 0, L"0.500000 0.500000 270.000000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "first row " << c.m00 << ", " << c.m01);
    EXPECT_EQ(Described(TextureTransformOf(Leading(c.m00, c.m01, c.m10, c.m11))), c.described);
  }
}

TEST(TextureTransformTest, TinyFirstRowSecondEntryDependsOnItsSign) {
  EXPECT_EQ(Described(TextureTransformOf(Leading(1, 1e-12, 0, 1))), L"1.000000 1.000000 0.000000");
  EXPECT_EQ(Described(TextureTransformOf(Leading(1, -1e-12, 0, 1))), L"identity");
}

TEST(TextureTransformTest, IdentityTestReadsRowLengthsAndFirstRowDirectionOnly) {
  // A shear: unit rows, first row along the first axis, columns not unit.
  EXPECT_EQ(Described(TextureTransformOf(Leading(1, 0, 0.6, 0.8))), L"identity");
  // Row lengths just inside and just outside the tolerance of 2^-32.
  EXPECT_EQ(Described(TextureTransformOf(Leading(1 + 1e-10, 0, 0, 1))), L"identity");
  EXPECT_EQ(Described(TextureTransformOf(Leading(1, 0, 0, 1 + 1e-9))),
            L"1.000000 1.000000 0.000000");
}

TEST(TextureTransformTest, DegenerateTransformsCountAsIdentity) {
  EXPECT_EQ(Described(TextureTransformOf(ON_Xform::ZeroTransformation)), L"identity");
  EXPECT_EQ(Described(TextureTransformOf(Leading(0, 0, 0.5, 0.5))), L"identity");  // zero row 0
  EXPECT_EQ(Described(TextureTransformOf(Leading(0.5, 0.5, 0, 0))), L"identity");  // zero row 1
  EXPECT_EQ(Described(TextureTransformOf(Leading(0, 1, 0, 2))), L"identity");      // zero column 0
  EXPECT_EQ(Described(TextureTransformOf(Leading(3, 0, 2, 0))), L"identity");      // zero column 1
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(Described(TextureTransformOf(Leading(nan, 0, 0, 2))), L"identity");
  EXPECT_EQ(Described(TextureTransformOf(Leading(2, 0, inf, 2))), L"identity");
  // Column lengths whose reciprocals overflow.
  EXPECT_EQ(Described(TextureTransformOf(Leading(1e-310, 0, 0, 1e-310))), L"identity");
  EXPECT_EQ(Described(TextureTransformOf(Leading(1, 0, 0, 1e-310))), L"identity");
}

TEST(TextureTransformTest, TinyButNonZeroEntriesAreStillRead) {
  // Squares of these underflow; the lengths must not.
  EXPECT_EQ(Described(TextureTransformOf(Leading(1e-170, 0, 0, 1e-170))),
            NumberText(1.0 / 1e-170) + L" " + NumberText(1.0 / 1e-170) + L" 0.000000");
}

TEST(TextureBlockTest, IdentityBlock) {
  const ON_Texture t = MakeTexture(ON_Texture::TYPE::bump_texture, L"D:\\maps\\bump.png", 0.3);
  EXPECT_EQ(TextureBlock(&t),
            L"<Filepath>D:\\maps\\bump.png</Filepath><Brightness>0.300000</Brightness>"
            L"<UseExplicitTransformation>false</UseExplicitTransformation>");
}

TEST(TextureBlockTest, ExplicitBlockWritesZeroOffsetsWhateverTheTranslation) {
  ON_Texture t = MakeTexture(ON_Texture::TYPE::bitmap_texture, L"/maps/wood grain.jpg", 1.0);
  t.m_uvw = Leading(0, -2, 2, 0);
  t.m_uvw.m_xform[0][3] = 0.25;
  t.m_uvw.m_xform[1][3] = -4.0;
  EXPECT_EQ(TextureBlock(&t),
            L"<Filepath>/maps/wood grain.jpg</Filepath><Brightness>1.000000</Brightness>"
            L"<UseExplicitTransformation>true</UseExplicitTransformation>"
            L"<Width>0.500000</Width><Height>0.500000</Height><Rotation>270.000000</Rotation>"
            L"<U_Offset>0.000000</U_Offset><V_Offset>0.000000</V_Offset>");
}

TEST(TextureBlockTest, NoTextureOrNoPathGivesEmptyBlock) {
  EXPECT_EQ(TextureBlock(nullptr), L"");
  ON_Texture t = MakeTexture(ON_Texture::TYPE::bitmap_texture, L"", 0.5);
  t.m_uvw = Leading(2, 0, 0, 2);
  EXPECT_EQ(TextureBlock(&t), L"");
}

TEST(TextureBlockTest, PathIsEscapedAndAmountWrittenAsGiven) {
  const ON_Texture t =
      MakeTexture(ON_Texture::TYPE::bitmap_texture, L"C:\\R&D\\<new>\\a.png", -0.125);
  EXPECT_EQ(
      TextureBlock(&t),
      L"<Filepath>C:\\R&amp;D\\&lt;new&gt;\\a.png</Filepath><Brightness>-0.125000</Brightness>"
      L"<UseExplicitTransformation>false</UseExplicitTransformation>");
}

}  // namespace
}  // namespace material
