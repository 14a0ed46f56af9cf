// The intro-video enhancement: the built game plays its intro once, hidden and muted, to
// dump the video's frames; enhance.exe (with the Real-ESRGAN upscaler when one is
// installed) upscales them and encodes a new video, which the game plays instead of the
// disc's once graphics.enhanced_assets is on. Progress goes to the job record
// (job_status.h) with kind kJobEnhance. Upscaling is long and takes the GPU, so while
// the player plays, a watcher keeps the enhancer and everything it started suspended.
#pragma once

#include <cstdint>
#include <string>

// Starts the job and its pause watcher unless a setup or enhancement job is running; true
// when this call started it.
bool StartEnhanceJob();

// The finished video is in place with a size above 0 bytes.
bool HasEnhancedVideo();
// Its size in bytes, or -1 when it can't be read.
int64_t EnhancedVideoSize();
// Undoes the job: removes the temporary frames, deletes the video and turns
// graphics.enhanced_assets off. False with a sentence for the player in `message` when
// the video was there but couldn't be deleted (a running game holds it), or when the
// cache folder isn't the launcher's (nothing is then touched).
bool RemoveEnhancedVideo(std::wstring* message);
// Deletes the frames the game dumped and those the enhancer upscaled, then their folders;
// only in a cache folder the launcher made, never through a link.
void RemoveTemporaryFrames();

namespace JobsTesting {
// How long the finished video waits for its place while the launcher's own game isn't
// running (30 s). Test builds shorten it; call it before any job starts.
void SetVideoMoveWait(unsigned ms);
}  // namespace JobsTesting
