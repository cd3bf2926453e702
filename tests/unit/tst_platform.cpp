#include <QTest>

#include "platform/platform.h"

Q_DECLARE_METATYPE(platform::Kind)

class TestPlatform : public QObject {
    Q_OBJECT

  private slots:
    void choice_data();
    void choice();
};

void TestPlatform::choice_data() {
    QTest::addColumn<QString>("platformName");
    QTest::addColumn<QString>("sessionType");
    QTest::addColumn<platform::Kind>("kind");
    using platform::Kind;
    QTest::newRow("X11 session") << "xcb"
                                 << "x11" << Kind::X11;
    // Started by hand, from a console or a script: an X server all the same.
    QTest::newRow("xcb, no session type") << "xcb"
                                          << "" << Kind::X11;
    QTest::newRow("xcb in a tty session") << "xcb"
                                          << "tty" << Kind::X11;
    // XWayland: windows work, ramps do not reach the screen.
    QTest::newRow("xcb in a Wayland session") << "xcb"
                                              << "wayland" << Kind::XWayland;
    QTest::newRow("xcb, session type in capitals") << "xcb"
                                                   << "Wayland" << Kind::XWayland;
    QTest::newRow("native Wayland") << "wayland"
                                    << "wayland" << Kind::Null;
    QTest::newRow("offscreen on an X11 desktop") << "offscreen"
                                                 << "x11" << Kind::Null;
    QTest::newRow("no application yet") << ""
                                        << "x11" << Kind::Null;
}

void TestPlatform::choice() {
    QFETCH(QString, platformName);
    QFETCH(QString, sessionType);
    QFETCH(platform::Kind, kind);
    QCOMPARE(platform::ChooseKind(platformName, sessionType), kind);
}

QTEST_APPLESS_MAIN(TestPlatform)
#include "tst_platform.moc"
