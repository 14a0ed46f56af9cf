// Moving the game data folder on a worker thread. A move across drives copies gigabytes;
// on the window's thread the window would stop answering for minutes. One move runs at
// a time, and only while nothing else uses the folder: no job, no game, no disc image
// being read into it. Meanwhile the controls that use the folder stand disabled, and
// the launcher doesn't close until the move is done (a half-moved folder would remain).
#pragma once

#include <string>

// Why the data folder can't be moved now, as a sentence for the player; "" when it can.
std::wstring DataFolderMoveRefusal();

// Starts moving the game data to `chosen` (ChangeDataDir) unless DataFolderMoveRefusal
// says no, which then shows as a toast. GUI thread. True when the move started.
bool StartDataFolderMove(const std::string& chosen);

// A move is under way, or its end hasn't been shown yet. GUI thread.
bool DataFolderMoving();
// For the actions that use the data folder (setup, extraction, the game): while a move
// runs, says so with a toast and returns true.
bool RefuseWhileDataFolderMoves();

// The GUI thread's look at the worker, once per loop iteration: when the move has ended
// it refreshes the dump status, shows the result as a toast and, when the player closed
// the window meanwhile, closes it now. True when it did.
bool ApplyFinishedDataFolderMove();

// When a move runs: says that the window closes once it's done and returns false.
bool DataFolderMoveAllowsClose();

// Blocks until a running move has ended (at shutdown, so no half-moved folder remains);
// false when it was still running after timeout_ms.
bool WaitForDataFolderMove(unsigned long timeout_ms = 0xFFFFFFFFul);

namespace DataFolderMoveTesting {

// While `gate` (an event) is set and unsignalled, a started move waits before it moves
// anything, so tests can act while one runs. nullptr removes the gate.
void SetGate(void* gate);

}  // namespace DataFolderMoveTesting
