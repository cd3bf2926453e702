#include <QtTest>

#include "tests/gui/skin_fixture.h"
#include "ui/controls.h"

using namespace ui;

namespace {

// The drink layouts of the embedded package, built as their hosts show them: their controls
// where the windows expect them. (tst_skin_content checks the pictures of every layout.)

// A layout of the embedded package built as its host shows it.
class Page : public RecordingWindow {
  public:
    Page(const QString& layout, QSize size) : RecordingWindow(layout) {
        created = Create(nullptr);
        if (!size.isEmpty()) {
            setMinimumSize(0, 0);
            setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
            resize(size.grownBy(ShadowMargins()));
        }
    }
    template <class T = Control>
    T* Get(const QString& name) const {
        return qobject_cast<T*>(FindControl(name));
    }
    bool created = false;
};

const QSize kPopupContent(280, 334);
const QSize kMainPage(350, 424);

}  // namespace

class TestSkinLayouts : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { SkinPackage::Install(SkinPackage::Embedded()); }

    void drinkControls_data() {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("rect");  // in window coordinates
        QTest::addColumn<bool>("visible");

        const QString set = "DrinkWater.xml";
        QTest::newRow("reminder switch")
            << set << "check_remind_ontime_drk" << QRect(90, 32, 48, 20) << true;
        QTest::newRow("drink sound")
            << set << "check_drink_sound" << QRect(234, 32, 48, 20) << true;
        QTest::newRow("reminder sound")
            << set << "check_remind_sound_drk" << QRect(92, 73, 48, 20) << true;
        QTest::newRow("daily target") << set << "edit_target_day" << QRect(91, 123, 90, 28) << true;
        QTest::newRow("one drink") << set << "edit_target_once" << QRect(91, 162, 90, 28) << true;
        QTest::newRow("hours") << set << "combo_remind_hour_drk" << QRect(20, 249, 48, 28) << true;
        QTest::newRow("minutes") << set << "combo_remind_minute_drk" << QRect(120, 249, 48, 28)
                                 << true;
        QTest::newRow("next time")
            << set << "label_remind_time_drk" << QRect(123, 298, 50, 14) << true;

        struct Place {
            const char* name;
            QRect small, large;
            bool visible;
        };
        const Place panel[] = {
            {"label_target_tips", {80, 26, 135, 14}, {106, 26, 200, 14}, true},
            {"label_drink_size", {80, 56, 70, 22}, {128, 56, 70, 24}, true},
            {"edit_target_once", {26, 138, 38, 20}, {45, 180, 38, 24}, true},
            {"btn_modify", {64, 140, 16, 16}, {83, 184, 16, 16}, true},
            {"gif_drink", {96, 101, 116, 122}, {119, 123, 144, 152}, true},
            {"container_drink_button", {99, 253, 86, 60}, {133, 305, 86, 60}, true},
            {"btn_drink_imm", {99, 253, 86, 32}, {133, 305, 86, 32}, true},
            {"btn_drink_no", {117, 298, 48, 16}, {151, 350, 48, 16}, true},
            {"container_drink_over", {0, 226, 280, 80}, {0, 278, 350, 80}, false},
            {"label_second", {100, 232, 10, 14}, {134, 284, 10, 14}, true},
            // Full width and centred in both: the longest tip is wider than the small panel's
            // 205 pixels at 45,32.
            {"label_message", {0, 258, 280, 14}, {0, 310, 350, 14}, true},
            {"btn_drink_achieve", {115, 286, 50, 16}, {145, 338, 58, 16}, true},
        };
        for (const Place& p : panel) {
            QTest::newRow(qPrintable(QStringLiteral("small %1").arg(p.name)))
                << "DrinkWaterShow.xml" << p.name << p.small << p.visible;
            QTest::newRow(qPrintable(QStringLiteral("large %1").arg(p.name)))
                << "DrinkWaterShow_large.xml" << p.name << p.large << p.visible;
        }
    }

    void drinkControls() {
        QFETCH(QString, layout);
        QFETCH(QString, name);
        QFETCH(QRect, rect);
        QFETCH(bool, visible);
        Page page(layout, layout.startsWith("DrinkWaterShow.") ? kPopupContent : kMainPage);
        QVERIFY2(page.created, qPrintable(page.ErrorText()));
        const Control* c = page.Get(name);
        QVERIFY2(c, qPrintable(name));
        QCOMPARE(QRect(c->mapTo(&page, QPoint(0, 0)), c->size()), rect);
        QCOMPARE(c->IsVisibleFlag(), visible);
    }

    void intervalCombosListTheirSteps_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("hours") << "combo_remind_hour_drk"
                               << QStringList{"0", "1", "2", "3", "4", "5", "6"};
        QStringList minutes;
        for (int m = 0; m < 60; m += 5) minutes << QString::number(m);
        QTest::newRow("minutes") << "combo_remind_minute_drk" << minutes;
    }

    void intervalCombosListTheirSteps() {
        QFETCH(QString, name);
        QFETCH(QStringList, items);
        Page page("DrinkWater.xml", kMainPage);
        auto* combo = page.Get<Combo>(name);
        QVERIFY(combo);
        QStringList listed;
        for (int i = 0; i < combo->GetCount(); ++i) listed << combo->GetItemAt(i)->Text();
        QCOMPARE(listed, items);
    }

    // The amount edits take digits only; the panel's is disabled until the pencil is clicked;
    // the glass waits, on its first frame, to be played.
    void drinkInputsAndGlass_data() {
        QTest::addColumn<QString>("layout");
        QTest::newRow("settings page") << "DrinkWater.xml";
        QTest::newRow("popup panel") << "DrinkWaterShow.xml";
        QTest::newRow("main window panel") << "DrinkWaterShow_large.xml";
    }

    void drinkInputsAndGlass() {
        QFETCH(QString, layout);
        Page page(layout, kMainPage);
        const bool panel = layout.startsWith("DrinkWaterShow");
        for (const char* name : {"edit_target_day", "edit_target_once"}) {
            auto* edit = page.Get<Edit>(name);
            if (!edit) {
                QVERIFY(panel);  // the panel has only the amount
                continue;
            }
            QVERIFY(edit->IsNumberOnly());
            QCOMPARE(edit->isEnabled(), !panel);
        }
        if (!panel) return;
        auto* gif = page.Get<GifAnim>("gif_drink");
        QVERIFY(gif);
        QVERIFY(gif->FrameCount() > 1);
        QVERIFY(!gif->IsPlaying());
        QCOMPARE(gif->CurrentFrame(), 0);
    }
};

QTEST_MAIN(TestSkinLayouts)
#include "tst_skin_layouts.moc"
