#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

#include "data/settings_store.h"
#include "eye/gamma_backend.h"
#include "eye/gamma_filter.h"
#include "eye/gamma_ramp.h"

namespace {

// Records every ramp and what the store held when it arrived, to check the order of the
// operations as well as their result.
class FakeBackend final : public GammaBackend {
  public:
    const char* Name() const override { return "fake"; }
    bool Apply(const GammaRamp& ramp) override {
        ramps.push_back(ramp);
        percentAtApply.push_back(SettingsStore::GetPercent());
        switchAtApply.push_back(SettingsStore::GetEyeProtectOn());
        return succeeds;
    }

    bool succeeds = true;
    std::vector<GammaRamp> ramps;
    std::vector<int> percentAtApply;
    std::vector<bool> switchAtApply;
};

// Every file of the data folder with its bytes: any write, including one to a journal, shows.
QMap<QString, QByteArray> SnapshotDataFolder() {
    QMap<QString, QByteArray> files;
    const QDir folder = QFileInfo(SettingsStore::DatabasePath()).dir();
    for (const QFileInfo& info : folder.entryInfoList(QDir::Files | QDir::Hidden)) {
        QFile file(info.filePath());
        if (file.open(QIODevice::ReadOnly)) files.insert(info.fileName(), file.readAll());
    }
    return files;
}

}  // namespace

class TestGammaFilter : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();
    void cleanup();

    void defaultBackendIsPlatform();
    void setBluePercent_data();
    void setBluePercent();
    void switchFilter_data();
    void switchFilter();
    void applyStoredFilter_data();
    void applyStoredFilter();
    void restoreIdentityRamp_data();
    void restoreIdentityRamp();

  private:
    // Puts a starting state into the store and forgets what the fake saw while doing it.
    void Prepare(int percent, bool on);
    bool Reopen();

    std::unique_ptr<QTemporaryDir> home_;
    FakeBackend fake_;
};

void TestGammaFilter::initTestCase() {
    // Should a call ever miss the fake, it must not reach a real screen.
    qunsetenv("DISPLAY");
}

void TestGammaFilter::init() {
    home_ = std::make_unique<QTemporaryDir>();
    QVERIFY(home_->isValid());
    qputenv("XDG_DATA_HOME", QFile::encodeName(home_->path()));
    QVERIFY(SettingsStore::OpenSettings());
    fake_ = FakeBackend();
    SetGammaBackendForTests(&fake_);
}

void TestGammaFilter::cleanup() {
    SetGammaBackendForTests(nullptr);
    SettingsStore::CloseSettings();
    home_.reset();
}

void TestGammaFilter::Prepare(int percent, bool on) {
    SettingsStore::StorePercent(percent);
    SettingsStore::StoreEyeProtectOn(on);
    fake_ = FakeBackend();
}

bool TestGammaFilter::Reopen() {
    SettingsStore::CloseSettings();
    return SettingsStore::OpenSettings();
}

void TestGammaFilter::defaultBackendIsPlatform() {
    QCOMPARE(&CurrentGammaBackend(), &fake_);
    SetGammaBackendForTests(nullptr);
    QCOMPARE(&CurrentGammaBackend(), &PlatformGammaBackend());
    QVERIFY(&PlatformGammaBackend() != &fake_);
}

void TestGammaFilter::setBluePercent_data() {
    QTest::addColumn<int>("percent");
    QTest::addColumn<bool>("screenTakesIt");
    QTest::addColumn<int>("blue255");

    QTest::newRow("20%") << 20 << true << 52275;
    QTest::newRow("15%") << 15 << true << 55590;
    QTest::newRow("0%") << 0 << true << 65280;
    QTest::newRow("100%") << 100 << true << 0;
    // No screen can change (no display, no RandR): the choice is still kept.
    QTest::newRow("20%, screen refuses") << 20 << false << 52275;
    QTest::newRow("0%, screen refuses") << 0 << false << 65280;
    // Out of range is stored as given and only clamped for the ramp.
    QTest::newRow("150%") << 150 << true << 0;
    QTest::newRow("-5%") << -5 << true << 65280;
}

void TestGammaFilter::setBluePercent() {
    QFETCH(int, percent);
    QFETCH(bool, screenTakesIt);
    QFETCH(int, blue255);

    Prepare(30, true);
    fake_.succeeds = screenTakesIt;
    SetBluePercent(percent);

    QCOMPARE(fake_.ramps.size(), std::size_t{1});
    QVERIFY(fake_.ramps[0] == BuildGammaRamp(percent));
    QCOMPARE(fake_.ramps[0].blue[255], blue255);
    // Stored before the screen is touched.
    QCOMPARE(fake_.percentAtApply[0], percent);
    // The strength alone never flips the switch.
    QVERIFY(SettingsStore::GetEyeProtectOn());

    QVERIFY(Reopen());
    QCOMPARE(SettingsStore::GetPercent(), percent);
    QVERIFY(SettingsStore::GetEyeProtectOn());
}

