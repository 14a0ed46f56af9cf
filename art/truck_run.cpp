#include "art/truck_run.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "ui/context.h"
#include "ui/draw.h"
#include "ui/gdiplus_session.h"
#include "ui/icons.h"

namespace art {

// The art is drawn with the toolkit's primitives and GDI+ paths throughout.
using namespace ui;
using namespace Gdiplus;

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kTopSpeed = 230;
constexpr float kStartSpeed = 40;
constexpr float kWheelRadius = 8.64f;
constexpr float kGravity = 420;
constexpr float kLandingSpeed = 90;

const char kRoad[] =
    "M-90 130 L0 128 C 120 116, 220 136, 340 122 S 560 106, 700 120 C 800 128, 880 128, 960 118 "
    "C 1000 116, 1050 108, 1080 92";
}  // namespace

const char kTruckBody[] = "M104 250 L118 218 L170 212 L192 178 L256 176 L280 210 L306 216 L310 252 Z";
const char kTruckWindow[] = "M198 186 L250 185 L266 208 L190 210 Z";

namespace {
const float kWheels[2][2] = {{142, 262}, {272, 262}};

float Degrees(float radians) { return radians * 180.0f / kPi; }
float Radians(float degrees) { return degrees * kPi / 180.0f; }

// Wheel turn for a distance, kept within one turn so it never loses precision.
void Roll(float* wheel_angle, float distance) {
  *wheel_angle = std::fmod(*wheel_angle + Degrees(distance / kWheelRadius), 360.0f);
}

float U(uint32_t v) { return static_cast<float>(v >> 8) * (1.0f / 16777216.0f); }
uint32_t A(uint32_t s) { return s * 0x0019660Du + 0x3C6EF35Fu; }
uint32_t B(uint32_t s) { return s * 0x17385CA9u + 0x47502932u; }

// The truck's outlines, parsed once per GDI+ session.
struct TruckPaths {
  GpPath* body = nullptr;
  GpPath* window = nullptr;
};
TruckPaths& Paths() {
  static TruckPaths paths;
  return paths;
}
void ReleasePaths() {
  TruckPaths& p = Paths();
  if (p.body) gp::GdipDeletePath(p.body);
  if (p.window) gp::GdipDeletePath(p.window);
  p = TruckPaths();
}
const TruckPaths& TruckOutlines() {
  TruckPaths& p = Paths();
  if (!p.body) {
    p.body = ParseIconPath(kTruckBody);
    p.window = ParseIconPath(kTruckWindow);
    AtGdiplusStop(ReleasePaths);
  }
  return p;
}

}  // namespace

TruckRun& Truck() {
  static TruckRun run;
  return run;
}

// [SECTION] Road

bool TruckRun::BuildRoad() {
  if (!road.empty()) return true;
  if (!GdiplusRunning()) return false;
  GpPath* path = ParseIconPath(kRoad);
  if (!path) return false;
  gp::GdipFlattenPath(path, nullptr, 0.1f);
  INT count = 0;
  gp::GdipGetPointCount(path, &count);
  std::vector<PointF> points(static_cast<size_t>(std::max(count, 0)));
  if (count > 0) gp::GdipGetPathPoints(path, points.data(), count);
  gp::GdipDeletePath(path);
  float length = 0;
  for (size_t i = 0; i < points.size(); ++i) {
    if (i > 0) length += std::hypot(points[i].X - points[i - 1].X, points[i].Y - points[i - 1].Y);
    road.push_back({length, points[i].X, points[i].Y});
  }
  road_length = length;
  return !road.empty();
}

void TruckRun::PointAt(float s, float* px, float* py) const {
  if (road.empty()) {
    *px = *py = 0;
    return;
  }
  s = std::clamp(s, 0.0f, road_length);
  for (size_t i = 1; i < road.size(); ++i) {
    if (road[i].length >= s) {
      const RoadPoint& a = road[i - 1];
      const RoadPoint& b = road[i];
      const float t = (s - a.length) / std::max(b.length - a.length, 1e-6f);
      *px = a.x + (b.x - a.x) * t;
      *py = a.y + (b.y - a.y) * t;
      return;
    }
  }
  *px = road.back().x;
  *py = road.back().y;
}

void TruckRun::RoadAtX(float at_x, float* py, float* length) const {
  if (road.empty()) {
    *py = *length = 0;
    return;
  }
  for (size_t i = 1; i < road.size(); ++i) {
    if (road[i].x >= at_x) {
      const RoadPoint& a = road[i - 1];
      const RoadPoint& b = road[i];
      const float dx = b.x - a.x;
      const float t = (at_x - a.x) / (dx != 0 ? dx : 1.0f);
      *py = a.y + (b.y - a.y) * t;
      *length = a.length + (b.length - a.length) * t;
      return;
    }
  }
  *py = road.back().y;
  *length = road.back().length;
}

