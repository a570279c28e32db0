#include "platform/instance_guard.h"

#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <optional>
#include <pwd.h>
#include <string>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace crv::platform {
namespace {

namespace fs = std::filesystem;

/// Environment variables of the test, put back as they were at the end.
class EnvironmentScope {
public:
    explicit EnvironmentScope(const char* name) : m_name(name) {
        if (const char* value = std::getenv(name)) {
            m_value = value;
        }
    }
    ~EnvironmentScope() { m_value ? ::setenv(m_name, m_value->c_str(), 1) : ::unsetenv(m_name); }
    EnvironmentScope(const EnvironmentScope&) = delete;
    EnvironmentScope& operator=(const EnvironmentScope&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_value;
};

/// A home folder of the test's own, so the locks of the tests meet no real ones.
class InstanceGuardTest : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("HOME", folder.path().c_str(), 1); }

    /// The state a child process gets for the guard while this one holds it as it does; the
    /// child may first change its environment.
    InstanceGuard::State childGets(const std::function<void()>& prepare = [] {}) {
        const pid_t child = ::fork();
        if (child == 0) {
            prepare();
            InstanceGuard guard(name);
            ::_exit(static_cast<int>(guard.state()));
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFEXITED(status) ? static_cast<InstanceGuard::State>(WEXITSTATUS(status))
                                 : InstanceGuard::State::Unusable;
    }

    EnvironmentScope home{"HOME"};
    EnvironmentScope runtime{"XDG_RUNTIME_DIR"};
    testing::TestFolder folder{"crv-guard"};
    const std::string name = "crvgcs-guard-test-" + std::to_string(::getpid());
};

TEST_F(InstanceGuardTest, OneHolderAtATime) {
    {
        InstanceGuard first(name);
        ASSERT_TRUE(first.held());
        EXPECT_TRUE(first.problem().empty());
        EXPECT_EQ(childGets(), InstanceGuard::State::HeldByOther);
    }
    EXPECT_EQ(childGets(), InstanceGuard::State::Held) << "released with its holder";
    EXPECT_EQ(InstanceGuard::lockPath(name), (folder.path() / ("." + name + ".lock")).string());
}

TEST_F(InstanceGuardTest, FreedWhenTheHolderIsKilled) {
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
    EXPECT_EQ(childGets(), InstanceGuard::State::HeldByOther);
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    EXPECT_EQ(childGets(), InstanceGuard::State::Held);
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST_F(InstanceGuardTest, TheRuntimeFolderVariableDoesNotMoveTheLock) {
    fs::create_directory(folder.path() / "runtime");
    ::setenv("XDG_RUNTIME_DIR", (folder.path() / "runtime").c_str(), 1);
    const InstanceGuard first(name);
    ASSERT_TRUE(first.held());
    EXPECT_EQ(childGets([] { ::unsetenv("XDG_RUNTIME_DIR"); }), InstanceGuard::State::HeldByOther);
}

TEST_F(InstanceGuardTest, WithoutHomeSetTheUsersHomeFolderHoldsTheLock) {
    ::unsetenv("HOME");
    const passwd* user = ::getpwuid(::getuid());
    ASSERT_NE(user, nullptr);
    EXPECT_EQ(InstanceGuard::lockPath(name), std::string(user->pw_dir) + "/." + name + ".lock");
}

TEST_F(InstanceGuardTest, ALockFileInTheTemporaryFolderHeldByAnotherUserDoesNotBlock) {
    ::unsetenv("XDG_RUNTIME_DIR");
    // Where the lock used to be without a runtime folder: anyone could make and hold it.
    const std::string planted = "/tmp/" + name + "-" + std::to_string(::getuid()) + ".lock";
    const int fd = ::open(planted.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    ASSERT_GE(fd, 0);
    (void)!::fchown(fd, 65534, 65534);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(childGets(), InstanceGuard::State::Held);
    ::close(fd);
    ::unlink(planted.c_str());
}

struct UnusableLock {
    const char* name;
    std::function<void(const std::string& lockPath)> make;
};

void PrintTo(const UnusableLock& lock, std::ostream* out) { *out << lock.name; }

class UnusableLockTest : public InstanceGuardTest,
                         public ::testing::WithParamInterface<UnusableLock> {};

// A lock that cannot be used is said, never taken for a free one nor for another instance.
TEST_P(UnusableLockTest, IsReportedNotObeyedNorIgnored) {
    GetParam().make(InstanceGuard::lockPath(name));
    const InstanceGuard guard(name);
    EXPECT_EQ(guard.state(), InstanceGuard::State::Unusable);
    EXPECT_FALSE(guard.held());
    EXPECT_NE(guard.problem().find(InstanceGuard::lockPath(name)), std::string::npos)
        << guard.problem();
}

const UnusableLock kUnusableLocks[] = {
    {"HomeFolderMissing", [](const std::string&) { ::setenv("HOME", "/nonexistent/home", 1); }},
    {"LinkToAnotherFile",
     [](const std::string& path) { fs::create_symlink("/tmp/elsewhere.lock", path); }},
    {"FolderInItsPlace", [](const std::string& path) { fs::create_directory(path); }},
};

INSTANTIATE_TEST_SUITE_P(Locks, UnusableLockTest, ::testing::ValuesIn(kUnusableLocks),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(InstanceGuardTest, ALockFileOfAnotherUserIsReported) {
    const std::string path = InstanceGuard::lockPath(name);
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT, 0666);
    ASSERT_GE(fd, 0);
    const bool handedOver = ::fchown(fd, 65534, 65534) == 0;
    ::close(fd);
    if (!handedOver) {
        GTEST_SKIP() << "only root can hand a file to another user";
    }
    const InstanceGuard guard(name);
    EXPECT_EQ(guard.state(), InstanceGuard::State::Unusable);
    EXPECT_NE(guard.problem().find("not a file of this user's own"), std::string::npos)
        << guard.problem();
}

} // namespace
} // namespace crv::platform