void TestGammaFilter::switchFilter_data() {
    QTest::addColumn<int>("previousPercent");
    QTest::addColumn<bool>("wasOn");
    QTest::addColumn<bool>("on");
    QTest::addColumn<int>("expectedPercent");

    // Switching on always starts at 15 %, whatever was used last.
    QTest::newRow("on after 30%") << 30 << false << true << 15;
    QTest::newRow("on after 0%") << 0 << false << true << 15;
    QTest::newRow("on after 100%") << 100 << false << true << 15;
    QTest::newRow("on while on at 30%") << 30 << true << true << 15;
    QTest::newRow("off from 30%") << 30 << true << false << 0;
    QTest::newRow("off from 15%") << 15 << true << false << 0;
    QTest::newRow("off while off") << 0 << false << false << 0;
}

void TestGammaFilter::switchFilter() {
    QFETCH(int, previousPercent);
    QFETCH(bool, wasOn);
    QFETCH(bool, on);
    QFETCH(int, expectedPercent);

    Prepare(previousPercent, wasOn);
    SetEyeProtectOn(on);

    QCOMPARE(fake_.ramps.size(), std::size_t{1});
    QVERIFY(fake_.ramps[0] == BuildGammaRamp(expectedPercent));
    if (!on) QVERIFY(fake_.ramps[0] == IdentityGammaRamp());
    // The strength is stored and applied before the switch is written.
    QCOMPARE(fake_.percentAtApply[0], expectedPercent);
    QCOMPARE(fake_.switchAtApply[0], wasOn);

    QCOMPARE(SettingsStore::GetEyeProtectOn(), on);
    QVERIFY(Reopen());
    QCOMPARE(SettingsStore::GetPercent(), expectedPercent);
    QCOMPARE(SettingsStore::GetEyeProtectOn(), on);
}

void TestGammaFilter::applyStoredFilter_data() {
    QTest::addColumn<int>("percent");
    QTest::addColumn<bool>("on");
    QTest::addColumn<bool>("expectApply");

    QTest::newRow("on at 20%") << 20 << true << true;
    QTest::newRow("on at 15%") << 15 << true << true;
    QTest::newRow("on at 0%") << 0 << true << true;
    QTest::newRow("on at 150%") << 150 << true << true;
    QTest::newRow("off at 20%") << 20 << false << false;
    QTest::newRow("off at 0%") << 0 << false << false;
}

void TestGammaFilter::applyStoredFilter() {
    QFETCH(int, percent);
    QFETCH(bool, on);
    QFETCH(bool, expectApply);

    Prepare(percent, on);
    // Start-up sees the settings as loaded from the file, not as just written.
    QVERIFY(Reopen());
    const auto before = SnapshotDataFolder();
    QVERIFY(!before.isEmpty());

    ApplyStoredFilter();

    QCOMPARE(fake_.ramps.size(), std::size_t{expectApply ? 1u : 0u});
    if (expectApply) QVERIFY(fake_.ramps[0] == BuildGammaRamp(percent));
    QCOMPARE(SettingsStore::GetPercent(), percent);
    QCOMPARE(SettingsStore::GetEyeProtectOn(), on);
    QVERIFY(SnapshotDataFolder() == before);
}

void TestGammaFilter::restoreIdentityRamp_data() {
    QTest::addColumn<int>("percent");
    QTest::addColumn<bool>("on");
    QTest::addColumn<bool>("screenTakesIt");

    QTest::newRow("on at 30%") << 30 << true << true;
    QTest::newRow("on at 15%, screen refuses") << 15 << true << false;
    QTest::newRow("off") << 0 << false << true;
}

// Exit removes the filter from the screen but the next start-up brings it back.
void TestGammaFilter::restoreIdentityRamp() {
    QFETCH(int, percent);
    QFETCH(bool, on);
    QFETCH(bool, screenTakesIt);

    Prepare(percent, on);
    fake_.succeeds = screenTakesIt;
    const auto before = SnapshotDataFolder();

    RestoreIdentityRamp();

    QCOMPARE(fake_.ramps.size(), std::size_t{1});
    QVERIFY(fake_.ramps[0] == IdentityGammaRamp());
    QCOMPARE(SettingsStore::GetPercent(), percent);
    QCOMPARE(SettingsStore::GetEyeProtectOn(), on);
    QVERIFY(SnapshotDataFolder() == before);
    QVERIFY(Reopen());
    QCOMPARE(SettingsStore::GetPercent(), percent);
    QCOMPARE(SettingsStore::GetEyeProtectOn(), on);
}

QTEST_GUILESS_MAIN(TestGammaFilter)
#include "tst_gamma_filter.moc"
