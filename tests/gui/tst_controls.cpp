#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>
#include <climits>
#include <cmath>
#include <memory>

#include "ui/controls.h"
#include "ui/skin_package.h"
#include "ui/skin_paint.h"
#include "ui/window_base.h"

using namespace ui;

namespace {

const QByteArray kLayout = R"(<Window size="400,200">
  <Font id="0" name="微软雅黑" size="12" default="true"/>
  <VerticalLayout>
    <HorizontalLayout height="30">
      <Option name="a" group="g" selected="true"/>
      <Option name="b" group="g"/>
      <Option name="c" selected="true" group="g"/>
      <Option name="x" group="h" selected="true"/>
      <Option name="free"/>
      <CheckBox name="check"/>
      <Button name="btn"/>
    </HorizontalLayout>
    <HorizontalLayout height="30">
      <Combo name="combo">
        <ListLabelElement text="zero"/>
        <ListLabelElement text="one"/>
        <ListLabelElement text="two"/>
      </Combo>
      <Combo name="preset">
        <ListLabelElement text="3"/>
        <ListLabelElement text="15" selected="true"/>
        <ListLabelElement text="30" selected="true"/>
      </Combo>
      <Edit name="edit"/>
      <Edit name="digits" numberonly="true"/>
      <Edit name="short" maxchar="3"/>
      <Edit name="locked" readonly="true"/>
    </HorizontalLayout>
    <GifAnim name="gif" bkimage="three.gif" autoplay="false"/>
    <GifAnim name="autogif" bkimage="three.gif"/>
    <GifAnim name="nogif" bkimage="missing.gif"/>
  </VerticalLayout>
</Window>)";

// Three 1×1 frames of 50 ms that ask to loop forever.
QByteArray ThreeFrameGif() {
    QByteArray gif("GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff", 19);
    gif += QByteArray("\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
    for (int i = 0; i < 3; ++i)
        gif += QByteArray(
            "\x21\xf9\x04\x00\x05\x00\x00\x00\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00"
            "\x02\x02\x44\x01\x00",
            23);
    return gif + ';';
}

// Records "signal:sender[:index][:on|off]", the option state as the handler sees it.
class Window : public WindowBase {
  public:
    QString LayoutFile() const override { return QStringLiteral("controls.xml"); }
    template <class T>
    T* Get(const char* name) const {
        return qobject_cast<T*>(FindControl(QString::fromLatin1(name)));
    }
    QStringList log;

  protected:
    void OnInit() override {
        for (Control* c : Root()->findChildren<Control*>()) {
            const QString name = c->Name();
            auto* option = qobject_cast<Option*>(c);
            const auto state = [option] {
                return option ? QString(option->IsSelected() ? ":on" : ":off") : QString();
            };
            if (auto* b = qobject_cast<Button*>(c))
                connect(b, &Button::clicked, this, [=, this] { log << "click:" + name + state(); });
            if (option)
                connect(option, &Option::toggled, this,
                        [=, this] { log << "toggled:" + name + state(); });
            if (auto* combo = qobject_cast<Combo*>(c))
                connect(combo, &Combo::currentIndexChanged, this,
                        [=, this](int i) { log << QString("itemselect:%1:%2").arg(name).arg(i); });
            if (auto* edit = qobject_cast<Edit*>(c)) {
                connect(edit, &Edit::textEdited, this, [=, this] { log << "textchanged:" + name; });
                connect(edit, &Edit::focusLost, this, [=, this] { log << "killfocus:" + name; });
            }
        }
    }
};

bool ShowActive(Window& w) {
    w.show();
    QApplication::setActiveWindow(&w);
    return QTest::qWaitForWindowActive(&w);
}

}  // namespace

