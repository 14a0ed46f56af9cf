// The truck run's simulation, the backdrop's static layer and the emblem's caches.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "art/backdrop.h"
#include "art/emblem.h"
#include "art/truck_run.h"
#include "tests/ui/ui_test_fixture.h"
#include "ui/layer.h"
#include "ui/palette.h"

namespace {

constexpr float kDt = 1.0f / 30;

// Steps until stop says so; fails the test after max_steps.
int StepUntil(art::TruckRun* run, const std::function<bool(const art::TruckRun&)>& stop, int max_steps = 20000) {
  for (int i = 0; i < max_steps; ++i) {
    if (stop(*run)) return i;
    run->Step(kDt);
  }
  ADD_FAILURE() << "the run never got there";
  return max_steps;
}

bool Is(const art::TruckRun& r, int state) { return r.state == state; }

// [SECTION] Truck run

TEST(TruckRunTest, SpeedRisesSteadilyToExactlyTheCapAtTheRamp) {
  art::TruckRun run;
  EXPECT_STREQ("drive", run.StateName());
  EXPECT_FLOAT_EQ(40, run.Speed());
  float previous = run.Speed();
  while (Is(run, art::kTruckDrive)) {
    run.Step(kDt);
    ASSERT_GE(run.Speed(), previous);
    previous = run.Speed();
  }
  EXPECT_STREQ("air", run.StateName());
  EXPECT_EQ(230.0f, run.Speed());
  EXPECT_NEAR(1080, run.x, 0.01);  // off the top of the ramp
  EXPECT_NEAR(92, run.y, 0.01);
  EXPECT_LT(run.vy, 0);            // thrown upwards
  EXPECT_LT(run.spin, 0);
}

TEST(TruckRunTest, TheAccelerationIsTheOneThatReachesTopSpeedAtTheRamp) {
  art::TruckRun run;
  ASSERT_TRUE(run.BuildRoad());
  // 100 units before the ramp at 130: a = (230^2 - 130^2) / (2 * 100) = 180.
  run.distance = run.road_length - 100;
  run.speed = 130;
  run.Step(0.1f);
  EXPECT_NEAR(148, run.speed, 1e-3);
  EXPECT_NEAR(run.road_length - 100 + 14.8f, run.distance, 1e-3);
  // Closer than one unit the distance counts as 1: a = (230^2 - 200^2) / 2 = 6450.
  run.distance = run.road_length - 0.5f;
  run.speed = 200;
  run.Step(0.001f);
  EXPECT_NEAR(206.45f, run.speed, 1e-3);
}

TEST(TruckRunTest, TakeOffFollowsTheRampWithAnUpwardKickAndThrowsSeededDust) {
  art::TruckRun run;
  ASSERT_TRUE(run.BuildRoad());
  run.distance = run.road_length - 1;
  run.speed = 230;
  run.rng = 12345;
  run.dust_timer = 0;  // no puff while driving this step
  run.Step(kDt);
  ASSERT_STREQ("air", run.StateName());
  float bx = 0, by = 0;
  run.PointAt(run.road_length - 8, &bx, &by);
  const float d = std::atan2(92 - by, 1080 - bx);
  // The ramp's last cubic ends heading along (30, -16); the chord over its last 8 units
  // turns a little less.
  EXPECT_NEAR(std::atan2(-16.0f, 30.0f), d, 0.05f);
  EXPECT_NEAR(230 * std::cos(d), run.vx, 1e-3);
  EXPECT_NEAR(230 * std::sin(d) - 90, run.vy, 1e-3);
  EXPECT_FLOAT_EQ(-390, run.spin);
  // Seven puffs from seed 12345, already moved by one step: the first was spawned at
  // x 1080 + (2 u(A(12345)) - 1) 12 = 1068.4897, y 90, with vx -58.0143, vy -36.2947.
  ASSERT_EQ(7u, run.dust.size());
  EXPECT_NEAR(1068.4897f - 58.0143f / 30, run.dust[0].x, 1e-3);
  EXPECT_NEAR(90 - 36.2947f / 30, run.dust[0].y, 1e-3);
  EXPECT_NEAR(-36.2947f + 2, run.dust[0].vy, 1e-3);
  EXPECT_NEAR(0.7f - kDt, run.dust[0].life, 1e-5);
}

TEST(TruckRunTest, DustFromSeed12345TakesItsValuesFromBothGenerators) {
  art::TruckRun run;
  // x from A(s), vx from B(s), vy from A(B(s)), size from B(B(s)), which is the next seed.
  run.SpawnDust(100, 50, 2, 12, false);
  struct Expected {
    float x, vx, vy, size;
  };
  const Expected expected[] = {{88.48966f, -58.01426f, -36.29467f, 3.904712f},
                               {109.84071f, -46.50460f, -34.87668f, 3.645047f}};
  ASSERT_EQ(2u, run.dust.size());
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_NEAR(expected[i].x, run.dust[i].x, 1e-3) << i;
    EXPECT_FLOAT_EQ(48, run.dust[i].y) << i;
    EXPECT_NEAR(expected[i].vx, run.dust[i].vx, 1e-3) << i;
    EXPECT_NEAR(expected[i].vy, run.dust[i].vy, 1e-3) << i;
    EXPECT_NEAR(expected[i].size, run.dust[i].size, 1e-5) << i;
  }
  EXPECT_EQ(0x8C609701u, run.rng);
  run.SpawnDust(200, 30, 1, 4, true);  // thrown back: vx = -30 u - 30
  EXPECT_NEAR(200.76880f, run.dust[2].x, 1e-3);
  EXPECT_NEAR(-53.50351f, run.dust[2].vx, 1e-3);
  EXPECT_NEAR(-21.19563f, run.dust[2].vy, 1e-3);
  EXPECT_NEAR(4.231404f, run.dust[2].size, 1e-5);
  EXPECT_EQ(0xBE69C1C5u, run.rng);
}

