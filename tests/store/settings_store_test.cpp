#include "common/typed_number.h"
#include "store/settings_store.h"
#include "store/tile_cache.h"
#include "support/sqlite_query.h"
#include "support/test_folder.h"
#include "support/unprivileged_scope.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace crv::store {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string fileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

/// A real database file in a folder of its own.
class StoreTest : public ::testing::Test {
protected:
    void TearDown() override { database.CloseLocalDatabase(); }

    void open() { ASSERT_TRUE(database.OpenLocalDatabase(path).ok()); }
    /// The first column of the first row of a query, as text; "" for no row.
    std::string query(const std::string& sql) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(database.handle(), sql.c_str(), -1, &statement, nullptr);
        std::string result;
        if (statement != nullptr && sqlite3_step(statement) == SQLITE_ROW) {
            result = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
        }
        sqlite3_finalize(statement);
        return result;
    }

    testing::TestFolder folder{"crv-store"};
    std::string path = folder.file(LocalDatabase::kFileName);
    LocalDatabase database;
    SettingsStore settings{database};
};

TEST_F(StoreTest, FirstOpenCreatesTablesAndIndexes) {
    open();
    EXPECT_EQ(query("SELECT group_concat(name) FROM (SELECT name FROM sqlite_master WHERE "
                    "type='table' AND name NOT LIKE 'sqlite%' ORDER BY name)"),
              "float_parms,gmap_sat,gmap_tiles,int_parms,text_parms");
    EXPECT_EQ(query("SELECT count(*) FROM sqlite_master WHERE type='index' AND name LIKE 'idx%'"),
              "4");
    EXPECT_EQ(query("PRAGMA journal_mode"), "wal");
    database.CloseLocalDatabase();
    open(); // opening again keeps what is there
    EXPECT_EQ(query("SELECT count(*) FROM sqlite_master WHERE type='table'"), "6");
}

TEST_F(StoreTest, ReadingAMissingNameStoresTheDefault) {
    open();
    EXPECT_EQ(settings.GetIntParam("IMUrate", 3), 3);
    EXPECT_EQ(settings.GetTextParam("FG_PATH", ".\\"), ".\\");
    EXPECT_FLOAT_EQ(settings.GetFloatParam("Map_home_lat", 55.022861f), 55.022861f);
    EXPECT_EQ(query("SELECT val FROM int_parms WHERE vname='IMUrate'"), "3");
    EXPECT_EQ(query("SELECT typeof(val) FROM int_parms WHERE vname='IMUrate'"), "integer");
    EXPECT_EQ(query("SELECT val FROM text_parms WHERE vname='FG_PATH'"), ".\\");
    EXPECT_EQ(query("SELECT val FROM float_parms WHERE vname='Map_home_lat'"), "55.022861");
    EXPECT_EQ(settings.GetIntParam("IMUrate", 4), 3) << "the stored value wins over the default";
}

TEST_F(StoreTest, FloatsKeepSixDecimals) {
    open();
    settings.SetFloatParam("Map_home_lat", 55.0228614807f);
    EXPECT_EQ(query("SELECT val FROM float_parms WHERE vname='Map_home_lat'"), "55.022861");
    EXPECT_FLOAT_EQ(settings.GetFloatParam("Map_home_lat", 0), 55.022861f);
    settings.SetFloatParam("tiny", 0.0000004f);
    EXPECT_EQ(settings.GetFloatParam("tiny", 1), 0.0f);
}

TEST_F(StoreTest, TablesAreIndependentAndNamesUnique) {
    open();
    settings.SetIntParam("Roll trim", 5);
    settings.SetFloatParam("Roll trim", 1.5f);
    settings.SetIntParam("Roll trim", -7);
    EXPECT_EQ(settings.GetIntParam("Roll trim", 0), -7);
    EXPECT_FLOAT_EQ(settings.GetFloatParam("Roll trim", 0), 1.5f);
    EXPECT_EQ(query("SELECT count(*) FROM int_parms WHERE vname='Roll trim'"), "1");
    EXPECT_EQ(settings.GetIntParam("roll trim", 9), 9) << "names are case-sensitive";
}

TEST_F(StoreTest, QuotesAndBlanksRoundTrip) {
    open();
    const std::string name = "it's a \"name\"";
    const std::string value = "O'Brien'); DROP TABLE int_parms; --";
    settings.SetTextParam(name, value);
    settings.SetIntParam(name, 12);
    EXPECT_EQ(settings.GetTextParam(name, ""), value);
    EXPECT_EQ(settings.GetIntParam(name, 0), 12);
    EXPECT_EQ(query("SELECT count(*) FROM sqlite_master WHERE name='int_parms'"), "1");
}

