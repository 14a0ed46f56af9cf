// DeleteTree cleans folders the launcher owns; whatever a link inside points at is not.
#include <gtest/gtest.h>

#include "dump/delete_tree.h"
#include "tests/support/folder_link.h"
#include "tests/support/temp_folder.h"

using testsupport::PathExists;

namespace {

class DeleteTreeTest : public testsupport::TempFolderTest {};

TEST_F(DeleteTreeTest, DeletesEverythingBelowTheFolder) {
  testsupport::WriteFile(Path("tree\\a\\b\\c\\deep.bin"), "x");
  testsupport::WriteFile(Path("tree\\empty.bin"), "");
  testsupport::MakeFolders(Path("tree\\hollow"));
  DeleteTree(Path("tree"));
  EXPECT_FALSE(PathExists(Path("tree")));
  DeleteTree(Path("tree"));  // already gone: nothing to do
}

TEST_F(DeleteTreeTest, ALinkIsRemovedButNeverFollowed) {
  testsupport::WriteFile(Path("player\\saves\\keep.bin"), "the player's");
  testsupport::WriteFile(Path("nand\\title\\data.bin"), "x");
  if (!testsupport::MakeFolderLink(Path("nand\\title\\link"), Path("player")))
    GTEST_SKIP() << "this system can't make a folder link here";
  ASSERT_TRUE(testsupport::MakeFolderLink(Path("probe"), Path("player")));

  DeleteTree(Path("nand"));
  DeleteTree(Path("probe"));
  EXPECT_EQ("the player's", testsupport::ReadFile(Path("player\\saves\\keep.bin")));
  EXPECT_FALSE(PathExists(Path("nand\\title\\data.bin")));
  if (!testsupport::RunningOnWine()) {
    // Wine can't remove a Unix link through Windows calls, so there the links stay.
    EXPECT_FALSE(PathExists(Path("nand")));
    EXPECT_FALSE(PathExists(Path("probe")));
  }
  testsupport::RemoveFolderLink(Path("nand\\title\\link"));
  testsupport::RemoveFolderLink(Path("probe"));
}

}  // namespace
