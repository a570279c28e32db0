#include "platform/instance_guard.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace crv::platform {
namespace {

std::string uniqueName() {
    return "crv-guard-test-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

/// Whether a child process could take the guard while this one holds it as it does.
bool childCouldTake(const std::string& name) {
    const pid_t child = ::fork();
    if (child == 0) {
        InstanceGuard guard(name);
        ::_exit(guard.held() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(InstanceGuardTest, OneHolderAtATime) {
    const std::string name = uniqueName();
    {
        InstanceGuard first(name);
        ASSERT_TRUE(first.held());
        EXPECT_FALSE(childCouldTake(name));
    }
    EXPECT_TRUE(childCouldTake(name)) << "released with its holder";
    ::unlink(InstanceGuard::lockPath(name).c_str());
}

TEST(InstanceGuardTest, FreedWhenTheHolderIsKilled) {
    const std::string name = uniqueName();
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    if (holder == 0) {
        InstanceGuard guard(name);
        char held = guard.held() ? 1 : 0;
        (void)!::write(ready[1], &held, 1);
        ::pause();
        ::_exit(0);
    }
    char held = 0;
    ASSERT_EQ(::read(ready[0], &held, 1), 1);
    ASSERT_EQ(held, 1);
    EXPECT_FALSE(childCouldTake(name));
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    EXPECT_TRUE(childCouldTake(name));
    ::close(ready[0]);
    ::close(ready[1]);
    ::unlink(InstanceGuard::lockPath(name).c_str());
}

} // namespace
} // namespace crv::platform
