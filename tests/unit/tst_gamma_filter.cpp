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

CrtcRamp Resampled(unsigned long crtc, const GammaRamp& ramp, std::size_t size) {
    const int n = static_cast<int>(size);
    return {crtc, ResampleChannel(ramp.red, n), ResampleChannel(ramp.green, n),
            ResampleChannel(ramp.blue, n)};
}

// CRTCs that keep what is loaded on them, each at its own size.
struct FakeScreen final : GammaBackend {
    const char* Name() const override { return "screen"; }
    bool Apply(const GammaRamp& ramp) override {
        for (CrtcRamp& crtc : crtcs) crtc = Resampled(crtc.crtc, ramp, crtc.red.size());
        return true;
    }
    std::vector<CrtcRamp> Read() override { return crtcs; }
    bool Load(const std::vector<CrtcRamp>& ramps) override {
        ++loads;
        for (const CrtcRamp& ramp : ramps)
            for (CrtcRamp& crtc : crtcs)
                if (crtc.crtc == ramp.crtc) crtc = ramp;
        return true;
    }
    std::vector<CrtcRamp> crtcs;
    int loads = 0;
};

CrtcRamp Ours(unsigned long crtc, int percent, std::size_t size = 256) {
    return Resampled(crtc, BuildGammaRamp(percent), size);
}

// A calibration's: red lower than ours ever is.
CrtcRamp Foreign(unsigned long crtc, std::size_t size = 256) {
    CrtcRamp ramp = Ours(crtc, 0, size);
    ramp.red = Ours(crtc, 50, size).blue;
    return ramp;
}

using Ramps = std::vector<CrtcRamp>;

}  // namespace

Q_DECLARE_METATYPE(Operation)
Q_DECLARE_METATYPE(Ramps)

class TestGammaFilter : public QObject {
    Q_OBJECT

  private slots:
    void operations_data();
    void operations();
    void foundRamps_data();
    void foundRamps();
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
    // Off loads no ramp of its own: the ones found before come back (none here).
    QTest::newRow("off") << Operation([] { SetEyeProtectOn(false); }) << true << -1 << 0 << false;
    // Start-up and exit only load a ramp; the store and its file stay as they are.
    QTest::newRow("start-up, on") << Operation(ApplyStoredFilter) << true << 30 << 30 << true;
    QTest::newRow("start-up, off") << Operation(ApplyStoredFilter) << false << -1 << 30 << false;
    QTest::newRow("exit") << Operation(RestoreFoundRamps) << true << -1 << 30 << true;
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
    ForgetFoundRampsForTests();
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

void TestGammaFilter::foundRamps_data() {
    QTest::addColumn<Ramps>("found");
    QTest::addColumn<bool>("storedOn");  // at 30 %
    QTest::addColumn<Operation>("during");
    QTest::addColumn<Ramps>("running");  // after start and `during`
    QTest::addColumn<Ramps>("exited");
    QTest::addColumn<int>("loads");  // ramps put back, at start and exit

    const Operation nothing = [] {};
    const Ramps calibrated = {Foreign(7), Foreign(8, 1024)};
    QTest::newRow("never on: exit leaves a calibration")
        << calibrated << false << nothing << calibrated << calibrated << 0;
    QTest::newRow("on at start: the calibration back at exit")
        << calibrated << true << nothing << Ramps{Ours(7, 30), Ours(8, 30, 1024)} << calibrated
        << 1;
    QTest::newRow("switched on and off: back when off, not again at exit")
        << calibrated << false << Operation([] {
               SetEyeProtectOn(true);
               SetEyeProtectOn(false);
           })
        << calibrated << calibrated << 1;
    // What a killed run of ours left: cleared when the filter is off, never put back.
    QTest::newRow("our 40 % left, stored off: cleared, once")
        << Ramps{Ours(7, 40), Foreign(8)} << false << nothing << Ramps{Ours(7, 0), Foreign(8)}
        << Ramps{Ours(7, 0), Foreign(8)} << 1;
    QTest::newRow("our 100 % left, stored on: identity at exit")
        << Ramps{Ours(7, 100, 2)} << true << nothing << Ramps{Ours(7, 30, 2)}
        << Ramps{Ours(7, 0, 2)} << 1;
}

void TestGammaFilter::foundRamps() {
    QFETCH(Ramps, found);
    QFETCH(bool, storedOn);
    QFETCH(Operation, during);

    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path()));
    QVERIFY(SettingsStore::OpenSettings());
    SettingsStore::StorePercent(30);
    SettingsStore::StoreEyeProtectOn(storedOn);
    FakeScreen screen;
    screen.crtcs = found;
    SetGammaBackendForTests(&screen);
    ForgetFoundRampsForTests();
    StartFilter();
    during();
    QTEST(screen.crtcs, "running");
    RestoreFoundRamps();
    QTEST(screen.crtcs, "exited");
    QTEST(screen.loads, "loads");
    SetGammaBackendForTests(nullptr);
    SettingsStore::CloseSettings();
}

QTEST_GUILESS_MAIN(TestGammaFilter)
#include "tst_gamma_filter.moc"
