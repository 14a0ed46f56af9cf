#include "launcher/settings_options.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <memory>
#include <cwchar>
#include <numeric>

#include "launcher/offload.h"
#include "launcher/status_snapshot.h"
#include "platform/text.h"

DisplaySizeList ListDisplaySizes(int desktop_width, int desktop_height, const std::vector<DisplayMode>& modes) {
  std::vector<DisplayMode> kept;
  for (const DisplayMode& m : modes) {
    if (m.width < 640 || m.height < 480) continue;
    const bool seen = std::any_of(kept.begin(), kept.end(), [&](const DisplayMode& k) {
      return k.width == m.width && k.height == m.height;
    });
    if (!seen) kept.push_back(m);
  }
  // Equal pixel counts (1280 × 960 and 1600 × 768) keep a fixed order: the wider first.
  std::sort(kept.begin(), kept.end(), [](const DisplayMode& a, const DisplayMode& b) {
    const long long pa = 1LL * a.width * a.height, pb = 1LL * b.width * b.height;
    return pa != pb ? pa > pb : a.width > b.width;
  });

  DisplaySizeList list;
  wchar_t label[64];
  list.values.push_back("desktop");
  swprintf(label, 64, L"%d \u00D7 %d (desktop)", desktop_width, desktop_height);
  list.labels.push_back(label);
  for (const DisplayMode& m : kept) {
    list.values.push_back(std::to_string(m.width) + "x" + std::to_string(m.height));
    swprintf(label, 64, L"%d \u00D7 %d", m.width, m.height);
    list.labels.push_back(label);
  }
  return list;
}

std::wstring MonitorLabel(int number, const std::wstring& name, long width, long height) {
  wchar_t label[160];
  swprintf(label, 160, L"%d \u00B7 %ls (%ld\u00D7%ld)", number, name.c_str(), width, height);
  return label;
}

AspectPreview PreviewOfAspect(const std::string& aspect, const SettingsOptionLists& lists) {
  if (aspect == "4:3") return {4.0f / 3.0f, L"4:3 \u00B7 640\u00D7480 look"};
  if (aspect != "native") return {16.0f / 9.0f, L"16:9 \u00B7 Wii widescreen"};
  const int width = lists.desktop_width, height = lists.desktop_height;
  const float ratio = static_cast<float>(width) / static_cast<float>(std::max(1, height));
  const int divisor = std::gcd(width, height);
  if (divisor <= 0) return {ratio, L"window \u00B7 any shape here"};  // no size known: nothing to divide
  int w = width / divisor, h = height / divisor;
  if (w == 8 && h == 5) w = 16, h = 10;  // the name every 1920 x 1200 screen is sold by
  wchar_t caption[64];
  swprintf(caption, 64, L"window \u00B7 %d:%d here", w, h);
  return {ratio, caption};
}

namespace {

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  auto* labels = reinterpret_cast<std::vector<std::wstring>*>(data);
  MONITORINFOEXW info = {};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(monitor, &info)) return TRUE;
  std::wstring name = info.szDevice;
  DISPLAY_DEVICEW device = {};
  device.cb = sizeof device;
  if (EnumDisplayDevicesW(info.szDevice, 0, &device, 0) && device.DeviceString[0] != L'\0')
    name = device.DeviceString;
  labels->push_back(MonitorLabel(static_cast<int>(labels->size()) + 1, name, info.rcMonitor.right - info.rcMonitor.left,
                                 info.rcMonitor.bottom - info.rcMonitor.top));
  return TRUE;
}

}  // namespace

SettingsOptionLists ListSettingsOptions() {
  SettingsOptionLists o;
  o.filled = true;

  DEVMODEW mode = {};
  mode.dmSize = sizeof mode;
  if (EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode) && mode.dmPelsWidth > 0 && mode.dmPelsHeight > 0) {
    o.desktop_width = static_cast<int>(mode.dmPelsWidth);
    o.desktop_height = static_cast<int>(mode.dmPelsHeight);
  }
  std::vector<DisplayMode> modes;
  for (DWORD i = 0;; ++i) {
    DEVMODEW m = {};
    m.dmSize = sizeof m;
    if (!EnumDisplaySettingsW(nullptr, i, &m)) break;
    modes.push_back({static_cast<int>(m.dmPelsWidth), static_cast<int>(m.dmPelsHeight)});
  }
  DisplaySizeList sizes = ListDisplaySizes(o.desktop_width, o.desktop_height, modes);
  o.size_values = std::move(sizes.values);
  o.size_labels = std::move(sizes.labels);

  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&o.monitor_labels));

  o.audio_values.push_back("default");
  o.audio_labels.push_back(L"System default");
  const UINT devices = waveOutGetNumDevs();
  for (UINT i = 0; i < devices; ++i) {
    WAVEOUTCAPSW caps = {};
    if (waveOutGetDevCapsW(i, &caps, sizeof caps) != MMSYSERR_NOERROR) continue;
    const std::wstring name = caps.szPname;
    o.audio_values.push_back(text::WideToUtf8(name));
    o.audio_labels.push_back(name);
  }
  return o;
}

void RequestSettingsOptions() {
  SettingsOptionLists& o = Launcher().settings_options;
  if (o.filled || o.requested) return;
  o.requested = true;
  auto lists = std::make_shared<SettingsOptionLists>();
  Offload::Post([lists] { *lists = ListSettingsOptions(); },
                [lists] { Launcher().settings_options = std::move(*lists); });
  SettleWhenWindowless();
}
