// The main window's settings on a real settings file: restored when it is first shown, saved
// when it closes.

#include "ui/main/tform1.h"

#include "support/fake_serial_port.h"
#include "support/modal_catcher.h"
#include "support/sqlite_query.h"
#include "support/unprivileged_scope.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <memory>

namespace crv::ui {
namespace {

using Bytes = std::vector<uint8_t>;

/// One run of the main window on the settings file of the fixture.
struct WindowRun {
    explicit WindowRun(const std::string& databasePath) {
        form.setDatabasePath(databasePath);
        form.show();
        form.Timer1->stop();
    }
    link::testing::FakeSerialPort port;
    link::BoardLink link{port};
    store::LocalDatabase database;
    TForm1 form{link, database};
};

class SettingsTest : public ::testing::Test {
protected:
    std::string path() const { return folder.filePath("crv_data").toStdString(); }
    std::unique_ptr<WindowRun> start() { return std::make_unique<WindowRun>(path()); }

    std::string query(const std::string& sql) { return testing::queryFirstCell(path(), sql); }

    QTemporaryDir folder;
};

TEST_F(SettingsTest, FirstRunTakesAndStoresTheDefaults) {
    auto run = start();
    EXPECT_EQ(run->form.IMUrate->currentText(), "5");
    EXPECT_EQ(run->form.RCrate->currentText(), "2");
    EXPECT_EQ(run->form.VOLTrate->currentText(), "1");
    EXPECT_EQ(run->form.ComboBox3->currentText(), "20%");
    EXPECT_EQ(run->form.ComboBox5->currentText(), "10Hz");
    EXPECT_EQ(run->form.Timer3->interval(), 100);
    EXPECT_FALSE(run->form.Button13->isEnabled());
    EXPECT_TRUE(run->form.ReconnectBox->isChecked());
    run->form.close();
    EXPECT_EQ(query("SELECT count(*) FROM int_parms"), "20");
    EXPECT_EQ(query("SELECT val FROM text_parms WHERE vname='FG_PATH'"), ".\\");
    EXPECT_EQ(query("SELECT group_concat(val) FROM (SELECT val FROM float_parms ORDER BY vname)"),
              "55.022861,73.427856");
}

TEST_F(SettingsTest, ChangesSurviveARestartAndReachTheBoard) {
    {
        auto run = start();
        run->form.IMUrate->setCurrentIndex(4);
        run->form.jyawrev->setChecked(true);
        run->form.jpitchtrim->setValue(-250);
        run->form.ComboBox4->setCurrentIndex(1);
        run->form.ReconnectBox->setChecked(false);
        run->form.close();
    }
    auto run = start();
    EXPECT_EQ(run->form.IMUrate->currentText(), "10");
    EXPECT_FALSE(run->form.ReconnectBox->isChecked());
    EXPECT_TRUE(run->form.jyawrev->isChecked());
    EXPECT_EQ(run->form.jpitchtrim->value(), -250);
    EXPECT_EQ(run->form.ComboBox4->currentText(), "#2");

    run->form.ComboBox1->setEditText("/tmp/pty");
    run->form.Button1->click();
    run->form.Timer1Timer();
    const Bytes attitudeRate = {0xCB, 0x03, 0x20, 0x00, 0xE8};
    const Bytes& sent = run->port.written;
    EXPECT_NE(std::search(sent.begin(), sent.end(), attitudeRate.begin(), attitudeRate.end()),
              sent.end());
}

TEST_F(SettingsTest, AStoredIndexOutsideTheListSelectsNothing) {
    {
        auto run = start();
        run->form.close();
    }
    ASSERT_EQ(query("UPDATE int_parms SET val=9 WHERE vname='VOLTrate'"), "");
    auto run = start();
    EXPECT_EQ(run->form.VOLTrate->currentIndex(), -1);
    EXPECT_EQ(run->form.VOLTrate->currentText(), "");
}

TEST_F(SettingsTest, AnUnusableSettingsFileIsSaidOnceAndDefaultsApply) {
    testing::ModalCatcher boxes;
    WindowRun run(folder.filePath("missing/crv_data").toStdString());
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts[0].contains("settings will not be kept"))
        << boxes.texts[0].toStdString();
    EXPECT_EQ(run.form.IMUrate->currentText(), "5");
    run.form.close();
    EXPECT_EQ(boxes.texts.size(), 1);
}

TEST_F(SettingsTest, MissingHorizonPicturesAreShownAndTheSettingsLeftAlone) {
    {
        auto run = start();
        run->form.IMUrate->setCurrentIndex(0);
        run->form.close();
    }
    const QString before = QDir::currentPath();
    QDir::setCurrent(folder.path()); // no img/ here
    testing::ModalCatcher boxes;
    {
        auto run = start();
        ASSERT_EQ(boxes.texts.size(), 1);
        EXPECT_TRUE(boxes.texts[0].contains("img/AH_top.bmp")) << boxes.texts[0].toStdString();
        EXPECT_NE(run->form.windowTitle(), "Corvane X Ground Control Station build 98");
        run->form.close();
    }
    QDir::setCurrent(before);
    EXPECT_EQ(query("SELECT val FROM int_parms WHERE vname='IMUrate'"), "0");
}


TEST_F(SettingsTest, ASettingsFileLockedAtStartLosesNothing) {
    {
        auto run = start();
        run->form.IMUrate->setCurrentIndex(4);
        run->form.jrolltrim->setValue(120);
        run->form.close();
    }
    // Another program keeps every other connection from reading the file.
    sqlite3* other = nullptr;
    sqlite3_open(path().c_str(), &other);
    ASSERT_EQ(sqlite3_exec(other,
                           "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; UPDATE int_parms SET "
                           "val=val WHERE vname='IMUrate'; COMMIT",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    testing::ModalCatcher boxes;
    const auto start = std::chrono::steady_clock::now();
    auto run = this->start();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3 * store::LocalDatabase::kBusyTimeout);
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts[0].contains("settings will not be kept"))
        << boxes.texts[0].toStdString();
    EXPECT_EQ(run->form.IMUrate->currentText(), "5") << "the defaults show";

    sqlite3_close(other); // the lock is gone before the window closes
    run->form.close();
    EXPECT_EQ(query("SELECT val FROM int_parms WHERE vname='IMUrate'"), "4");
    EXPECT_EQ(query("SELECT val FROM int_parms WHERE vname='Roll trim'"), "120");
}

TEST_F(SettingsTest, AReadOnlyFolderShowsTheSettingsAndSaysOnceThatNothingIsSaved) {
    {
        auto run = start();
        run->form.IMUrate->setCurrentIndex(4);
        run->form.close();
    }
    const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                        QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    ASSERT_TRUE(QFile::setPermissions(folder.path(), readOnly));
    testing::ModalCatcher boxes;
    {
        testing::UnprivilegedScope user;
        ASSERT_TRUE(user.holds());
        if (!std::ifstream("img/AH_top.bmp")) {
            QFile::setPermissions(folder.path(), readOnly | QFile::WriteOwner);
            GTEST_SKIP() << "the build folder is closed to ordinary users";
        }
        auto run = start();
        EXPECT_EQ(run->form.IMUrate->currentText(), "10");
        ASSERT_EQ(boxes.texts.size(), 1);
        EXPECT_TRUE(boxes.texts[0].contains("nothing will be saved"))
            << boxes.texts[0].toStdString();
        run->form.IMUrate->setCurrentIndex(0);
        run->form.close();
    }
    EXPECT_EQ(boxes.texts.size(), 1) << "said once";
    QFile::setPermissions(folder.path(), readOnly | QFile::WriteOwner);
    EXPECT_EQ(query("SELECT val FROM int_parms WHERE vname='IMUrate'"), "4");
}

} // namespace
} // namespace crv::ui
