// A held file is what a writer that has not finished looks like: the claim
// refuses it until it is let go.

#include "platform/held_file.h"

#include <gtest/gtest.h>

#include "platform/env.h"
#include "support/temp_tree.h"

namespace platform {
namespace {

using test_support::temp_tree;

TEST(HeldFileTest, EmptiesTheFileAndKeepsItFromBeingClaimedUntilClosed) {
  temp_tree tree;
  const QString path = tree.write("test.txt", "old contents");
  held_file held(path);
  ASSERT_TRUE(held.is_open());
  EXPECT_EQ(tree.read("test.txt"), QByteArray());
  EXPECT_FALSE(env().rename_file(path, tree.path("claimed.txt")).ok());
  held.close();
  EXPECT_FALSE(held.is_open());
  EXPECT_TRUE(env().rename_file(path, tree.path("claimed.txt")).ok());
}

TEST(HeldFileTest, IsNotOpenWhereNoFileCanBeMade) {
  temp_tree tree;
  held_file held(tree.path("missing/test.txt"));
  EXPECT_FALSE(held.is_open());
  held.close();  // harmless
  EXPECT_FALSE(tree.exists("missing"));
}

}  // namespace
}  // namespace platform
