#include <QTest>

#include "platform/platform.h"
#include "platform/x11/stacking.h"
#include "platform/x11/work_area.h"
#include "platform/x11/xsettings.h"

using Strut = std::vector<unsigned long>;

Q_DECLARE_METATYPE(platform::Kind)
Q_DECLARE_METATYPE(Strut)

class TestPlatform : public QObject {
    Q_OBJECT

  private slots:
    void choice_data();
    void choice();
    void struts_data();
    void struts();
    void keptAbove_data();
    void keptAbove();
    void xsettings_data();
    void xsettings();
};

void TestPlatform::choice_data() {
    QTest::addColumn<QString>("platformName");
    QTest::addColumn<QString>("sessionType");
    QTest::addColumn<platform::Kind>("kind");
    using platform::Kind;
    const QString xcb("xcb");
    QTest::newRow("X11 session") << xcb << QString("x11") << Kind::X11;
    // Started from a console or a script: an X server all the same.
    QTest::newRow("no session type") << xcb << QString() << Kind::X11;
    // XWayland: windows work, ramps do not reach the screen.
    QTest::newRow("Wayland session") << xcb << QString("wayland") << Kind::XWayland;
    QTest::newRow("in capitals") << xcb << QString("Wayland") << Kind::XWayland;
    QTest::newRow("native Wayland") << QString("wayland") << QString("wayland") << Kind::Null;
    QTest::newRow("offscreen") << QString("offscreen") << QString("x11") << Kind::Null;
}

void TestPlatform::choice() {
    QFETCH(QString, platformName);
    QFETCH(QString, sessionType);
    QTEST(platform::ChooseKind(platformName, sessionType), "kind");
}

// Two monitors of 1920 x 1080 side by side; a strut is reserved along the root window's edges.
void TestPlatform::struts_data() {
    QTest::addColumn<QRect>("monitor");
    QTest::addColumn<Strut>("strut");
    QTest::addColumn<QRect>("area");
    const QRect left(0, 0, 1920, 1080), right(1920, 0, 1920, 1080);
    // left, right, top, bottom, then the start and end of each along its edge
    const Strut bottomLeft{0, 0, 0, 40, 0, 0, 0, 0, 0, 0, 0, 1919};
    QTest::newRow("bottom panel, its monitor") << left << bottomLeft << QRect(0, 0, 1920, 1040);
    QTest::newRow("bottom panel, the other monitor") << right << bottomLeft << right;
    QTest::newRow("right panel") << right << Strut{0, 30, 0, 0, 0, 0, 0, 1079, 0, 0, 0, 0}
                                 << QRect(1920, 0, 1890, 1080);
    QTest::newRow("a whole edge, old style")
        << left << Strut{64, 0, 0, 0} << QRect(64, 0, 1856, 1080);
    QTest::newRow("top panel from one column further")
        << left << Strut{0, 0, 24, 0, 0, 0, 0, 0, 1920, 3839, 0, 0} << left;
    QTest::newRow("too few values") << left << Strut{40, 0} << left;
}

void TestPlatform::struts() {
    QFETCH(QRect, monitor);
    QFETCH(Strut, strut);
    x11::SubtractStrut(monitor, strut, QSize(3840, 1080));
    QTEST(monitor, "area");
}

void TestPlatform::keptAbove_data() {
    // The root's children from the bottom up, one letter each: K kept, A ours and allowed above,
    // W another program's window, m an unmapped window or others' menu (it covers nothing).
    QTest::addColumn<QString>("stack");
    QTest::addColumn<QString>("goAbove");  // the window to go right above, or empty
    const char* const rows[][3] = {
        {"on top already", "WmKK", ""},
        {"others' menus above stay", "WKKm", ""},
        {"a window raised over them", "KKW", "W"},
        {"one of them left below", "KWK", "W"},
        {"our question above them", "WKKA", ""},
        {"our question caught under them", "WAKK", "W"},
        {"our frame buried under another window", "AKKW", "W"},
        {"no other window", "mKK", ""},
    };
    for (const auto& row : rows) QTest::newRow(row[0]) << QString(row[1]) << QString(row[2]);
}

void TestPlatform::keptAbove() {
    QFETCH(QString, stack);
    QFETCH(QString, goAbove);
    std::vector<x11::Stacked> windows;
    for (qsizetype i = 0; i < stack.size(); ++i) {
        const QChar c = stack[i];
        windows.push_back(
            {static_cast<unsigned long>(c.unicode()), c == 'K', c == 'A', c == 'W' || c == 'A'});
    }
    const std::optional<unsigned long> sibling = x11::SiblingToGoAbove(windows);
    QCOMPARE(sibling ? QString(QChar(static_cast<char16_t>(*sibling))) : QString(), goAbove);
}

void TestPlatform::xsettings_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("read");
    // Little-endian, serial 7, three settings: the sound theme "ocean", a colour, sounds off.
    const QByteArray desktop = QByteArray::fromHex(
        "000000000700000003000000010012004e65742f536f756e645468656d654e616d6500000300000005000000"
        "6f6365616e00000002000a0047746b2f436f6c6f75720000030000000100020003000400000015004e65742f"
        "456e61626c654576656e74536f756e64730000000300000000000000");
    QTest::newRow("all") << desktop << "Net/EnableEventSounds=0 Net/SoundThemeName=ocean";
    QTest::newRow("cut in the last") << desktop.left(114) << "Net/SoundThemeName=ocean";
    QTest::newRow("a name longer than the data")
        << QByteArray(desktop).replace(14, 1, "\xff") << "";
    QTest::newRow("big-endian, said wrong") << QByteArray(desktop).replace(0, 1, "\x01") << "";
}

void TestPlatform::xsettings() {
    QFETCH(QByteArray, data);
    QStringList read;
    const QHash<QByteArray, QVariant> settings = x11::ParseXSettings(data);
    for (auto it = settings.begin(); it != settings.end(); ++it)
        read << it.key() + '=' + it.value().toString();
    read.sort();
    QTEST(read.join(' '), "read");
}

QTEST_APPLESS_MAIN(TestPlatform)
#include "tst_platform.moc"
