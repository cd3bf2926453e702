#include <QtTest>

#include "tests/gui/skin_fixture.h"
#include "ui/control.h"
#include "ui/wnd_host.h"

using namespace ui;

namespace {

const QByteArray kLayout =
    R"(<Window size="300,200" mininfo="300,200" maxinfo="300,200" caption="10,0,20,30" shadowimage="shadow.png" shadowcorner="8,8,8,8">
  <Font id="0" name="微软雅黑" size="12" default="true"/>
  <VerticalLayout name="root" inset="5,5,5,5" childpadding="4">
    <HorizontalLayout name="header" height="30" childpadding="2">
      <Label name="title" width="60"/>
      <Button name="btn" width="20"/>
      <Text name="text" width="30"/>
      <Control name="spacer"/>
      <Option name="opt" width="20"/>
      <CheckBox name="check" width="20"/>
    </HorizontalLayout>
    <HorizontalLayout name="row" padding="3,2,3,2" inset="1,1,1,1">
      <Control name="left" width="50"/>
      <Control name="hidden" width="40" visible="false"/>
      <Control name="a"/>
      <Control name="b" padding="4,0,4,0"/>
    </HorizontalLayout>
    <Control name="bottom" height="40" width="100"/>
    <Label name="floating" float="true" pos="250,150,290,190"/>
  </VerticalLayout>
</Window>)";

// A window created on the heap that frees itself when closed and clears its tracker.
class SelfDeletingWindow : public RecordingWindow {
  public:
    static inline SelfDeletingWindow* instance = nullptr;
    SelfDeletingWindow() : RecordingWindow("layout.xml") { instance = this; }
    void OnFinalMessage() override {
        instance = nullptr;
        delete this;
    }
};

// Makes an empty page host for each custom tag, as the program's windows do.
class HostingWindow : public RecordingWindow {
  public:
    using RecordingWindow::RecordingWindow;
    Control* CreateControl(const QString& tag) override {
        if (!tag.startsWith("Wnd") && tag != "ChildWndControl") return nullptr;
        auto* host = new CWndUI;
        if (tag == "ChildWndControl") host->setObjectName("content");
        return host;
    }
};

}  // namespace

class TestWindowBase : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void geometry();
    void hiddenChildFreesItsSpace();
    void captionHitTest_data();
    void captionHitTest();
    void windowInitOnceFromEventLoop();
    void malformedLayoutBuildsNothing();
    void timersStopWhenWindowCloses();
    void modalResultWhileOtherTimersTick();
    void selfDeletingWindowClearsTracker();
    void memberWindowSurvivesClose();
    void sizeLimits();
    void onlyWindowsWithMaximiseButtonMaximise_data();
    void onlyWindowsWithMaximiseButtonMaximise();
    void layoutFontIsTheCjkFont();
    void shellLayouts_data();
    void damagedLayoutsNeverCrash();
    void shellLayouts();

  private:
    SkinFixture skin_;
};

void TestWindowBase::initTestCase() {
    skin_.Write("layout.xml", kLayout);
    skin_.Write("broken.xml", "<Window><VerticalLayout>");
    skin_.Install();
}

void TestWindowBase::geometry() {
    RecordingWindow w("LAYOUT.XML");  // found whatever the case
    QVERIFY2(w.Create(nullptr), qPrintable(w.ErrorText()));
    auto rect = [&](const char* name) { return w.FindControl(name)->geometry(); };
    QCOMPARE(rect("root"), QRect(0, 0, 300, 200));
    QCOMPARE(rect("header"), QRect(5, 5, 290, 30));
    QCOMPARE(rect("title"), QRect(0, 0, 60, 30));
    QCOMPARE(rect("btn"), QRect(62, 0, 20, 30));
    // 290 - (60+20+30+20+20) - 5 paddings of 2 = 130 for the spacer.
    QCOMPARE(rect("spacer"), QRect(116, 0, 130, 30));
    QCOMPARE(rect("check"), QRect(270, 0, 20, 30));
    // Row shares the height left: 190 - 30 - 40 - 2*4 - padding 2+2 = 108.
    QCOMPARE(rect("row"), QRect(8, 41, 284, 108));
    QCOMPARE(rect("left"), QRect(1, 1, 50, 106));
    // 282 inner - 50 - 8 (b's padding) = 224 shared by a and b.
    QCOMPARE(rect("a"), QRect(51, 1, 112, 106));
    QCOMPARE(rect("b"), QRect(167, 1, 112, 106));
    QCOMPARE(rect("bottom"), QRect(5, 155, 100, 40));
    QCOMPARE(rect("floating"), QRect(250, 150, 40, 40));  // pos is relative to the parent
}