TEST_F(StoreTest, IntegerTextWithTrailingGarbageReadsItsLeadingNumber) {
    open();
    ASSERT_TRUE(database.ExecSql("INSERT INTO int_parms(vname,val) VALUES('RCrate','12abc')").ok());
    EXPECT_EQ(settings.GetIntParam("RCrate", 2), 12);
}

TEST_F(StoreTest, SettingsSurviveReopening) {
    open();
    settings.SetIntParam("Logfile_num", 42);
    settings.SetTextParam("FG_PATH", "/opt/flightgear");
    database.CloseLocalDatabase();
    open();
    EXPECT_EQ(settings.GetIntParam("Logfile_num", 1), 42);
    EXPECT_EQ(settings.GetTextParam("FG_PATH", ""), "/opt/flightgear");
}

TEST_F(StoreTest, AFileThatIsNoDatabaseGivesDefaultsAndOneMessage) {
    std::ofstream(path) << std::string(4096, 'x');
    EXPECT_FALSE(database.OpenLocalDatabase(path).ok());
    EXPECT_EQ(settings.GetIntParam("IMUrate", 3), 3);
    settings.SetIntParam("IMUrate", 4);
    EXPECT_EQ(settings.GetIntParam("IMUrate", 3), 3);
    const auto failure = database.takeFirstFailure();
    ASSERT_TRUE(failure);
    EXPECT_NE(failure->find("not a database"), std::string::npos) << *failure;
    EXPECT_FALSE(database.takeFirstFailure()) << "told once";
    std::ifstream file(path);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), std::string(4096, 'x'))
        << "the file is left as it was";
}

TEST_F(StoreTest, AnUnopenableFileGivesDefaults) {
    EXPECT_FALSE(
        database.OpenLocalDatabase((folder.path() / "missing" / "crv_data").string()).ok());
    EXPECT_EQ(settings.GetTextParam("FG_PATH", ".\\"), ".\\");
    settings.SetFloatParam("Map_home_lon", 73.4f);
    EXPECT_TRUE(database.takeFirstFailure());
}

TEST_F(StoreTest, TheSchemaSetUpGoesOnAfterAFailedStatement) {
    // An index that bears the first table's name makes that one statement fail.
    testing::queryFirstCell(path, "CREATE TABLE other(a)");
    testing::queryFirstCell(path, "CREATE INDEX float_parms ON other(a)");
    const Status opened = database.OpenLocalDatabase(path);
    EXPECT_FALSE(opened.ok());
    EXPECT_NE(opened.message().find("float_parms"), std::string::npos) << opened.message();
    EXPECT_EQ(query("SELECT count(*) FROM sqlite_master WHERE name IN ('text_parms','int_parms',"
                    "'gmap_tiles','gmap_sat','idx_gmap_tiles','idx_gmap_sat','idx_gmap_tiles_id',"
                    "'idx_gmap_sat_id')"),
              "8");
    settings.SetIntParam("IMUrate", 4);
    EXPECT_EQ(settings.GetIntParam("IMUrate", 3), 4);
}

TEST_F(StoreTest, ADamagedTableIsAFailedReadNotAMissingName) {
    open();
    settings.SetIntParam("IMUrate", 4);
    settings.SetTextParam("FG_PATH", "/opt/flightgear");
    const int page = std::stoi(query("SELECT rootpage FROM sqlite_master WHERE name='int_parms'"));
    const int pageSize = std::stoi(query("PRAGMA page_size"));
    database.CloseLocalDatabase();
    {
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(static_cast<std::streamoff>(page - 1) * pageSize);
        file << std::string(static_cast<size_t>(pageSize), '\xff');
    }
    const std::string damaged = fileBytes(path);
    open();
    EXPECT_EQ(settings.GetIntParam("IMUrate", 3), 3);
    EXPECT_TRUE(settings.readFailed("IMUrate"));
    EXPECT_EQ(settings.GetTextParam("FG_PATH", ".\\"), "/opt/flightgear");
    EXPECT_FALSE(settings.readFailed("FG_PATH"));
    const auto failure = database.takeFirstFailure();
    ASSERT_TRUE(failure);
    EXPECT_NE(failure->find("malformed"), std::string::npos) << *failure;
    database.CloseLocalDatabase();
    EXPECT_EQ(fileBytes(path), damaged) << "nothing was written over the damaged table";
}

