#include "store/settings_store.h"
#include "support/test_folder.h"
#include "common/typed_number.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace crv::store {
namespace {

namespace fs = std::filesystem;

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
    EXPECT_FALSE(database.OpenLocalDatabase((folder.path() / "missing" / "crv_data").string()).ok());
    EXPECT_EQ(settings.GetTextParam("FG_PATH", ".\\"), ".\\");
    settings.SetFloatParam("Map_home_lon", 73.4f);
    EXPECT_TRUE(database.takeFirstFailure());
}

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
