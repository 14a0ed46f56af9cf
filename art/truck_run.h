// The truck that drives along the backdrop's hill crest, jumps off the ramp, flies out of
// the picture and comes back. A fixed-step simulation (the window steps it at 30 Hz) with
// its own seeded dust, so the same steps always give the same run.
#pragma once

#include <cstdint>
#include <vector>

namespace art {

struct DustParticle {
  float x, y, vx, vy, size, life;
};
struct RoadPoint {
  float length, x, y;  // cumulative arc length from the first point
};

enum TruckState : int { kTruckDrive = 0, kTruckAir = 1, kTruckGap = 2, kTruckEnter = 3, kTruckParked = 4 };

// Positions are contact points (the wheels' bottom centre) in the 1280 x 270 road box.
struct TruckRun {
  int state = kTruckDrive;
  float distance = 0;   // arc length driven along the road
  float speed = 40;     // road speed, units per second
  float x = 0, y = 0;
  float vx = 0, vy = 0; // while flying; y grows downwards
  float angle = 0;      // body rotation, degrees clockwise
  float spin = 0;       // degrees per second while flying
  float gap_timer = 0;  // seconds left off-screen
  float time_in_run = 0;
  float bounce = 0;     // vertical body offset while driving
  uint32_t rng = 12345;
  float wheel_angle = 0;
  float dust_timer = 0;
  std::vector<DustParticle> dust;
  std::vector<RoadPoint> road;  // the flattened road, built once
  float road_length = 0;

  void Step(float dt);
  // At rest at the road's x 300 (animation off); the next Step restarts the run.
  void Park();
  // Dust and truck; left and kx are the values the backdrop passes to its truck callback.
  void Draw(float left, float kx);
  // The design-unit box {min x, min y, max x, max y} of truck and dust; false when
  // nothing of the run is visible.
  bool Bounds(float left, float kx, float box[4]) const;
  const char* StateName() const;
  float Speed() const { return speed; }
  void SpawnDust(float cx, float cy, int n, float spread, bool thrown_back);

  // Road geometry (the road is built on first use; empty when GDI+ is not running).
  bool BuildRoad();
  void PointAt(float s, float* px, float* py) const;
  // Road height and arc length where the road reaches x.
  void RoadAtX(float at_x, float* py, float* length) const;
  void PlaceAt(float s);
};

// The truck's outlines in truck-local units (wheels of radius 32 at (142, 262) and
// (272, 262); the contact point is (207, 294)), shared with the emblem's badge.
extern const char kTruckBody[];
extern const char kTruckWindow[];

// The launcher's one run (GUI thread only).
TruckRun& Truck();

}  // namespace art