void TestWindowBase::hiddenChildFreesItsSpace() {
    RecordingWindow w("layout.xml");
    QVERIFY(w.Create(nullptr));
    Control* hidden = w.FindControl("hidden");
    hidden->setVisible(true);
    QCOMPARE(w.FindControl("hidden")->geometry(), QRect(51, 1, 40, 106));
    QCOMPARE(w.FindControl("a")->geometry(), QRect(91, 1, 92, 106));
    hidden->setVisible(false);
    QCOMPARE(w.FindControl("a")->geometry(), QRect(51, 1, 112, 106));
}

void TestWindowBase::captionHitTest_data() {
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<bool>("caption");
    QTest::newRow("label") << QPoint(20, 10) << true;
    QTest::newRow("button") << QPoint(70, 10) << false;
    QTest::newRow("text") << QPoint(90, 10) << false;
    QTest::newRow("option") << QPoint(255, 10) << false;
    QTest::newRow("check box") << QPoint(277, 10) << false;
    QTest::newRow("spacer") << QPoint(150, 10) << true;
    QTest::newRow("band left inset") << QPoint(9, 10) << false;
    QTest::newRow("band left edge") << QPoint(10, 10) << true;
    QTest::newRow("band right edge") << QPoint(279, 2) << true;
    QTest::newRow("root inset in band") << QPoint(150, 2) << true;
    QTest::newRow("band last row") << QPoint(150, 29) << true;
    QTest::newRow("right inset") << QPoint(280, 2) << false;
    QTest::newRow("below band") << QPoint(150, 30) << false;
}

void TestWindowBase::captionHitTest() {
    QFETCH(QPoint, point);
    QFETCH(bool, caption);
    RecordingWindow w("layout.xml");
    QVERIFY(w.Create(nullptr));
    QCOMPARE(w.CaptionHitTest(point) == HitTest::Caption, caption);
}

void TestWindowBase::windowInitOnceFromEventLoop() {
    RecordingWindow w("layout.xml");
    QVERIFY(w.Create(nullptr));
    QCOMPARE(w.inits, 0);  // not from inside Create: the tree is settled first
    QCoreApplication::processEvents();
    QCOMPARE(w.inits, 1);
    QVERIFY(w.Create(nullptr));  // a second create builds nothing anew
    QCoreApplication::processEvents();
    QCOMPARE(w.inits, 1);
}

void TestWindowBase::malformedLayoutBuildsNothing() {
    for (const char* file : {"broken.xml", "missing.xml"}) {
        RecordingWindow w(file);
        // The trace names the layout, and for a malformed one the line.
        QTest::ignoreMessage(
            QtWarningMsg,
            QRegularExpression(QString("^cannot build a window: %1: (line \\d+|not in)")
                                   .arg(QRegularExpression::escape(file))));
        QVERIFY(!w.Create(nullptr));
        QVERIFY(!w.ErrorText().isEmpty());
        QVERIFY(!w.Root());
        QVERIFY(w.findChildren<Control*>().isEmpty());
        QCoreApplication::processEvents();
        QCOMPARE(w.inits, 0);
    }
}

void TestWindowBase::timersStopWhenWindowCloses() {
    RecordingWindow w("layout.xml");
    QVERIFY(w.Create(nullptr));
    auto* own = new QTimer(&w);
    own->start(100000);
    w.Close(1);
    QCoreApplication::processEvents();
    QVERIFY(w.IsClosed());
    QVERIFY(!own->isActive());  // gone for good: nothing of it ticks on
}

void TestWindowBase::modalResultWhileOtherTimersTick() {
    RecordingWindow other("layout.xml");
    QVERIFY(other.Create(nullptr));
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&ticks] { ++ticks; });
    tick.start(5);
    RecordingWindow dialog("layout.xml");
    QVERIFY(dialog.Create(&other));
    QTimer::singleShot(60, &dialog, [&] { dialog.Close(2); });
    QCOMPARE(dialog.ShowModal(), 2);
    QVERIFY(ticks >= 3);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.ShowModal(), -1);  // a closed window cannot run again

    RecordingWindow escaped("layout.xml");
    QVERIFY(escaped.Create(&other));
    QTimer::singleShot(10, &escaped, [&] { QTest::keyClick(&escaped, Qt::Key_Escape); });
    QTimer::singleShot(3000, &escaped, [&] { escaped.Close(5); });  // fails fast, not by timeout
    QCOMPARE(escaped.ShowModal(), 0);  // Escape is a "no", never a "yes"
}

void TestWindowBase::selfDeletingWindowClearsTracker() {
    auto* w = new SelfDeletingWindow;
    QPointer<QWidget> guard(w);
    QVERIFY(w->Create(nullptr));
    w->show();
    w->Close(1);
    QCOMPARE(SelfDeletingWindow::instance, w);  // closing is posted, not immediate
    QTRY_VERIFY(!guard);
    QCOMPARE(SelfDeletingWindow::instance, nullptr);
}