class TestControls : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { w_.reset(); }

    void initTestCase() {
        for (const auto& [name, bytes] :
             {std::pair{"controls.xml", kLayout}, {"three.gif", ThreeFrameGif()}}) {
            QFile f(dir_.filePath(QString::fromLatin1(name)));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        }
        SkinPackage::Install(SkinPackage::FromFolder(dir_.path()));
    }

    void init() {
        w_ = std::make_unique<Window>();
        QVERIFY(w_->Create(nullptr));
        QCoreApplication::processEvents();  // OnInit
    }

    void optionGroups() {
        auto selected = [](const Window& w) {
            QString on;
            for (const char* name : {"a", "b", "c", "x"})
                if (w.Get<Option>(name)->IsSelected()) on += QLatin1String(name);
            return on;
        };
        // The later selected="true" wins (written before its group); group h is apart.
        QCOMPARE(selected(*w_), QString("cx"));
        // A page hosted inside the window: its options are among the window's children.
        Window page;
        QVERIFY(page.CreateChild(w_.get()));
        QTest::mouseClick(page.Get<Option>("b"), Qt::LeftButton);
        QCOMPARE(selected(page), QString("bx"));
        QCOMPARE(selected(*w_), QString("cx"));
        QTest::mouseClick(w_->Get<Option>("b"), Qt::LeftButton);
        QCOMPARE(selected(*w_), QString("bx"));
        QCOMPARE(selected(page), QString("bx"));
        QCOMPARE(w_->log, QStringList({"click:b:off", "toggled:c:off", "toggled:b:on"}));
    }

    void clickSeesOldState_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("before");
        QTest::addColumn<QStringList>("log");
        QTest::newRow("checkbox on")
            << "check" << false << QStringList{"click:check:off", "toggled:check:on"};
        QTest::newRow("checkbox off")
            << "check" << true << QStringList{"click:check:on", "toggled:check:off"};
        QTest::newRow("ungrouped option")
            << "free" << false << QStringList{"click:free:off", "toggled:free:on"};
        QTest::newRow("grouped stays selected") << "c" << true << QStringList{"click:c:on"};
    }

    void clickSeesOldState() {
        QFETCH(QString, name);
        QFETCH(bool, before);
        auto* option = w_->Get<Option>(qPrintable(name));
        option->Selected(before);
        w_->log.clear();
        QTest::mouseClick(option, Qt::LeftButton);
        QTEST(w_->log, "log");
    }

    void buttonClick() {
        auto* button = w_->Get<Button>("btn");
        auto clicks = [&] { return int(w_->log.count("click:btn")); };
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(clicks(), 1);
        QTest::mousePress(button, Qt::LeftButton);
        QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(-5, -5));  // let go outside
        QCOMPARE(clicks(), 1);
        QTest::keyClick(button, Qt::Key_Space);
        QCOMPARE(clicks(), 2);
        button->setEnabled(false);
        QTest::mouseClick(button, Qt::LeftButton);
        button->Activate();
        QCOMPARE(clicks(), 2);
    }

    void comboItemSelect() {
        auto* combo = w_->Get<Combo>("combo");
        QCOMPARE(combo->GetItemAt(2)->Text(), QString("two"));
        QCOMPARE(combo->GetCurSel(), -1);
        if (ShowActive(*w_)) {
            w_->Get<Edit>("edit")->SetFocusToEdit();
            QTRY_VERIFY(w_->Get<Edit>("edit")->LineEdit()->hasFocus());
        }
        QVERIFY(!combo->GetItemAt(0)->isVisible());
        QVERIFY(combo->SelectItem(1));
        QVERIFY(combo->SelectItem(1));  // again: nothing sent
        QVERIFY(!combo->SelectItem(3) && !combo->SelectItem(-1));
        QCOMPARE(combo->GetCurSel(), 1);
        QCOMPARE(w_->log, QStringList{"itemselect:combo:1"});
        if (w_->isActiveWindow()) QVERIFY(w_->Get<Edit>("edit")->LineEdit()->hasFocus());

        QTest::keyClick(combo, Qt::Key_Down);
        QTest::keyClick(combo, Qt::Key_Down);  // already the last
        QTest::mouseClick(combo, Qt::LeftButton);
        QVERIFY(combo->IsDropDownOpen());
        QTest::mouseClick(QApplication::activePopupWidget(), Qt::LeftButton, {}, QPoint(10, 36));
        QVERIFY(!combo->IsDropDownOpen());
        QCOMPARE(w_->log.filter("itemselect"),
                 QStringList({"itemselect:combo:1", "itemselect:combo:2", "itemselect:combo:1"}));
    }

    // The layout's choice is shown from the start, without a notification for it.
    void comboSelectedInLayout() {
        QCOMPARE(w_->Get<Combo>("preset")->GetCurSel(), 1);
        QCOMPARE(w_->log.filter("itemselect:preset").size(), 0);
    }

    void editTextChanged() {
        auto* edit = w_->Get<Edit>("edit");
        QTest::keyClicks(edit->LineEdit(), "ab");
        QTest::keyClick(edit->LineEdit(), Qt::Key_Backspace);
        QCOMPARE(edit->Text(), QString("a"));
        edit->SetText("xyz");
        QCOMPARE(edit->Text(), QString("xyz"));
        QCOMPARE(edit->LineEdit()->text(), QString("xyz"));
        QCOMPARE(w_->log, QStringList(3, "textchanged:edit"));
    }

    void editInputRules_data() {
        QTest::addColumn<QStringList>("nameTypedText");
        QTest::newRow("number only") << QStringList{"digits", "a1-b2", "12"};
        QTest::newRow("max char") << QStringList{"short", "abcdef", "abc"};
        QTest::newRow("read only") << QStringList{"locked", "abc", ""};
    }

    void editInputRules() {
        QFETCH(QStringList, nameTypedText);
        auto* edit = w_->Get<Edit>(qPrintable(nameTypedText[0]));
        QTest::keyClicks(edit->LineEdit(), nameTypedText[1]);
        QCOMPARE(edit->Text(), nameTypedText[2]);
        edit->SetText("98765");
        edit->SetMaxChar(2);  // cuts what is there
        QCOMPARE(edit->Text(), QString("98"));
    }

    // A paste that does not fit is refused whole, never cut; leading zeros go once the user
    // leaves the field; a number wider than its field is drawn smaller rather than cut.
    void editWholeValues() {
        auto* digits = w_->Get<Edit>("digits");
        digits->SetMaxChar(5);
        digits->LineEdit()->insert("123456");
        QCOMPARE(digits->Text(), QString());
        digits->LineEdit()->insert("00120");
        QCOMPARE(digits->Text(), QString("00120"));
        if (ShowActive(*w_)) {
            digits->SetFocusToEdit();
            QTRY_VERIFY(digits->LineEdit()->hasFocus());
            w_->Get<Edit>("edit")->SetFocusToEdit();
            QTRY_COMPARE(digits->Text(), QString("120"));
        }
        QFont font;
        font.setPixelSize(14);
        const QFont fitted = FittedFont(font, "/10958", 40);
        QVERIFY(fitted.pixelSize() < 14 && fitted.pixelSize() >= kSmallestFittedPx);
        QVERIFY(QFontMetrics(fitted).horizontalAdvance("/10958") <= 40);
        QCOMPARE(FittedFont(font, "/365", 40).pixelSize(), 14);
    }

    void editKillFocus() {
        if (!ShowActive(*w_)) QSKIP("no active window on this platform: focus cannot move");
        w_->Get<Edit>("edit")->SetFocusToEdit();
        QTRY_VERIFY(w_->Get<Edit>("edit")->LineEdit()->hasFocus());
        QVERIFY(w_->log.isEmpty());
        w_->Get<Edit>("digits")->SetFocusToEdit();
        QTRY_COMPARE(w_->log, QStringList{"killfocus:edit"});
    }

    void controlInt_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("plain") << "42" << 42;
        QTest::newRow("leading space") << " 7" << 7;
        QTest::newRow("negative") << "-3" << -3;
        QTest::newRow("trailing letters") << "12abc" << 12;
        QTest::newRow("letters") << "abc" << 0;
        QTest::newRow("sign only") << "-" << 0;
        QTest::newRow("too big") << "99999999999" << INT_MAX;
        QTest::newRow("too small") << "-99999999999" << INT_MIN;
    }

    void controlInt() {
        QFETCH(QString, text);
        Label label;
        label.SetText(text);
        QTEST(GetControlInt(&label), "value");
        QFETCH(int, value);
        SetControlInt(&label, value);
        QCOMPARE(GetControlInt(&label), value);
        QCOMPARE(GetControlInt(nullptr), 0);
    }

    void progress_data() {
        QTest::addColumn<QList<int>>("rangeAndValue");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("filled");  // pixels of 100
        QTest::newRow("inside") << QList<int>{0, 200, 50} << 50 << 25;
        QTest::newRow("above max") << QList<int>{0, 100, 150} << 100 << 100;
        QTest::newRow("below min") << QList<int>{10, 20, 5} << 10 << 0;
        QTest::newRow("max = min") << QList<int>{5, 5, 7} << 5 << 0;
        QTest::newRow("max < min") << QList<int>{10, 0, 5} << 10 << 0;
    }

    void progress() {
        QFETCH(QList<int>, rangeAndValue);
        Progress bar;
        bar.resize(100, 10);
        bar.SetAttribute("fgcolor", "#FF0000");
        bar.SetRange(rangeAndValue[0], rangeAndValue[1]);
        bar.SetValue(rangeAndValue[2]);
        QTEST(bar.Value(), "value");
        const QImage image = bar.grab().toImage();
        int red = 0;
        for (int x = 0; x < image.width(); ++x) red += image.pixel(x, 5) == qRgb(255, 0, 0);
        QTEST(red, "filled");
    }

    void circleProgress_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<double>("degrees");  // clockwise from twelve o'clock
        QTest::addColumn<bool>("arc");
        QTest::newRow("25: 45°") << 25 << 45.0 << true;
        QTest::newRow("25: 135°") << 25 << 135.0 << false;
        QTest::newRow("25: 315°, not anticlockwise") << 25 << 315.0 << false;
        QTest::newRow("0: no arc") << 0 << 0.0 << false;
        QTest::newRow("100: full") << 100 << 200.0 << true;
    }

    void circleProgress() {
        QFETCH(int, value);
        QFETCH(double, degrees);
        CircleProgress ring;
        ring.resize(120, 100);
        for (const auto& [name, v] :
             {std::pair{"fgcolor", "#FF0000"}, {"bgcolor", "#0000FF"}, {"circlewidth", "10"}})
            ring.SetAttribute(name, v);
        ring.SetValue(value);
        // The ring's centre line: radius (100 - 10) / 2 around the centre.
        const double a = qDegreesToRadians(degrees);
        const QPoint p(qRound(60 + 45 * std::sin(a)), qRound(50 - 45 * std::cos(a)));
        const QRgb pixel = ring.grab().toImage().pixel(p);
        QFETCH(bool, arc);
        QCOMPARE(qRed(pixel) > 200 && qBlue(pixel) < 60, arc);
        QCOMPARE(qBlue(pixel) > 200 && qRed(pixel) < 60, !arc);
    }

    void gifPlaysOnce() {
        QVERIFY(w_->Get<GifAnim>("autogif")->IsPlaying());
        auto* gif = w_->Get<GifAnim>("gif");
        QCOMPARE(gif->FrameCount(), 3);
        QVERIFY(!gif->IsPlaying());
        gif->PlayGif();
        QVERIFY(gif->IsPlaying());
        QTRY_VERIFY_WITH_TIMEOUT(!gif->IsPlaying(), 3000);
        QCOMPARE(gif->CurrentFrame(), 2);
        QTest::qWait(200);  // the file asks to loop: it must not
        QVERIFY(!gif->IsPlaying());
        QCOMPARE(gif->CurrentFrame(), 2);
        gif->StopGif();
        QVERIFY(gif->CurrentFrame() == 0 && !gif->IsPlaying());

        auto* missing = w_->Get<GifAnim>("nogif");
        missing->PlayGif();
        QVERIFY(!missing->IsPlaying() && missing->FrameCount() == 0);
        QVERIFY(!missing->grab().isNull());
    }

  private:
    QTemporaryDir dir_;
    std::unique_ptr<Window> w_;
};

QTEST_MAIN(TestControls)
#include "tst_controls.moc"
