#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <vector>

#include "data/settings_store.h"
#include "eye/gamma_filter.h"
#include "eye/gamma_ramp.h"
#include "platform/gamma.h"

namespace {

// Records each ramp with what the store held when it arrived, to check the order of operations.
struct FakeBackend final : GammaBackend {
    struct Seen {
        GammaRamp ramp;
        int percent;
        bool on;
    };
    const char* Name() const override { return "fake"; }
    bool Apply(const GammaRamp& ramp) override {
        seen.push_back({ramp, SettingsStore::GetPercent(), SettingsStore::GetEyeProtectOn()});
        return false;
    }
    std::vector<Seen> seen;
};

// Every file of the data folder with its bytes: any write, a journal's included, shows.
QMap<QString, QByteArray> SnapshotDataFolder() {
    QMap<QString, QByteArray> files;
    const QDir folder = QFileInfo(SettingsStore::DatabasePath()).dir();
    for (const QFileInfo& info : folder.entryInfoList(QDir::Files | QDir::Hidden)) {
        QFile file(info.filePath());
        if (file.open(QIODevice::ReadOnly)) files.insert(info.fileName(), file.readAll());
    }
    return files;
}

using Operation = std::function<void()>;

}  // namespace

Q_DECLARE_METATYPE(Operation)

class TestGammaFilter : public QObject {
    Q_OBJECT

  private slots:
    void operations_data();
    void operations();
};

void TestGammaFilter::operations_data() {
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<bool>("wasOn");       // the strength before is always 30 %
    QTest::addColumn<int>("rampPercent");  // -1: no ramp is loaded
    QTest::addColumn<int>("percent");
    QTest::addColumn<bool>("on");

    // The strength is stored, as given, before its ramp is loaded; the switch stays put.
    QTest::newRow("20%") << Operation([] { SetBluePercent(20); }) << true << 20 << 20 << true;
    QTest::newRow("150%") << Operation([] { SetBluePercent(150); }) << false << 150 << 150 << false;
    // On starts at 15 % whatever was used last, off at 0 with the identity; the switch goes last.
    QTest::newRow("on") << Operation([] { SetEyeProtectOn(true); }) << false << 15 << 15 << true;
    QTest::newRow("off") << Operation([] { SetEyeProtectOn(false); }) << true << 0 << 0 << false;
    // Start-up and exit only load a ramp; the store and its file stay as they are.
    QTest::newRow("start-up, on") << Operation(ApplyStoredFilter) << true << 30 << 30 << true;
    QTest::newRow("start-up, off") << Operation(ApplyStoredFilter) << false << -1 << 30 << false;
    QTest::newRow("exit") << Operation(RestoreIdentityRamp) << true << 0 << 30 << true;
}

void TestGammaFilter::operations() {
    QFETCH(Operation, operation);
    QFETCH(bool, wasOn);
    QFETCH(int, rampPercent);
    QFETCH(int, percent);
    QFETCH(bool, on);

    qunsetenv("DISPLAY");  // should a call miss the fake, it must not reach a real screen
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path()));
    QVERIFY(SettingsStore::OpenSettings());
    SettingsStore::StorePercent(30);
    SettingsStore::StoreEyeProtectOn(wasOn);
    SettingsStore::CloseSettings();
    QVERIFY(SettingsStore::OpenSettings());
    const auto before = SnapshotDataFolder();
    FakeBackend fake;  // refuses every ramp, as without a display: nothing may depend on it
    SetGammaBackendForTests(&fake);
    operation();
    SetGammaBackendForTests(nullptr);

    QCOMPARE(fake.seen.size(), rampPercent < 0 ? 0u : 1u);
    if (rampPercent >= 0) {
        QVERIFY(fake.seen[0].ramp == BuildGammaRamp(rampPercent));
        QCOMPARE(fake.seen[0].percent, percent);
        QCOMPARE(fake.seen[0].on, wasOn);
    }
    // Leaving the settings as they were means writing nothing at all.
    if (percent == 30 && on == wasOn) QVERIFY(SnapshotDataFolder() == before);
    SettingsStore::CloseSettings();
    QVERIFY(SettingsStore::OpenSettings());
    QCOMPARE(SettingsStore::GetPercent(), percent);
    QCOMPARE(SettingsStore::GetEyeProtectOn(), on);
    SettingsStore::CloseSettings();
}

QTEST_GUILESS_MAIN(TestGammaFilter)
#include "tst_gamma_filter.moc"