void TestWindowBase::memberWindowSurvivesClose() {
    RecordingWindow w("layout.xml");
    QVERIFY(w.Create(nullptr));
    w.show();
    QVERIFY(w.close() == false);  // the window manager's close is a request to the window
    QCoreApplication::processEvents();
    QVERIFY(w.IsClosed());
    QVERIFY(!w.isVisible());
    QVERIFY(w.FindControl("btn"));  // still a whole object
}

void TestWindowBase::sizeLimits() {
    RecordingWindow w("layout.xml");
    QVERIFY(w.Create(nullptr));
    QVERIFY(!w.HasShadow());  // no compositor offscreen: a plain window of the layout's size
    QCOMPARE(w.size(), QSize(300, 200));
    QCOMPARE(w.minimumSize(), QSize(300, 200));
    QCOMPARE(w.maximumSize(), QSize(300, 200));
    w.show();
    w.MaxRestoreToggle();  // bounded by the layout's maximum
    QVERIFY(w.IsZoomed());
    QCOMPARE(w.size(), QSize(300, 200));
    w.MaxRestoreToggle();
    QVERIFY(!w.IsZoomed());
}

void TestWindowBase::onlyWindowsWithMaximiseButtonMaximise_data() {
    QTest::addColumn<QByteArray>("buttons");  // in the caption band, beside the title
    QTest::addColumn<bool>("zooms");
    QTest::newRow("no maximise button") << QByteArray() << false;
    QTest::newRow("maximise and restore buttons")
        << QByteArray(R"(<Button name="btn_show_max" width="20"/>
                         <Button name="btn_show_restore" width="20" visible="false"/>)")
        << true;
}

void TestWindowBase::onlyWindowsWithMaximiseButtonMaximise() {
    QFETCH(QByteArray, buttons);
    QFETCH(bool, zooms);
    skin_.Write("maximise.xml", R"(<Window size="200,100" caption="0,0,0,30">
      <VerticalLayout><HorizontalLayout height="30"><Label name="title"/>)" +
                                    buttons + R"(</HorizontalLayout><Control/></VerticalLayout>
    </Window>)");
    skin_.Install();
    RecordingWindow w("maximise.xml");
    QVERIFY(w.Create(nullptr));
    w.show();
    QCoreApplication::processEvents();
    // A double click on the caption's title, then a maximise request as a window manager sends.
    QTest::mouseDClick(w.FindControl("title"), Qt::LeftButton);
    QCOMPARE(w.IsZoomed(), zooms);
    if (zooms) {
        QVERIFY(!w.FindControl("btn_show_max")->IsVisibleFlag());
        QVERIFY(w.FindControl("btn_show_restore")->IsVisibleFlag());
        return;
    }
    QCOMPARE(w.size(), QSize(200, 100));
    w.OnSystemCommand(SystemCommand::Maximize);
    QVERIFY(!w.IsZoomed());
    w.setWindowState(Qt::WindowMaximized);
    QVERIFY(!(w.windowState() & Qt::WindowMaximized));
}

// The family every layout names is drawn with the installed CJK font, whatever fontconfig
// would pick for an unknown name.
void TestWindowBase::layoutFontIsTheCjkFont() {
    InstallFontSubstitutions();
    RecordingWindow w("layout.xml");
    QVERIFY(w.Create(nullptr));
    const QString family = QFontInfo(w.FindControl("title")->font()).family();
    QVERIFY2(family.contains("CJK") || family.contains("WenQuanYi"), qPrintable(family));
    QCOMPARE(w.FindControl("title")->font().pixelSize(), 12);
}