/// Another connection to the settings file that holds a lock keeping all others from reading
/// it, until it closes.
class LockHolder {
public:
    LockHolder(const std::string& path, const char* lockSql) {
        sqlite3_open(path.c_str(), &m_db);
        m_locked = sqlite3_exec(m_db, lockSql, nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~LockHolder() { release(); }
    bool locked() const { return m_locked; }
    void release() {
        sqlite3_close(m_db);
        m_db = nullptr;
    }

private:
    sqlite3* m_db = nullptr;
    bool m_locked = false;
};

struct LockKind {
    const char* name;
    const char* journal; ///< the file's journal mode while it is locked
    const char* lockSql;
};

// A file still in the rollback journal (as older files are) under an exclusive transaction, and
// a write-ahead-logged one held by a connection in exclusive locking mode.
const LockKind kLockKinds[] = {
    {"RollbackJournalExclusiveTransaction", "DELETE", "BEGIN EXCLUSIVE"},
    {"WriteAheadLogExclusiveLockingMode", "WAL",
     "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; "
     "UPDATE int_parms SET val=val WHERE vname='IMUrate'; COMMIT"},
};

void PrintTo(const LockKind& kind, std::ostream* out) { *out << kind.name; }

class LockedFileTest : public StoreTest, public ::testing::WithParamInterface<LockKind> {
protected:
    void SetUp() override {
        open();
        settings.SetIntParam("IMUrate", 4);
        settings.SetTextParam("FG_PATH", "/opt/flightgear");
        database.CloseLocalDatabase();
        ASSERT_EQ(
            testing::queryFirstCell(path, std::string("PRAGMA journal_mode=") + GetParam().journal),
            std::string(GetParam().journal) == "WAL" ? "wal" : "delete");
    }
    /// Every setting that the main window reads at start, as it reads them.
    void readAllSettings() {
        for (const char* name :
             {"RCrate", "Servorate", "IMUrate", "NAVrate", "CRDrate", "VOLTrate", "Exponent",
              "Joystick number", "Update rate", "Roll reverse", "Pitch reverse", "Yaw reverse",
              "Throttle reverse", "Roll trim", "Pitch trim", "Yaw trim"}) {
            settings.GetIntParam(name, 0);
        }
        settings.GetTextParam("FG_PATH", ".\\");
        settings.GetIntParam("Logfile_num", 1);
        settings.GetFloatParam("Map_home_lat", 55.022861f);
        settings.GetFloatParam("Map_home_lon", 73.427856f);
        settings.GetIntParam("Editor width", 640);
        settings.GetIntParam("Editor height", 480);
    }
};

TEST_P(LockedFileTest, ALockHeldForAMomentIsWaitedFor) {
    std::promise<bool> lockTaken;
    std::thread holder([this, &lockTaken] {
        LockHolder lock(path, GetParam().lockSql);
        lockTaken.set_value(lock.locked());
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    });
    ASSERT_TRUE(lockTaken.get_future().get());
    const auto start = Clock::now();
    EXPECT_TRUE(database.OpenLocalDatabase(path).ok());
    EXPECT_EQ(settings.GetIntParam("IMUrate", 3), 4);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
    holder.join();
    EXPECT_FALSE(database.takeFirstFailure());
}

TEST_P(LockedFileTest, ALockThatStaysCostsOneWaitAndOverwritesNothing) {
    LockHolder lock(path, GetParam().lockSql);
    ASSERT_TRUE(lock.locked());
    const auto start = Clock::now();
    EXPECT_FALSE(database.OpenLocalDatabase(path).ok());
    readAllSettings();
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, LocalDatabase::kBusyTimeout);
    EXPECT_LT(waited, 3 * LocalDatabase::kBusyTimeout) << "one wait, not one for every setting";
    EXPECT_EQ(settings.GetIntParam("IMUrate", 3), 3);
    EXPECT_TRUE(settings.readFailed("IMUrate"));
    EXPECT_TRUE(settings.readFailed("FG_PATH"));
    const auto failure = database.takeFirstFailure();
    ASSERT_TRUE(failure);
    EXPECT_NE(failure->find("locked"), std::string::npos) << *failure;

    lock.release();
    EXPECT_EQ(testing::queryFirstCell(path, "SELECT val FROM int_parms WHERE vname='IMUrate'"),
              "4");
    EXPECT_EQ(testing::queryFirstCell(path, "SELECT val FROM text_parms WHERE vname='FG_PATH'"),
              "/opt/flightgear");
    EXPECT_EQ(settings.GetIntParam("IMUrate", 3), 4) << "read again once the lock is gone";
    EXPECT_FALSE(settings.readFailed("IMUrate"));
}

INSTANTIATE_TEST_SUITE_P(Locks, LockedFileTest, ::testing::ValuesIn(kLockKinds),
                         [](const auto& info) { return std::string(info.param.name); });

struct ReadOnlyCase {
    const char* name;
    fs::perms folder;
    fs::perms file;
    bool journalLeftBehind; ///< a run that was killed left its log and shared index
};

constexpr fs::perms kReadOnly = fs::perms::owner_read | fs::perms::owner_exec |
                                fs::perms::group_read | fs::perms::group_exec |
                                fs::perms::others_read | fs::perms::others_exec;
constexpr fs::perms kOpenFile = fs::perms::owner_read | fs::perms::owner_write |
                                fs::perms::group_read | fs::perms::group_write |
                                fs::perms::others_read | fs::perms::others_write;

const ReadOnlyCase kReadOnlyCases[] = {
    {"ReadOnlyFileInAReadOnlyFolder", kReadOnly,
     fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read, false},
    {"WritableFileInAReadOnlyFolder", kReadOnly, kOpenFile, false},
    {"ReadOnlyFileInAWritableFolder", fs::perms::all,
     fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read, false},
    {"KilledRunsJournalInAReadOnlyFolder", kReadOnly,
     fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read, true},
};

void PrintTo(const ReadOnlyCase& media, std::ostream* out) { *out << media.name; }

/// The settings file in a folder of its own whose permissions each case sets; the test reads
/// it as an ordinary user, for whom they hold.
class ReadOnlyTest : public StoreTest, public ::testing::WithParamInterface<ReadOnlyCase> {
protected:
    void SetUp() override {
        fs::create_directory(folder.path() / "ro");
        path = (folder.path() / "ro" / LocalDatabase::kFileName).string();
        open();
        settings.SetIntParam("IMUrate", 4);
        settings.SetTextParam("FG_PATH", "/opt/flightgear");
        ASSERT_TRUE(tiles.StoreTile(TileLayer::Satellite, {3, 4, 5}, {0xFF, 0xD8, 0xFF}).ok());
        database.CloseLocalDatabase();
        if (GetParam().journalLeftBehind) {
            leaveJournalOfAKilledRun();
        }
        fs::permissions(path, GetParam().file);
        fs::permissions(folder.path() / "ro", GetParam().folder);
    }
    void TearDown() override {
        database.CloseLocalDatabase();
        fs::permissions(folder.path() / "ro", fs::perms::all);
    }
    /// A process that stores a newer value and dies without closing the file.
    void leaveJournalOfAKilledRun() {
        const pid_t child = ::fork();
        if (child == 0) {
            LocalDatabase killed;
            SettingsStore store(killed);
            killed.OpenLocalDatabase(path);
            store.SetIntParam("IMUrate", 7);
            ::_exit(0);
        }
        ::waitpid(child, nullptr, 0);
        ASSERT_TRUE(fs::exists(path + "-wal"));
    }

