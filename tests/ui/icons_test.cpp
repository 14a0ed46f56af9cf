// The icon path language and the icon table.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tests/ui/ui_test_fixture.h"
#include "ui/icons.h"

namespace {

using namespace Gdiplus;

// A parsed path as its points and how many figures it has.
struct Parsed {
  std::vector<PointF> points;
  std::vector<BYTE> types;
  int figures = 0;
};

Parsed Parse(const char* text) {
  Parsed out;
  GpPath* path = ui::ParseIconPath(text);
  INT count = 0;
  DllExports::GdipGetPointCount(path, &count);
  out.points.resize(static_cast<size_t>(count));
  out.types.resize(static_cast<size_t>(count));
  if (count > 0) {
    DllExports::GdipGetPathPoints(path, out.points.data(), count);
    DllExports::GdipGetPathTypes(path, out.types.data(), count);
  }
  for (BYTE t : out.types)
    if ((t & PathPointTypePathTypeMask) == PathPointTypeStart) ++out.figures;
  DllExports::GdipDeletePath(path);
  return out;
}

void ExpectPoints(const Parsed& p, const std::vector<std::pair<float, float>>& expected) {
  ASSERT_EQ(expected.size(), p.points.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_NEAR(expected[i].first, p.points[i].X, 1e-4) << "point " << i;
    EXPECT_NEAR(expected[i].second, p.points[i].Y, 1e-4) << "point " << i;
  }
}

TEST(IconPathTest, RelativeLinesAndSeparateFigures) {
  const Parsed p = Parse("M4 4l8 8M12 4l-8 8");
  ExpectPoints(p, {{4, 4}, {12, 12}, {12, 4}, {4, 12}});
  EXPECT_EQ(2, p.figures);
}

TEST(IconPathTest, NumbersAfterAMoveRepeatAsLines) {
  const Parsed with = Parse("M2 8 L8 11 L14 8");
  const Parsed without = Parse("M2 8 8 11 14 8");
  ExpectPoints(without, {{2, 8}, {8, 11}, {14, 8}});
  ASSERT_EQ(with.points.size(), without.points.size());
  EXPECT_EQ(with.types, without.types);
  // After a relative move they repeat as relative lines.
  ExpectPoints(Parse("m1 1 2 0 0 2"), {{1, 1}, {3, 1}, {3, 3}});
}

TEST(IconPathTest, SignsAndPointsEndNumbersWithoutSeparators) {
  ExpectPoints(Parse("M8 2c-2 2-2 10 0 12"), {{8, 2}, {6, 4}, {6, 12}, {8, 14}});
  ExpectPoints(Parse("M8 4.8v.1"), {{8, 4.8f}, {8, 4.9f}});
  ExpectPoints(Parse("M1e1,0\tH-.5e1\nV2"), {{10, 0}, {-5, 0}, {-5, 2}});
  ExpectPoints(Parse("M3 3h10 v-2 H1"), {{3, 3}, {13, 3}, {13, 1}, {1, 1}});
}

TEST(IconPathTest, SmoothCubicsReflectOnlyAfterACubic) {
  // Reflection of (2, 1) about (3, 0).
  ExpectPoints(Parse("M0 0 C1 1 2 1 3 0 S5 -1 6 0"), {{0, 0}, {1, 1}, {2, 1}, {3, 0}, {4, -1}, {5, -1}, {6, 0}});
  // Relative s after s keeps reflecting the last control point.
  ExpectPoints(Parse("M0 0 s1 1 2 0 s1 -1 2 0"), {{0, 0}, {0, 0}, {1, 1}, {2, 0}, {3, -1}, {3, -1}, {4, 0}});
  // Not after a cubic: the first control is the current point.
  ExpectPoints(Parse("M0 0 L1 0 S2 2 3 3"), {{0, 0}, {1, 0}, {1, 0}, {2, 2}, {3, 3}});
}

TEST(IconPathTest, CloseReturnsToTheFigureStart) {
  ExpectPoints(Parse("M1 1h2v2zl1 0"), {{1, 1}, {3, 1}, {3, 3}, {1, 1}, {2, 1}});
  const Parsed closed = Parse("M1 1h2v2z");
  EXPECT_TRUE(closed.types.back() & PathPointTypeCloseSubpath);
}

TEST(IconPathTest, ParsingStopsQuietlyAndKeepsWhatWasBuilt) {
  EXPECT_TRUE(Parse("M0 0 Q1 1 2 2").points.empty());             // a move alone adds no segment
  ExpectPoints(Parse("M0 0 L1 1 A 1 1 0 0 0 5 5 L9 9"), {{0, 0}, {1, 1}});  // unknown command
  ExpectPoints(Parse("M0 0 L1 1 Z 5 5 L9 9"), {{0, 0}, {1, 1}});  // a number straight after Z
  ExpectPoints(Parse("M0 0 L1 1 L2"), {{0, 0}, {1, 1}});           // missing coordinate
  ExpectPoints(Parse("M0 0 L1 inf"), {});                          // words are not numbers
  ExpectPoints(Parse("M0 0 L1 1 L1e40 5 L9 9"), {{0, 0}, {1, 1}});   // too big for a float
  ExpectPoints(Parse("M0 0 L1 1 L5 -1e39 L9 9"), {{0, 0}, {1, 1}});
  ExpectPoints(Parse("M0 0 l1 1 l3e38 0 l3e38 0 l1 1"), {{0, 0}, {1, 1}, {3e38f, 1}});  // a sum too big
  EXPECT_TRUE(Parse("5 5 L1 1").points.empty());                   // numbers before any command
  EXPECT_TRUE(Parse("").points.empty());
}

TEST(IconTableTest, EighteenUniqueNamesAndEveryPathIsReadToItsLastFigure) {
  std::set<std::string> names;
  for (const ui::IconEntry& e : ui::IconTable) {
    names.insert(e.name);
    int moves = 0;
    for (const char* c = e.path; *c; ++c) moves += (*c == 'M' || *c == 'm');
    EXPECT_EQ(moves, Parse(e.path).figures) << e.name;
  }
  EXPECT_EQ(18u, names.size());
  EXPECT_EQ(nullptr, ui::FindIcon("Gear"));
  EXPECT_NE(nullptr, ui::FindIcon("shield"));
}

class IconDrawTest : public uitest::UiTest {};

TEST_F(IconDrawTest, DiscIsTwoCirclesAndUnknownNamesDrawNothing) {
  // 160 units: one icon unit is 10 pixels.
  Frame(ui::Input(), [] { ui::DrawIcon("disc", 100, 100, 160, 0xFFFFFFFF, 0.4f); });
  EXPECT_NE(0u, Pixel(180 + 60, 180));   // outer circle, radius 6
  EXPECT_NE(0u, Pixel(180, 180 - 16));   // inner circle, radius 1.6
  EXPECT_EQ(0u, Pixel(180, 180));        // nothing at the centre
  EXPECT_EQ(0u, Pixel(180 + 40, 180));   // nor between the circles
  EXPECT_EQ(0u, Pixel(105, 105));        // nor in the corners of the box

  surface_->Clear(0xFF000000);
  Frame(ui::Input(), [] {
    ui::DrawIcon("Disc", 100, 100, 160, 0xFFFFFFFF, 2);
    ui::DrawIcon("nothing", 100, 100, 160, 0xFFFFFFFF, 2);
  });
  for (int y = 90; y < 270; y += 3)
    for (int x = 90; x < 270; x += 3) ASSERT_EQ(0u, Pixel(x, y)) << x << "," << y;
}

TEST_F(IconDrawTest, EveryIconStrokesItsPathsCirclesAndFrameAndFillsNothing) {
  // Points in the 16-unit icon box on each figure, circle and frame of the table, and
  // points at least a stroke away from all of them (inside closed shapes among them).
  struct Look {
    const char* name;
    std::vector<std::pair<float, float>> stroked, empty;
  };
  const Look looks[] = {
      {"gear", {{8, 2.5f}, {1.8f, 8}, {11.9f, 11.9f}, {8, 10.3f}}, {{8, 8}, {2.5f, 2.5f}}},
      {"pad", {{5.5f, 8}, {5.5f, 7.2f}, {8, 5}, {8, 11}, {14.5f, 8}, {1.5f, 8}}, {{11, 8}, {8, 2}}},
      {"logs", {{8, 2.5f}, {13, 8}, {8, 13.5f}, {3, 8}, {8, 5.5f}, {7, 10.5f}}, {{10, 10.5f}, {1, 1}}},
      {"about", {{14.2f, 8}, {8, 1.8f}, {8, 9}, {8, 4.85f}}, {{10, 8}, {8, 12.2f}}},
      {"disc", {{14, 8}, {2, 8}, {8, 9.6f}}, {{8, 8}, {11, 8}, {1, 1}}},
      {"display", {{8, 2.5f}, {1.5f, 7}, {14.5f, 7}, {8, 11.5f}, {8, 14}, {8, 12.75f}}, {{8, 7}, {1, 14.5f}}},
      {"graphics", {{4, 10}, {7.5f, 8.5f}, {10, 9}, {12.5f, 10.5f}, {8, 13}, {11, 3}, {12.5f, 4.5f}},
       {{11, 4.5f}, {8, 11.5f}, {2, 2}}},
      {"audio", {{4, 6}, {9.5f, 8}, {2.5f, 8}, {12.25f, 8}}, {{6, 8}, {14.5f, 2}}},
      {"language", {{5, 8}, {8, 14}, {12.24f, 3.76f}, {9.125f, 4.4375f}, {6.875f, 4.4375f}}, {{8, 5}, {11, 5}}},
      {"builds", {{11, 3.5f}, {5, 3.5f}, {11, 6.5f}, {5, 9.5f}, {11, 12.5f}}, {{8, 5}, {2, 14}}},
      {"min", {{8, 8}, {3.2f, 8}}, {{8, 10}, {15, 8}}},
      {"close", {{8, 8}, {5, 5}, {11, 5}}, {{8, 4}}},
      {"shield", {{10.75f, 2.75f}, {13.5f, 6}, {2.5f, 6}, {6.4f, 8.9f}, {8.9f, 8.05f}}, {{8, 5}}},
      {"chev", {{9.6f, 6.4f}, {9.6f, 9.6f}}, {{6.4f, 6.4f}}},
      {"tick", {{4.7f, 10.7f}, {10, 8.35f}}, {{8, 6}}},
      {"cross", {{6, 6}, {10, 6}}, {{8, 4}}},
      {"folder", {{4, 4.7f}, {10, 6}, {14, 9}, {8, 12.7f}, {2, 9}, {8, 10}, {7, 8}}, {{12, 9.5f}, {4, 9.5f}}},
      {"back", {{6.4f, 6.4f}, {6.4f, 9.6f}}, {{9.6f, 6.4f}}},
  };
  for (const Look& look : looks) {
    surface_->Clear(0xFF000000);
    // 160 units: one icon unit is 10 pixels, and a stroke of 1 is 10 pixels wide.
    Frame(ui::Input(), [&] { ui::DrawIcon(look.name, 0, 0, 160, 0xFFFFFFFF, 1); });
    for (const auto& [x, y] : look.stroked)
      EXPECT_EQ(0xFFFFFFu, Pixel(static_cast<int>(x * 10), static_cast<int>(y * 10)))
          << look.name << " " << x << "," << y;
    for (const auto& [x, y] : look.empty)
      EXPECT_EQ(0u, Pixel(static_cast<int>(x * 10), static_cast<int>(y * 10))) << look.name << " " << x << "," << y;
  }
}

TEST_F(IconDrawTest, StrokesScaleWithTheIconAndUseRoundCaps) {
  // "min" is one line from (3, 8) to (13, 8); at 160 units a 1-unit stroke is 10 pixels.
  Frame(ui::Input(), [] { ui::DrawIcon("min", 0, 0, 160, 0xFFFFFFFF, 1); });
  EXPECT_NE(0u, Pixel(80, 76));
  EXPECT_NE(0u, Pixel(80, 83));
  EXPECT_EQ(0u, Pixel(80, 88));
  EXPECT_NE(0u, Pixel(27, 80));  // the round cap reaches half a stroke past the end
  EXPECT_EQ(0u, Pixel(22, 80));
}

}  // namespace