// The shell's layouts from the embedded package put each control where the windows expect it.
void TestWindowBase::shellLayouts_data() {
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("rect");  // in window coordinates
    QTest::addColumn<bool>("visible");
    const QString main = "main_frame.xml";
    QTest::newRow("title") << main << "container_title" << QRect(0, 0, 150, 26) << true;
    QTest::newRow("back bar") << main << "container_back" << QRect(0, 0, 150, 26) << false;
    QTest::newRow("back") << main << "btn_back" << QRect(10, 6, 20, 20) << true;
    QTest::newRow("back label") << main << "label_back" << QRect(34, 6, 130, 20) << true;
    QTest::newRow("menu") << main << "btn_main_menu" << QRect(278, 4, 20, 20) << true;
    QTest::newRow("min") << main << "btn_show_min" << QRect(302, 4, 20, 20) << true;
    QTest::newRow("close") << main << "btn_wnd_close" << QRect(326, 4, 20, 20) << true;
    QTest::newRow("eye tile") << main << "container_eye_protect" << QRect(20, 38, 152, 185) << true;
    QTest::newRow("eye button") << main << "btn_eyeprotect" << QRect(20, 38, 152, 185) << true;
    QTest::newRow("eye set") << main << "btn_eyeprotect_set" << QRect(132, 44, 36, 20) << false;
    QTest::newRow("drink tile") << main << "container_drink_water" << QRect(178, 38, 152, 185)
                                << true;
    QTest::newRow("drink button") << main << "btn_drink_imm" << QRect(178, 38, 152, 185) << true;
    QTest::newRow("drink set") << main << "btn_drinkwater_set" << QRect(290, 44, 36, 20) << false;
    QTest::newRow("achievement") << main << "btn_achievement" << QRect(290, 76, 36, 20) << false;
    QTest::newRow("relax tile") << main << "container_relax" << QRect(20, 229, 310, 201) << true;
    QTest::newRow("relax button") << main << "btn_relax" << QRect(20, 229, 310, 201) << true;
    QTest::newRow("relax set") << main << "btn_haverelax_set" << QRect(290, 235, 36, 20) << false;
    for (const char* host : {"wnd_eyeprotect", "wnd_drinkwater", "wnd_drinkwater_show",
                             "wnd_drinkwater_achieve", "wnd_haverelax"})
        QTest::newRow(host) << main << host << QRect(0, 26, 350, 424) << false;
    const QString exit = "ConfirmExit.xml";
    QTest::newRow("exit title") << exit << "label_title" << QRect(10, 6, 90, 20) << true;
    QTest::newRow("exit close") << exit << "btn_wnd_close" << QRect(216, 4, 20, 20) << true;
    QTest::newRow("exit yes") << exit << "btn_yes" << QRect(29, 152, 86, 32) << true;
    QTest::newRow("exit no") << exit << "btn_no" << QRect(127, 152, 86, 32) << true;
    const QString frame = "FramePopup.xml";
    QTest::newRow("frame menu") << frame << "btn_main_menu" << QRect(232, 4, 20, 20) << true;
    QTest::newRow("frame close") << frame << "btn_wnd_close" << QRect(256, 4, 20, 20) << true;
    QTest::newRow("frame title") << frame << "label_title" << QRect(10, 6, 90, 20) << true;
    QTest::newRow("frame content") << frame << "content" << QRect(0, 26, 280, 334) << true;
}

void TestWindowBase::shellLayouts() {
    QFETCH(QString, layout);
    QFETCH(QString, name);
    QFETCH(QRect, rect);
    QFETCH(bool, visible);
    SkinPackage::Install(SkinPackage::Embedded());
    HostingWindow w(layout);
    const bool created = w.Create(nullptr);
    skin_.Install();
    QVERIFY2(created, qPrintable(w.ErrorText()));
    const Control* c = w.FindControl(name);
    QVERIFY2(c, qPrintable(name));
    QCOMPARE(QRect(c->mapTo(&w, QPoint(0, 0)), c->size()), rect);
    QCOMPARE(c->IsVisibleFlag(), visible);
}

// Every layout of the package, damaged at random (bytes changed, cut short, attributes given
// nonsense), either builds or reports an error; nothing crashes.
void TestWindowBase::damagedLayoutsNeverCrash() {
    const auto embedded = SkinPackage::Embedded();
    QRandomGenerator random(20261208);
    SkinFixture damaged;
    const QByteArray junk[] = {"-1", "99999999999", "#", "a,b,c,d", "", "file='", "0,0,-5,-5"};
    int built = 0, refused = 0;
    for (const QString& name : embedded->EntryNames()) {
        if (!name.endsWith(".xml")) continue;
        const QByteArray original = embedded->Read(name);
        for (int round = 0; round < 40; ++round) {
            QByteArray xml = original;
            switch (round % 3) {
                case 0:
                    for (int i = 0; i < 4; ++i)
                        xml[random.bounded(int(xml.size()))] = char(random.bounded(256));
                    break;
                case 1:
                    xml.truncate(random.bounded(int(xml.size())));
                    break;
                case 2: {
                    // Replace one attribute value with nonsense.
                    const int quote = int(xml.indexOf('"', random.bounded(int(xml.size()))));
                    const int end = quote < 0 ? -1 : int(xml.indexOf('"', quote + 1));
                    if (end > quote) xml.replace(quote + 1, end - quote - 1, junk[round % 7]);
                    break;
                }
            }
            damaged.Write("damaged.xml", xml);
            damaged.Install();
            RecordingWindow w("damaged.xml");
            if (w.Create(nullptr)) {
                w.grab();  // painting the result must hold up too
                ++built;
            } else {
                QVERIFY(!w.ErrorText().isEmpty());
                QVERIFY(!w.Root());
                ++refused;
            }
        }
    }
    skin_.Install();
    QVERIFY(built > 0 && refused > 0);
}

QTEST_MAIN(TestWindowBase)
#include "tst_window_base.moc"
