#include <gtest/gtest.h>

#include <filesystem>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "support/temp_folder.h"
#include "text/folder_lock.h"

namespace vorlane {
namespace {

TEST(FolderLockTest, OneTakerAtATimeAndTheFileStays) {
  const test::TempFolder folder("vorlane-lock");
  const NativePath path = folder.path().native();
  {
    FolderLock first = FolderLock::Take(path);
    ASSERT_TRUE(first.held());
    EXPECT_TRUE(std::filesystem::is_regular_file(folder / "vorlane.lock"));
    EXPECT_FALSE(FolderLock::Take(path).held()) << "a second taker is refused at once";

    FolderLock moved = std::move(first);
    EXPECT_TRUE(moved.held());
    EXPECT_FALSE(first.held());  // NOLINT(bugprone-use-after-move): the moved-from state is the point
    EXPECT_FALSE(FolderLock::Take(path).held()) << "the moved lock still holds";
  }
  EXPECT_TRUE(std::filesystem::exists(folder / "vorlane.lock")) << "the file is left for the next start";
  FolderLock again = FolderLock::Take(path);
  EXPECT_TRUE(again.held()) << "released with its owner";
  again = FolderLock();
  EXPECT_TRUE(FolderLock::Take(path).held()) << "released when replaced";
}

TEST(FolderLockTest, AFolderThatIsNotThereHoldsNothing) {
  const test::TempFolder folder("vorlane-lock");
  EXPECT_FALSE(FolderLock::Take((folder / "missing").native()).held());
  EXPECT_FALSE(FolderLock::Take(NativePath()).held());
  EXPECT_FALSE(FolderLock().held());
}

#ifndef _WIN32
// What a child process sees of the lock: 0 when it could take it, 1 when not.
int ChildTakes(const NativePath& folder) {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(FolderLock::Take(folder).held() ? 0 : 1);
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

TEST(FolderLockTest, AnotherProcessIsRefusedWhileTheLockIsHeld) {
  const test::TempFolder folder("vorlane-lock");
  const NativePath path = folder.path().native();
  {
    const FolderLock lock = FolderLock::Take(path);
    ASSERT_TRUE(lock.held());
    EXPECT_EQ(ChildTakes(path), 1);
  }
  EXPECT_EQ(ChildTakes(path), 0);

  // A holder that dies without cleaning up lets go with its process.
  const pid_t holder = ::fork();
  if (holder == 0) {
    const FolderLock lock = FolderLock::Take(path);
    ::_exit(lock.held() ? 0 : 1);  // no destructor runs
  }
  int status = 0;
  ASSERT_EQ(::waitpid(holder, &status, 0), holder);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_TRUE(FolderLock::Take(path).held());
}
#endif

}  // namespace
}  // namespace vorlane
