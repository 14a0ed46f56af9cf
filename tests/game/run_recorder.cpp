// Records runs the way a game monitor does, for the test of launchers recording at once:
//   run_recorder LABEL COUNT READY GO
// releases the semaphore READY, waits for the event GO (so that several recorders start
// together), then records COUNT runs started at "LABEL-1" to "LABEL-COUNT". Exit status:
// 0 when every run is in runs.tsv, 1 when one waits elsewhere, 9 when it couldn't start.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "game/run_records.h"
#include "platform/text.h"

int main(int argc, char** argv) {
  if (argc != 5) return 9;
  HANDLE ready = OpenSemaphoreW(SEMAPHORE_MODIFY_STATE, FALSE, text::Utf8ToWide(argv[3]).c_str());
  HANDLE go = OpenEventW(SYNCHRONIZE, FALSE, text::Utf8ToWide(argv[4]).c_str());
  if (!ready || !go || !ReleaseSemaphore(ready, 1, nullptr) || WaitForSingleObject(go, 60000) != WAIT_OBJECT_0)
    return 9;
  int status = 0;
  for (int i = 1; i <= atoi(argv[2]); ++i)
    if (!RecordRun(MakeRunRecord(std::string(argv[1]) + "-" + std::to_string(i), 1, 0, true))) status = 1;
  return status;
}