void TruckRun::PlaceAt(float s) {
  PointAt(s, &x, &y);
  float ax, ay, bx, by;
  PointAt(s - 6, &ax, &ay);
  PointAt(s + 6, &bx, &by);
  angle = Degrees(std::atan2(by - ay, bx - ax));
}

// [SECTION] Simulation

void TruckRun::SpawnDust(float cx, float cy, int n, float spread, bool thrown_back) {
  for (int i = 0; i < n; ++i) {
    const uint32_t s = rng;
    DustParticle p;
    p.x = cx + (2 * U(A(s)) - 1) * spread;
    p.y = cy - 2;
    const uint32_t s1 = B(s);
    p.vx = thrown_back ? -30 * U(s1) - 30 : (2 * U(s1) - 1) * 60;
    p.vy = -30 * U(A(s1)) - 20;
    const uint32_t s2 = B(s1);
    rng = s2;
    p.size = 3 * U(s2) + 2;
    p.life = 0.7f;
    dust.push_back(p);
  }
}

void TruckRun::Step(float dt) {
  if (!BuildRoad()) return;
  if (state == kTruckParked) {
    state = kTruckDrive;
    distance = 0;
    speed = kStartSpeed;
    angle = x = y = vx = vy = spin = bounce = 0;
    time_in_run = dt;
  } else {
    time_in_run += dt;
  }

  switch (state) {
    case kTruckDrive: {
      // Constant acceleration that reaches top speed exactly at the ramp.
      const float a = std::max(0.0f, (kTopSpeed * kTopSpeed - speed * speed) /
                                         (2 * std::max(road_length - distance, 1.0f)));
      speed = std::min(speed + a * dt, kTopSpeed);
      distance += speed * dt;
      Roll(&wheel_angle, speed * dt);
      dust_timer += std::max(speed - 110, 0.0f) * dt / 40;
      if (dust_timer >= 1) {
        dust_timer = 0;
        SpawnDust(x - 10, y, 1, 4, true);
      }
      if (distance >= road_length) {
        state = kTruckAir;
        x = road.back().x;
        y = road.back().y;
        float bx, by;
        PointAt(road_length - 8, &bx, &by);
        const float d = std::atan2(y - by, x - bx);
        vx = speed * std::cos(d);
        vy = speed * std::sin(d) - 90 * speed / kTopSpeed;
        spin = -390 * speed / kTopSpeed;
        SpawnDust(x, y, 7, 12, false);
      } else {
        PlaceAt(distance);
        bounce = std::sin((speed / 20 + 8) * time_in_run) * (speed / 40 + 3);
      }
      break;
    }
    case kTruckAir:
    case kTruckEnter: {
      vy += kGravity * dt;
      x += vx * dt;
      y += vy * dt;
      bounce = 0;
      if (state == kTruckAir) {
        angle += spin * dt;
        if (x <= 1360) {
          Roll(&wheel_angle, 120 * dt);
        } else {
          state = kTruckGap;
          gap_timer = 30;
        }
        break;
      }
      angle += std::min(6 * dt, 1.0f) * (Degrees(std::atan2(vy, vx)) * 0.5f - angle);
      float road_y, road_s;
      RoadAtX(x, &road_y, &road_s);
      if (y < road_y || vy <= 0) {
        Roll(&wheel_angle, 60 * dt);
      } else {
        y = road_y;
        if (vy <= kLandingSpeed) {
          state = kTruckDrive;
          speed = kStartSpeed;
          distance = road_s;
        } else {
          SpawnDust(x, y, 7, 12, false);
          vy = -0.28f * vy;
          Roll(&wheel_angle, 60 * dt);
        }
      }
      break;
    }
    case kTruckGap:
      gap_timer -= dt;
      if (gap_timer <= 0) {
        state = kTruckEnter;
        x = -70;
        y = 18;
        vx = 170;
        vy = -40;
        angle = 8;
      }
      break;
    default:
      break;
  }

  for (size_t i = dust.size(); i-- > 0;) {
    DustParticle& p = dust[i];
    p.life -= dt;
    p.x += p.vx * dt;
    p.y += p.vy * dt;
    p.vy += 60 * dt;
    if (p.life <= 0) dust.erase(dust.begin() + static_cast<std::ptrdiff_t>(i));
  }
}