TEST(TruckRunTest, ItLeavesThePictureWaitsThirtySecondsAndFliesBackIn) {
  art::TruckRun run;
  StepUntil(&run, [](const art::TruckRun& r) { return Is(r, art::kTruckAir); });
  StepUntil(&run, [](const art::TruckRun& r) { return !Is(r, art::kTruckAir); });
  EXPECT_STREQ("gap", run.StateName());
  EXPECT_GT(run.x, 1360);
  const int gap_steps = StepUntil(&run, [](const art::TruckRun& r) { return !Is(r, art::kTruckGap); });
  EXPECT_NEAR(30 * 30, gap_steps, 1);
  EXPECT_STREQ("enter", run.StateName());
  EXPECT_FLOAT_EQ(-70, run.x);
  EXPECT_FLOAT_EQ(18, run.y);
  EXPECT_FLOAT_EQ(170, run.vx);
  EXPECT_FLOAT_EQ(-40, run.vy);
  EXPECT_FLOAT_EQ(8, run.angle);
}

TEST(TruckRunTest, ItBouncesUntilItTouchesDownAtNinetyOrSlower) {
  art::TruckRun run;
  StepUntil(&run, [](const art::TruckRun& r) { return Is(r, art::kTruckEnter); });
  int bounces = 0;
  while (Is(run, art::kTruckEnter)) {
    const art::TruckRun before = run;
    run.Step(kDt);
    const float falling = before.vy + 420 * kDt;  // the speed it hits the road with
    float road_y = 0, road_s = 0;
    run.RoadAtX(run.x, &road_y, &road_s);
    if (Is(run, art::kTruckDrive)) {
      EXPECT_LE(falling, 90);
      EXPECT_FLOAT_EQ(40, run.Speed());
      EXPECT_NEAR(road_s, run.distance, 0.01);
      EXPECT_FLOAT_EQ(road_y, run.y);
    } else if (before.vy > 0 && run.vy < 0) {
      ++bounces;
      EXPECT_GT(falling, 90);
      EXPECT_NEAR(-0.28f * falling, run.vy, 1e-3);
      EXPECT_FLOAT_EQ(road_y, run.y);
    }
    ASSERT_LT(run.x, 1300) << "it should have landed on the road";
  }
  EXPECT_GE(bounces, 1);
  // It drives on from where it landed.
  const float landed = run.distance;
  run.Step(kDt);
  EXPECT_GT(run.distance, landed);
}

TEST(TruckRunTest, DustStartsOnlyAboveOneHundredTen) {
  art::TruckRun run;
  StepUntil(&run, [](const art::TruckRun& r) { return !r.dust.empty(); });
  EXPECT_GT(run.Speed(), 110);
  EXPECT_TRUE(Is(run, art::kTruckDrive));
  ASSERT_EQ(1u, run.dust.size());
  EXPECT_LE(run.dust[0].vx, -30);  // thrown back behind the truck
}

