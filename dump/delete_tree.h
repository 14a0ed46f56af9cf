// Deleting scratch folders the launcher owns (the disc image probe and extraction, the
// enhancement's NAND folder). A user or a tool may have put a junction or symbolic link
// inside one; the link itself goes, never what it points at.
#pragma once

#include <string>

// Deletes the folder and everything below it; errors are ignored. A reparse point (the
// folder itself or anything inside) is removed as a link and never descended into.
void DeleteTree(const std::string& folder);