void TruckRun::Park() {
  if (!BuildRoad() || state == kTruckParked) return;
  float road_y, s;
  RoadAtX(300, &road_y, &s);
  distance = 0;
  speed = kStartSpeed;
  angle = vx = vy = spin = bounce = time_in_run = 0;
  dust.clear();
  PlaceAt(s);  // level with the slope where it stands
  state = kTruckParked;
}

const char* TruckRun::StateName() const {
  static const char* const kNames[] = {"drive", "air", "gap", "enter", "parked"};
  return (state >= 0 && state <= kTruckParked) ? kNames[state] : "drive";
}

// [SECTION] Drawing

bool TruckRun::Bounds(float left, float kx, float box[4]) const {
  bool any = false;
  auto add = [&](float x0, float y0, float x1, float y1) {
    if (!any) {
      box[0] = x0, box[1] = y0, box[2] = x1, box[3] = y1;
      any = true;
      return;
    }
    box[0] = std::min(box[0], x0);
    box[1] = std::min(box[1], y0);
    box[2] = std::max(box[2], x1);
    box[3] = std::max(box[3], y1);
  };
  if (state != kTruckGap) {
    const float a = Radians(angle);
    const float cx = left + kx * x + 19 * std::sin(a);
    const float cy = 460 + y - 19 * std::cos(a);
    add(cx - 44, cy - 44, cx + 44, cy + 44);
  }
  for (const DustParticle& p : dust) {
    const float r = 1.6f * p.size + 2;
    const float px = left + kx * p.x, py = 460 + p.y;
    add(px - r, py - r, px + r, py + r);
  }
  return any;
}

void TruckRun::Draw(float left, float kx) {
  GpGraphics* g = detail::FrameGraphics();
  if (!g || !BuildRoad()) return;
  if (state == kTruckDrive && time_in_run == 0) PlaceAt(distance);
  for (const DustParticle& p : dust)
    FillCircle(left + kx * p.x, 460 + p.y, (1.6f - p.life) * p.size, Fade(Palette::ink, 0.8f * p.life / 0.7f));
  if (state == kTruckGap) return;

  const TruckPaths& paths = TruckOutlines();
  GraphicsState saved = 0;
  gp::GdipSaveGraphics(g, &saved);
  gp::GdipTranslateWorldTransform(g, left + kx * x, 460 + y, MatrixOrderPrepend);
  gp::GdipRotateWorldTransform(g, angle, MatrixOrderPrepend);
  gp::GdipScaleWorldTransform(g, 0.27f, 0.27f, MatrixOrderPrepend);
  gp::GdipTranslateWorldTransform(g, -207, -294, MatrixOrderPrepend);

  GpSolidFill* ink = nullptr;
  gp::GdipCreateSolidFill(Palette::ink, &ink);
  GpSolidFill* glass = nullptr;
  gp::GdipCreateSolidFill(0x47FF7A2E, &glass);
  GraphicsState body_state = 0;
  gp::GdipSaveGraphics(g, &body_state);
  gp::GdipTranslateWorldTransform(g, 0, bounce, MatrixOrderPrepend);
  detail::NoteStatus(gp::GdipFillPath(g, ink, paths.body));
  detail::NoteStatus(gp::GdipFillPath(g, glass, paths.window));
  gp::GdipRestoreGraphics(g, body_state);

  GpPen* spoke = nullptr;
  gp::GdipCreatePen1(0x59FF7A2E, 5, UnitWorld, &spoke);
  const float turn = std::fmod(wheel_angle, 360.0f);
  for (const auto& wheel : kWheels) {
    const float wx = wheel[0], wy = wheel[1];
    detail::NoteStatus(gp::GdipFillEllipse(g, ink, wx - 32, wy - 32, 64, 64));
    GraphicsState wheel_state = 0;
    gp::GdipSaveGraphics(g, &wheel_state);
    gp::GdipTranslateWorldTransform(g, wx, wy, MatrixOrderPrepend);
    gp::GdipRotateWorldTransform(g, turn, MatrixOrderPrepend);
    gp::GdipDrawLine(g, spoke, 0, -18, 0, 18);
    gp::GdipDrawLine(g, spoke, -18, 0, 18, 0);
    gp::GdipRestoreGraphics(g, wheel_state);
  }
  gp::GdipDeletePen(spoke);
  gp::GdipDeleteBrush(glass);
  gp::GdipDeleteBrush(ink);
  gp::GdipRestoreGraphics(g, saved);
}

}  // namespace art
