#include <QDBusConnection>
#include <QDBusMessage>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

#include "data/settings_store.h"
#include "eye/filter_keeper.h"
#include "eye/gamma_ramp.h"
#include "platform/gamma.h"
#include "tests/support/private_bus.h"

namespace {

// Records the strength of each ramp, and hands the keeper's display-change call to the test.
struct FakeBackend final : GammaBackend {
    const char* Name() const override { return "fake"; }
    bool Apply(const GammaRamp& ramp) override {
        for (int p = 0; p <= 100; ++p)
            if (BuildGammaRamp(p) == ramp) percents << p;
        return true;
    }
    bool WatchDisplays(std::function<void()> changed) override {
        displaysChanged = std::move(changed);
        return true;
    }
    void StopWatchingDisplays() override {
        displaysChanged = nullptr;
        ++stopped;
    }
    QList<int> percents;
    std::function<void()> displaysChanged;
    int stopped = 0;
};

const QString kLogind = "org.freedesktop.login1";

void Store(bool on, int percent) {
    SettingsStore::StorePercent(percent);
    SettingsStore::StoreEyeProtectOn(on);
}

bool SendPrepareForSleep(QDBusConnection& from, bool sleeping) {
    QDBusMessage signal = QDBusMessage::createSignal(
        "/org/freedesktop/login1", "org.freedesktop.login1.Manager", "PrepareForSleep");
    signal << sleeping;
    return from.send(signal);
}

// Hears every PrepareForSleep on the keeper's own connection, whoever sends it: once it has heard
// a signal, everything sent before that signal has reached the keeper too.
class Listener : public QObject {
    Q_OBJECT
  public:
    int heard = 0;
  public slots:
    void Heard(bool) { ++heard; }
};

}  // namespace

class TestFilterKeeper : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();
    void displaysChanged_data();
    void displaysChanged();
    void resume_data();
    void resume();
    void noDisplayNoTrouble();

  private:
    PrivateBus bus_;
    Listener listener_;
    std::unique_ptr<QTemporaryDir> home_;
    FakeBackend fake_;
    std::unique_ptr<FilterKeeper> keeper_;
};

void TestFilterKeeper::initTestCase() {
    QString error;
    QVERIFY2(bus_.Start(&error), qPrintable(error));
    // Before anything asks for the system bus: the keeper's is this one.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", bus_.Address().toUtf8());
    QDBusConnection logind = QDBusConnection::connectToBus(bus_.Address(), "logind");
    QVERIFY(logind.isConnected());
    QVERIFY(logind.registerService(kLogind));
    QVERIFY(QDBusConnection::systemBus().connect(QString(), "/org/freedesktop/login1",
                                                 "org.freedesktop.login1.Manager",
                                                 "PrepareForSleep", &listener_, SLOT(Heard(bool))));
}

void TestFilterKeeper::init() {
    home_ = std::make_unique<QTemporaryDir>();
    qputenv("XDG_DATA_HOME", QFile::encodeName(home_->path()));
    QVERIFY(SettingsStore::OpenSettings());
    SetGammaBackendForTests(&fake_);
    keeper_ = std::make_unique<FilterKeeper>();
    QVERIFY(keeper_->WatchesDisplays());
    QVERIFY(keeper_->WatchesSleep());
    // The keeper's subscription reaches the bus in its own time: resume until it is heard.
    Store(true, 10);
    QDBusConnection logind = QDBusConnection("logind");
    QTRY_VERIFY((SendPrepareForSleep(logind, false), QTest::qWait(20), !fake_.percents.isEmpty()));
    fake_.percents.clear();
}

void TestFilterKeeper::cleanup() {
    const int stopped = fake_.stopped;
    keeper_.reset();
    QCOMPARE(fake_.stopped, stopped + 1);  // the keeper lets go of the watch
    QVERIFY(!fake_.displaysChanged);
    SetGammaBackendForTests(nullptr);
    SettingsStore::CloseSettings();
}

void TestFilterKeeper::cleanupTestCase() {
    QDBusConnection::disconnectFromBus("logind");
}

void TestFilterKeeper::displaysChanged_data() {
    QTest::addColumn<bool>("on");
    QTest::addColumn<int>("percent");
    QTest::addColumn<QList<int>>("ramps");
    QTest::newRow("on: the stored strength again") << true << 30 << QList<int>{30};
    QTest::newRow("on at a custom strength") << true << 47 << QList<int>{47};
    QTest::newRow("off: nothing") << false << 30 << QList<int>{};
}

void TestFilterKeeper::displaysChanged() {
    QFETCH(bool, on);
    QFETCH(int, percent);
    Store(on, percent);
    QVERIFY(fake_.displaysChanged);
    fake_.displaysChanged();
    QTEST(fake_.percents, "ramps");
}

void TestFilterKeeper::resume_data() {
    QTest::addColumn<bool>("on");
    QTest::addColumn<bool>("sleeping");
    QTest::addColumn<bool>("fromLogind");  // or from a peer on the bus without logind's name
    QTest::addColumn<QList<int>>("ramps");
    QTest::newRow("resumed, on") << true << false << true << QList<int>{25};
    QTest::newRow("going to sleep") << true << true << true << QList<int>{};
    QTest::newRow("resumed, off") << false << false << true << QList<int>{};
    QTest::newRow("not logind") << true << false << false << QList<int>{};
}

void TestFilterKeeper::resume() {
    QFETCH(bool, on);
    QFETCH(bool, sleeping);
    QFETCH(bool, fromLogind);
    Store(on, 25);
    QDBusConnection logind("logind");
    QDBusConnection peer = QDBusConnection::connectToBus(bus_.Address(), "peer");
    const int heard = listener_.heard;
    QVERIFY(SendPrepareForSleep(fromLogind ? logind : peer, sleeping));
    // Then one the keeper ignores: once it is heard, the one before has had its turn.
    QVERIFY(SendPrepareForSleep(peer, false));
    QTRY_COMPARE(listener_.heard, heard + 2);
    QCoreApplication::processEvents();
    QTEST(fake_.percents, "ramps");
    QDBusConnection::disconnectFromBus("peer");
}

// Where nothing can be listened to, the keeper listens to nothing and the program goes on.
void TestFilterKeeper::noDisplayNoTrouble() {
    keeper_.reset();
    SetGammaBackendForTests(nullptr);
    qputenv("DISPLAY", ":999");
    FilterKeeper keeper;
    QVERIFY(!keeper.WatchesDisplays());
    SetGammaBackendForTests(&fake_);
    keeper_ = std::make_unique<FilterKeeper>();  // for cleanup's checks
}

QTEST_GUILESS_MAIN(TestFilterKeeper)
#include "tst_filter_keeper.moc"