TEST(TruckRunTest, TheSameSeedGivesTheSameDust) {
  art::TruckRun a, b;
  a.SpawnDust(100, 50, 7, 12, false);
  b.SpawnDust(100, 50, 7, 12, false);
  ASSERT_EQ(7u, a.dust.size());
  for (size_t i = 0; i < a.dust.size(); ++i) {
    const art::DustParticle& p = a.dust[i];
    EXPECT_EQ(0, std::memcmp(&p, &b.dust[i], sizeof p));
    EXPECT_GE(p.x, 88);
    EXPECT_LT(p.x, 112);
    EXPECT_FLOAT_EQ(48, p.y);
    EXPECT_GE(p.vx, -60);
    EXPECT_LT(p.vx, 60);
    EXPECT_LE(p.vy, -20);
    EXPECT_GT(p.vy, -50);
    EXPECT_GE(p.size, 2);
    EXPECT_LT(p.size, 5);
    EXPECT_FLOAT_EQ(0.7f, p.life);
  }
  EXPECT_NE(a.dust[0].x, a.dust[1].x);
  EXPECT_EQ(a.rng, b.rng);
  EXPECT_NE(12345u, a.rng);

  art::TruckRun c;
  c.rng = 99;
  c.SpawnDust(100, 50, 1, 12, false);
  EXPECT_NE(a.dust[0].x, c.dust[0].x);
}

TEST(TruckRunTest, ParkedItStandsOnTheSlopeAtThreeHundredAndRestartsFromTheStart) {
  art::TruckRun run;
  StepUntil(&run, [](const art::TruckRun& r) { return r.dust.size() > 2; });
  run.Park();
  EXPECT_STREQ("parked", run.StateName());
  EXPECT_NEAR(300, run.x, 0.01);
  float road_y = 0, s = 0;
  run.RoadAtX(300, &road_y, &s);
  EXPECT_NEAR(road_y, run.y, 0.01);
  float ax, ay, bx, by;
  run.PointAt(s - 6, &ax, &ay);
  run.PointAt(s + 6, &bx, &by);
  EXPECT_NEAR(std::atan2(by - ay, bx - ax) * 180 / 3.14159265f, run.angle, 0.01);
  EXPECT_TRUE(run.dust.empty());
  EXPECT_FLOAT_EQ(40, run.Speed());

  run.Step(kDt);
  EXPECT_STREQ("drive", run.StateName());
  EXPECT_LT(run.x, -80);  // back at the lead-in left of the picture
}

TEST(TruckRunTest, BoundsCoverTruckAndDustAndNothingInTheEmptyGap) {
  art::TruckRun run;
  run.Park();
  float box[4];
  ASSERT_TRUE(run.Bounds(-2, 1, box));
  const float a = run.angle * 3.14159265f / 180;
  EXPECT_NEAR(-2 + run.x + 19 * std::sin(a) - 44, box[0], 1e-3);
  EXPECT_NEAR(460 + run.y - 19 * std::cos(a) + 44, box[3], 1e-3);

  StepUntil(&run, [](const art::TruckRun& r) { return Is(r, art::kTruckGap) && r.dust.empty(); });
  EXPECT_FALSE(run.Bounds(-2, 1, box));
  run.SpawnDust(640, 100, 1, 0, true);
  ASSERT_TRUE(run.Bounds(-2, 1, box));
  const art::DustParticle& p = run.dust[0];
  EXPECT_NEAR(-2 + 640 - (1.6f * p.size + 2), box[0], 1e-3);
  EXPECT_NEAR(460 + 98 + 1.6f * p.size + 2, box[3], 1e-3);
}

// [SECTION] Backdrop

class BackdropTest : public uitest::UiTest {
 protected:
  void Draw(const std::function<void(float, float)>& truck = nullptr) {
    Frame(ui::Input(), [&] { art::Backdrop(truck); });
  }
};

TEST_F(BackdropTest, TheStaticLayerIsRenderedOncePerWindowSize) {
  Draw();
  const int builds = art::BackdropLayerBuilds();
  Draw();
  Draw();
  EXPECT_EQ(builds, art::BackdropLayerBuilds());
  Resize(1000, 720);
  Draw();
  Draw();
  EXPECT_EQ(builds + 1, art::BackdropLayerBuilds());
}

TEST_F(BackdropTest, ALayerThatCouldNotBeMadeIsTriedAgainOnTheNextFrame) {
  Resize(1100, 700);  // a size no other test draws at: the layer is made anew
  const int builds = art::BackdropLayerBuilds();
  surface_->Clear(0xFFFF00FF);
  ui::detail::FailNextLayerBitmaps(1);
  Draw();
  EXPECT_EQ(builds + 1, art::BackdropLayerBuilds());
  // Without its layer the frame still shows the sky and the hills.
  const uint32_t sky = Pixel(100, 100), hills = Pixel(601, 556);
  surface_->Clear(0xFFFF00FF);
  Draw();
  EXPECT_EQ(builds + 2, art::BackdropLayerBuilds());
  EXPECT_LE(uitest::ColorDistance(sky, Pixel(100, 100)), 8);
  EXPECT_LE(uitest::ColorDistance(hills, Pixel(601, 556)), 8);
  EXPECT_NE(0xFF00FFu, sky);
  Draw();
  EXPECT_EQ(builds + 2, art::BackdropLayerBuilds());
}

