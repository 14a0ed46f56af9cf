// Folder links (junction-like reparse points) for tests of code that must never follow
// them. Windows makes a directory symbolic link; Wine cannot, but reports a Unix symbolic
// link as a reparse point, so under Wine the link is made with /bin/ln.
#pragma once

#include <string>

namespace testsupport {

bool RunningOnWine();
// Makes `link` point at the folder `target`; true only when the result is reported as a
// reparse point, so callers can skip where the system can't make one.
bool MakeFolderLink(const std::string& link, const std::string& target);
// Removes a link made above (Wine can't remove a Unix link through Windows calls).
void RemoveFolderLink(const std::string& link);

// Under Wine only: makes `link` a Unix symbolic link to `unix_target` (a Unix path such as
// /dev/full). False elsewhere or when it can't be made.
bool MakeUnixLink(const std::string& link, const std::string& unix_target);
// Removes such a link; Wine can't delete one to a device through Windows calls.
void RemoveUnixLink(const std::string& link);

}  // namespace testsupport