    TileCache tiles{database};
};

TEST_P(ReadOnlyTest, TheSettingsAndTilesShowAndNothingIsWritten) {
    const std::string before = fileBytes(path);
    {
        testing::UnprivilegedScope user;
        ASSERT_TRUE(user.holds());
        EXPECT_TRUE(database.OpenLocalDatabase(path).ok());
        EXPECT_TRUE(database.readOnly());
        EXPECT_EQ(settings.GetIntParam("IMUrate", 3), GetParam().journalLeftBehind ? 7 : 4);
        EXPECT_EQ(settings.GetTextParam("FG_PATH", ".\\"), "/opt/flightgear");
        EXPECT_EQ(
            tiles.ReadTile(TileLayer::Satellite, tiles.FindTile(TileLayer::Satellite, {3, 4, 5})),
            std::vector<uint8_t>({0xFF, 0xD8, 0xFF}));
        settings.SetIntParam("IMUrate", 0);
        settings.GetIntParam("Logfile_num", 1);
        EXPECT_EQ(settings.GetIntParam("IMUrate", 3), GetParam().journalLeftBehind ? 7 : 4);
        database.CloseLocalDatabase();
    }
    EXPECT_EQ(fileBytes(path), before);
}

INSTANTIATE_TEST_SUITE_P(Media, ReadOnlyTest, ::testing::ValuesIn(kReadOnlyCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LeadingNumberTest, ConvertsLeadingCharacters) {
    struct Row {
        const char* text;
        int32_t integer;
        double number;
    };
    const Row rows[] = {
        {"12abc", 12, 12},
        {"-7x", -7, -7},
        {"abc", 0, 0},
        {"", 0, 0},
        {" 42", 42, 42},
        {"+5", 5, 5},
        {"3.75e1z", 3, 37.5},
        {"-0.5", 0, -0.5},
        {"99999999999", 2147483647, 99999999999.0},
        {"-99999999999", -2147483647 - 1, -99999999999.0},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(leadingInteger(row.text), row.integer) << row.text;
        EXPECT_DOUBLE_EQ(leadingNumber(row.text), row.number) << row.text;
    }
}

TEST(LeadingNumberTest, SixDecimalsWithAPoint) {
    EXPECT_EQ(fixedDecimals(55.0228614807f, 6), "55.022861");
    EXPECT_EQ(fixedDecimals(73.427856f, 6), "73.427856");
    EXPECT_EQ(fixedDecimals(-1.5, 6), "-1.500000");
}

} // namespace
} // namespace crv::store
