// The key table. Defaults are text exactly as the game and the settings pages expect them.
#include <cstring>

#include "settings/settings_store.h"

namespace {

const SettingDef kSettingDefs[] = {
    {"display.window_mode", "borderless", false, nullptr},
    {"display.resolution", "desktop", false, nullptr},
    {"display.aspect", "16:9", true, "KESTRANE_ASPECT"},
    {"display.window_width", "1280", false, nullptr},
    {"display.window_height", "720", false, nullptr},
    {"display.window_x", "", false, nullptr},
    {"display.window_y", "", false, nullptr},
    {"display.vsync", "1", false, nullptr},
    {"display.frame_rate", "59.94", false, nullptr},
    {"display.monitor", "0", true, nullptr},
    {"display.background_animation", "auto", false, nullptr},
    {"graphics.internal_scale", "window", false, nullptr},
    {"graphics.msaa", "0", true, nullptr},
    {"graphics.texture_filter", "game", false, nullptr},
    {"graphics.bloom", "1", false, nullptr},
    {"graphics.show_fps", "0", false, nullptr},
    {"graphics.renderer", "gl", true, nullptr},
    {"graphics.enhanced_assets", "0", true, nullptr},
    {"graphics.upscale_model", "realesrgan", false, nullptr},
    {"graphics.upscale_scale", "2", false, nullptr},
    {"graphics.video_sharpen", "1", false, nullptr},
    {"audio.master", "80", false, nullptr},
    {"audio.music", "100", false, nullptr},
    {"audio.sfx", "100", false, nullptr},
    {"audio.remote_speaker", "main", false, nullptr},
    {"audio.mute_unfocused", "1", false, nullptr},
    {"audio.device", "default", true, nullptr},
    {"controls.device", "auto", false, nullptr},
    {"controls.steer_source", "stick", false, nullptr},
    {"controls.tilt_sensitivity", "100", false, nullptr},
    {"controls.deadzone", "10", false, nullptr},
    {"controls.steer_curve", "smooth", false, nullptr},
    {"controls.invert_steer", "0", false, nullptr},
    {"controls.rumble", "1", false, nullptr},
    {"game.skip_intro", "0", true, nullptr},
    {"game.language", "en", true, nullptr},
    {"game.pause_unfocused", "1", false, nullptr},
    {"game.screenshot_key", "F12", false, nullptr},
    {"game.menu_on_tab", "1", false, nullptr},
    {"launcher.dump_path", "", false, nullptr},
    {"launcher.data_dir", "%USERPROFILE%\\Games\\Kestrane", true, nullptr},
    {"launcher.close_on_play", "1", false, nullptr},
    {"launcher.check_updates", "1", false, nullptr},
    {"launcher.channel", "stable", false, nullptr},
    {"launcher.update_url", "", false, nullptr},
    {"launcher.error_log", "1", false, "KESTRANE_ERROR_LOG"},
    {"launcher.last_seen_version", "", false, nullptr},
};

}  // namespace

const SettingDef* SettingDefs() { return kSettingDefs; }

int SettingDefCount() { return (int)(sizeof kSettingDefs / sizeof kSettingDefs[0]); }

const SettingDef* FindSettingDef(const char* key) {
  if (!key) return nullptr;
  for (const SettingDef& d : kSettingDefs)
    if (strcmp(d.key, key) == 0) return &d;
  return nullptr;
}
