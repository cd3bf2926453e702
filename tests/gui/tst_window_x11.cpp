// Windows on a real X server (a private Xvfb): the drop shadow appears exactly when a compositing
// manager announces itself, and a plain window keeps the layout's size.

#include <QApplication>
#include <QtTest>

#include "tests/gui/skin_fixture.h"
#include "tests/support/xvfb_server.h"
#include "ui/control.h"

// Last: Xlib's macros clash with Qt's names.
#include <X11/Xlib.h>

namespace {

const QByteArray kLayout =
    R"(<Window size="300,200" caption="0,0,0,30" shadowimage="shadow.png" shadowcorner="8,9,10,11">
  <VerticalLayout name="root" bkcolor="#FFF7FFFF"><Label name="title" height="30"/></VerticalLayout>
</Window>)";

// Stands in for a compositing manager: owns the _NET_WM_CM_S0 selection while it lives.
class FakeCompositor {
  public:
    FakeCompositor() : display_(XOpenDisplay(nullptr)) {
        if (!display_) return;
        window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1, 1, 0, 0, 0);
        XSetSelectionOwner(display_, XInternAtom(display_, "_NET_WM_CM_S0", False), window_,
                           CurrentTime);
        XSync(display_, False);
    }
    ~FakeCompositor() {
        if (display_) XCloseDisplay(display_);  // the selection goes with the connection
    }
    bool IsRunning() const { return display_ != nullptr; }

  private:
    Display* display_ = nullptr;
    Window window_ = 0;
};

}  // namespace

class TestWindowX11 : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void plainWithoutCompositor();
    void shadowWithCompositor();

  private:
    SkinFixture skin_;
};

void TestWindowX11::initTestCase() {
    QCOMPARE(QGuiApplication::platformName(), QString("xcb"));
    QImage shadow(40, 40, QImage::Format_ARGB32_Premultiplied);
    shadow.fill(QColor(0, 0, 0, 80));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    shadow.save(&buffer, "PNG");
    skin_.Write("shadow.png", png);
    skin_.Write("layout.xml", kLayout);
    skin_.Install();
}

void TestWindowX11::plainWithoutCompositor() {
    RecordingWindow w("layout.xml");
    QVERIFY(w.Create(nullptr));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(!w.HasShadow());
    QCOMPARE(w.size(), QSize(300, 200));
    QCOMPARE(w.ClientRect(), QRect(0, 0, 300, 200));
    QVERIFY(w.windowFlags() & Qt::FramelessWindowHint);
}

void TestWindowX11::shadowWithCompositor() {
    FakeCompositor compositor;
    QVERIFY(compositor.IsRunning());
    RecordingWindow w("layout.xml");
    QVERIFY(w.Create(nullptr));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(w.HasShadow());
    QCOMPARE(w.size(), QSize(300 + 8 + 10, 200 + 9 + 11));
    QCOMPARE(w.ClientRect(), QRect(8, 9, 300, 200));
    QCOMPARE(w.FindControl("root")->geometry(), QRect(8, 9, 300, 200));
    // The margin holds the translucent shadow, the client the opaque layout.
    const QImage shot = w.grab().toImage();
    QCOMPARE(qAlpha(shot.pixel(2, 100)), 80);
    QCOMPARE(qAlpha(shot.pixel(150, 100)), 255);
    // Client coordinates do not include the margin: the caption band starts at the client.
    QVERIFY(w.CaptionHitTest(QPoint(5, 5)) == ui::HitTest::Caption);
    QVERIFY(w.CaptionHitTest(QPoint(5, 35)) == ui::HitTest::Client);
}

int main(int argc, char** argv) {
    // Qt connects to the display when the application is made, so the server comes first.
    XvfbServer xvfb;
    QString error;
    if (!xvfb.Start(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    qputenv("DISPLAY", xvfb.Display());
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    TestWindowX11 test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_window_x11.moc"
