#include "TestEnvironment.h"
#include "platform/FileSystem.h"
#include "platform/InstanceGuard.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <unistd.h>

using namespace lh::platform;
using lh::test::TempDir;
namespace fs = std::filesystem;

namespace {

// Points XDG_RUNTIME_DIR (and the fallback's TMPDIR) somewhere for the object's lifetime.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name) {
        if (const char* old = std::getenv(name))
            m_old = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (m_old)
            ::setenv(m_name, m_old->c_str(), 1);
        else
            ::unsetenv(m_name);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

} // namespace

TEST(RuntimeDir, takesXdgRuntimeDirOnlyWhenItIsPrivateAndOurs) {
    TempDir tmp;
    const ScopedEnv tmpdir("TMPDIR", tmp.Path().string());
    const std::string fallback =
        tmp.File("linkhive-" + std::to_string(static_cast<unsigned long>(::getuid())));

    struct Case {
        const char* what;
        fs::perms mode;
        bool foreignOwner;
        bool taken;
    };
    const Case cases[] = {
        {"0700, ours", fs::perms::owner_all, false, true},
        {"world-writable", fs::perms::all, false, false},
        {"group-readable", fs::perms::owner_all | fs::perms::group_read, false, false},
        {"someone else's", fs::perms::owner_all, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir runtime;
        fs::permissions(runtime.Path(), c.mode, fs::perm_options::replace);
        if (c.foreignOwner && (::getuid() != 0 || ::chown(runtime.Path().c_str(), 65534, 65534)))
            continue; // only the superuser can give a folder away
        const ScopedEnv xdg("XDG_RUNTIME_DIR", runtime.Path().string());
        EXPECT_EQ(RuntimeDir(), c.taken ? runtime.Path().string() : fallback);
    }

    TempDir real;
    const std::string link = tmp.File("link");
    fs::create_directory_symlink(real.Path(), link);
    const ScopedEnv xdg("XDG_RUNTIME_DIR", link);
    EXPECT_EQ(RuntimeDir(), fallback);
}

TEST(InstanceGuard, linkPlantedAsTheGuard_isNeitherFollowedNorCreated) {
    TempDir runtime;
    TempDir elsewhere;
    const ScopedEnv xdg("XDG_RUNTIME_DIR", runtime.Path().string());
    const std::string target = elsewhere.File("victim");
    fs::create_symlink(target, runtime.File(kInstanceGuardName));

    InstanceGuard guard;
    guard.Acquire();
    EXPECT_FALSE(guard.Held());
    EXPECT_FALSE(fs::exists(target));
    EXPECT_FALSE(InstanceGuard::Exists());
}