TEST_F(BackdropTest, APartialFrameCopiesOnlyItsDirtyRectangles) {
  Draw();
  const uint32_t sky = Pixel(100, 100), hills = Pixel(700, 650);
  surface_->Clear(0xFFFF00FF);
  const int dirty[2][4] = {{50, 50, 100, 100}, {650, 600, 100, 100}};
  surface_->ClipTo(dirty, 2);
  Draw();
  surface_->ClipTo(nullptr, 0);
  EXPECT_EQ(sky, Pixel(100, 100));
  EXPECT_EQ(hills, Pixel(700, 650));
  EXPECT_EQ(0xFF00FFu, Pixel(400, 300));
  EXPECT_EQ(0xFF00FFu, Pixel(49, 100));
  EXPECT_EQ(0xFF00FFu, Pixel(750, 650));
}

TEST_F(BackdropTest, AWideWindowStretchesTheLandscapeToBothEdges) {
  Resize(2560, 720);
  float left = 0, kx = 0;
  Draw([&](float l, float k) {
    left = l;
    kx = k;
  });
  EXPECT_FLOAT_EQ(-642, left);
  EXPECT_FLOAT_EQ((1920.0f + 640 + 4) / 1280, kx);
  const uint32_t ink = ui::Palette::ink & 0xFFFFFF;
  EXPECT_EQ(ink, Pixel(1, 690));     // foreground hill at the left edge
  EXPECT_EQ(ink, Pixel(2558, 690));  // and at the right edge
  EXPECT_NE(0u, Pixel(1, 5));        // sky in the side bars too
  EXPECT_NE(Pixel(1, 5), Pixel(1, 450));  // the sky darkens upwards

  Resize(1000, 720);  // bars above and below: sky above, ground below
  Draw();
  EXPECT_NE(0u, Pixel(500, 2));
  EXPECT_EQ(ink, Pixel(500, 717));
}

TEST_F(BackdropTest, EmblemLayersAreCachedPerPixelRectangleAndScale) {
  art::ForgetEmblemLayers();
  const int builds = art::EmblemLayerBuilds();
  Frame(ui::Input(), [] {
    art::Emblem(824, 58, 360, 0);
    art::Emblem(824, 58, 360, 120);  // only the ring turns
  });
  EXPECT_EQ(builds + 1, art::EmblemLayerBuilds());
  Frame(ui::Input(), [] {
    for (int i = 0; i < 7; ++i) art::Emblem(10.0f + 50 * i, 10, 40, 0);
  });
  EXPECT_EQ(builds + 8, art::EmblemLayerBuilds());
  EXPECT_EQ(8, art::EmblemCacheSize());
  // A ninth would make more than eight: the others go first.
  Frame(ui::Input(), [] { art::Emblem(600, 300, 100, 0); });
  EXPECT_EQ(1, art::EmblemCacheSize());
  // Off screen: culled before any work.
  Frame(ui::Input(), [] { art::Emblem(2000, 300, 100, 0); });
  EXPECT_EQ(builds + 9, art::EmblemLayerBuilds());
  // The same emblem in a bigger window is another pixel rectangle and scale.
  Resize(1920, 1080);
  Frame(ui::Input(), [] { art::Emblem(600, 300, 100, 0); });
  EXPECT_EQ(builds + 10, art::EmblemLayerBuilds());
}

TEST_F(BackdropTest, EmblemLayersThatCouldNotBeMadeAreTriedAgainOnTheNextFrame) {
  art::ForgetEmblemLayers();
  const int builds = art::EmblemLayerBuilds();
  ui::detail::FailNextLayerBitmaps(1);
  Frame(ui::Input(), [] { art::Emblem(440, 160, 400, 0); });
  EXPECT_EQ(0, art::EmblemCacheSize());
  const uint32_t star = Pixel(640, 260);  // inside the star: drawn even without its layers
  EXPECT_NE(0u, star);
  surface_->Clear(0xFF000000);
  Frame(ui::Input(), [] { art::Emblem(440, 160, 400, 0); });
  EXPECT_EQ(builds + 2, art::EmblemLayerBuilds());
  EXPECT_EQ(1, art::EmblemCacheSize());
  EXPECT_LE(uitest::ColorDistance(star, Pixel(640, 260)), 8);
}

}  // namespace
