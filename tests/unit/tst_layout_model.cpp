#include <QtTest>

#include "ui/layout_model.h"
#include "ui/skin_package.h"

using namespace ui;

class TestLayoutModel : public QObject {
    Q_OBJECT

  private slots:
    void values_data();
    void values();
    void image_data();
    void image();
    void attributeString();
    void parse();
    void malformed_data();
    void malformed();
    void windowSettings();
    void embeddedPackage();
    void folderPackage();
};

// Each value parser against good and bad input: a bad value must give no value, never a
// half-parsed one.
void TestLayoutModel::values_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");  // empty: no value
    QTest::newRow("edges") << "edges"
                           << "10,6,30,26"
                           << "10 6 30 26";
    QTest::newRow("edges spaces") << "edges"
                                  << " 1, 2 ,3,4 "
                                  << "1 2 3 4";
    QTest::newRow("edges negative") << "edges"
                                    << "-96,0,0,10"
                                    << "-96 0 0 10";
    QTest::newRow("edges three") << "edges"
                                 << "1,2,3"
                                 << "";
    QTest::newRow("edges five") << "edges"
                                << "1,2,3,4,5"
                                << "";
    QTest::newRow("edges word") << "edges"
                                << "1,2,x,4"
                                << "";
    QTest::newRow("edges empty") << "edges"
                                 << ""
                                 << "";
    QTest::newRow("size") << "size"
                          << "350,450"
                          << "350 450";
    QTest::newRow("size negative") << "size"
                                   << "-1,450"
                                   << "";
    QTest::newRow("size one") << "size"
                              << "350"
                              << "";
    QTest::newRow("colour argb") << "color"
                                 << "#FFF7FFFF"
                                 << "ff f7 ff ff";
    QTest::newRow("colour translucent") << "color"
                                        << "#80102030"
                                        << "80 10 20 30";
    QTest::newRow("colour rgb") << "color"
                                << "#303030"
                                << "ff 30 30 30";
    QTest::newRow("colour no hash") << "color"
                                    << "FF959CA1"
                                    << "ff 95 9c a1";
    QTest::newRow("colour short") << "color"
                                  << "#FFF"
                                  << "";
    QTest::newRow("colour bad digit") << "color"
                                      << "#FFG7FFFF"
                                      << "";
    QTest::newRow("colour long") << "color"
                                 << "#FFF7FFFF00"
                                 << "";
    QTest::newRow("bool true") << "bool"
                               << "true"
                               << "1";
    QTest::newRow("bool false") << "bool"
                                << "false"
                                << "0";
    QTest::newRow("bool other") << "bool"
                                << "yes"
                                << "";
    QTest::newRow("int") << "int"
                         << " 42 "
                         << "42";
    QTest::newRow("int bad") << "int"
                             << "4x"
                             << "";
    QTest::newRow("int overflow") << "int"
                                  << "99999999999"
                                  << "";
}

void TestLayoutModel::values() {
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QString got;
    if (kind == "edges") {
        if (auto e = ParseEdges(text))
            got = QString("%1 %2 %3 %4").arg(e->left).arg(e->top).arg(e->right).arg(e->bottom);
    } else if (kind == "size") {
        if (auto s = ParseSize(text)) got = QString("%1 %2").arg(s->width()).arg(s->height());
    } else if (kind == "color") {
        if (auto c = ParseColor(text))
            got = QString::asprintf("%02x %02x %02x %02x", c->alpha(), c->red(), c->green(),
                                    c->blue());
    } else if (kind == "bool") {
        if (auto b = ParseBool(text)) got = *b ? "1" : "0";
    } else if (kind == "int") {
        if (auto i = ParseInt(text)) got = QString::number(*i);
    }
    QCOMPARE(got, expected);
}

void TestLayoutModel::image_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QRect>("source");  // null: none
    QTest::addColumn<QRect>("dest");
    QTest::addColumn<int>("cornerLeft");
    QTest::addColumn<int>("fade");
    QTest::newRow("bare") << "btn_close.png"
                          << "btn_close.png" << QRect() << QRect() << 0 << 255;
    QTest::newRow("strip") << "file='btn_close.png' source='20,0,40,20'"
                           << "btn_close.png" << QRect(20, 0, 20, 20) << QRect() << 0 << 255;
    QTest::newRow("dest") << "file='label_wave.png' dest='0,346,350,450'"
                          << "label_wave.png" << QRect() << QRect(0, 346, 350, 104) << 0 << 255;
    QTest::newRow("all")
        << "file='a.png' source='0,0,10,10' dest='1,2,11,12' corner='3,3,3,3' fade='128'"
        << "a.png" << QRect(0, 0, 10, 10) << QRect(1, 2, 10, 10) << 3 << 128;
    QTest::newRow("double quotes") << "file=\"a.png\" fade=\"300\""
                                   << "a.png" << QRect() << QRect() << 0 << 255;
    QTest::newRow("unknown key kept") << "file='a.png' mask='#FFFF00FF'"
                                      << "a.png" << QRect() << QRect() << 0 << 255;
    QTest::newRow("empty") << ""
                           << "" << QRect() << QRect() << 0 << 255;
    QTest::newRow("unclosed quote") << "file='a.png"
                                    << "" << QRect() << QRect() << 0 << 255;
    QTest::newRow("bad source") << "file='a.png' source='0,0,10'"
                                << "" << QRect() << QRect() << 0 << 255;
    QTest::newRow("inverted source") << "file='a.png' source='20,0,10,20'"
                                     << "" << QRect() << QRect() << 0 << 255;
    QTest::newRow("negative corner") << "file='a.png' corner='-1,0,0,0'"
                                     << "" << QRect() << QRect() << 0 << 255;
    QTest::newRow("no value") << "file="
                              << "" << QRect() << QRect() << 0 << 255;
}

void TestLayoutModel::image() {
    QFETCH(QString, text);
    QFETCH(QString, file);
    QFETCH(QRect, source);
    QFETCH(QRect, dest);
    QFETCH(int, cornerLeft);
    QFETCH(int, fade);
    const SkinImage image = ParseImage(text);
    QCOMPARE(image.file, file);
    QCOMPARE(image.source.value_or(QRect()), source);
    QCOMPARE(image.dest.value_or(QRect()), dest);
    QCOMPARE(image.corner.left, cornerLeft);
    QCOMPARE(image.fade, fade);
}

void TestLayoutModel::attributeString() {
    const AttributeList list = ParseAttributeString(
        "height=\"28\" textpadding='28,0,0,0'  textcolor=\"#FF303030\" broken");
    QCOMPARE(list.size(), size_t(3));
    QCOMPARE(list[1].first, QString("textpadding"));
    QCOMPARE(list[1].second, QString("28,0,0,0"));
    QCOMPARE(list[2].second, QString("#FF303030"));
}

void TestLayoutModel::parse() {
    const QByteArray xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<Window size="240,240" caption="0,0,0,30">
  <Font id="0" name="微软雅黑" size="12" default="true"/>
  <Font name="微软雅黑" size="16" bold="true"/>
  <Default name="Button" value="textcolor=&quot;#FFFFFFFF&quot;"/>
  <VerticalLayout bkcolor="#FFF7FFFF">
    <Label name="a" text="提示信息"/>
    <Custom name="b"><Label name="c"/></Custom>
  </VerticalLayout>
</Window>)";
    QString error;
    const auto doc = ParseLayout(xml, &error);
    QVERIFY2(doc, qPrintable(error));
    QCOMPARE(doc->fonts.size(), size_t(2));
    QCOMPARE(doc->fonts[0].family, QString("微软雅黑"));
    QVERIFY(doc->fonts[0].isDefault);
    QCOMPARE(doc->fonts[1].id, 1);  // no id: its position among the fonts
    QCOMPARE(doc->fonts[1].pixelSize, 16);
    QVERIFY(doc->fonts[1].bold);
    QVERIFY(doc->DefaultsFor("button"));  // class names compare without case
    QCOMPARE(doc->DefaultsFor("Button")->front().second, QString("#FFFFFFFF"));
    QVERIFY(!doc->DefaultsFor("Label"));
    QCOMPARE(doc->root.tag, QString("VerticalLayout"));
    QCOMPARE(doc->root.children.size(), size_t(2));
    QCOMPARE(doc->root.children[0].Value("text"), QString("提示信息"));
    QCOMPARE(doc->root.children[1].children[0].Value("name"), QString("c"));
}

void TestLayoutModel::malformed_data() {
    QTest::addColumn<QByteArray>("xml");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not xml") << QByteArray("\x89PNG\r\n\x1a\n\0\0", 10);
    QTest::newRow("unclosed") << QByteArray("<Window><VerticalLayout></Window>");
    QTest::newRow("wrong root") << QByteArray("<Menu><MenuElement/></Menu>");
    QTest::newRow("no container") << QByteArray(
        "<Window size=\"1,1\"><Font size=\"12\"/></Window>");
    QTest::newRow("trailing junk") << QByteArray("<Window><Control/></Window><");
    QTest::newRow("bad entity") << QByteArray("<Window><Label text=\"&nope;\"/></Window>");
}

void TestLayoutModel::malformed() {
    QFETCH(QByteArray, xml);
    QString error;
    QVERIFY(!ParseLayout(xml, &error));
    QVERIFY(!error.isEmpty());
}

void TestLayoutModel::windowSettings() {
    const WindowSettings s = ReadWindowSettings({{"size", "350,450"},
                                                 {"mininfo", "350,450"},
                                                 {"maxinfo", "bad"},
                                                 {"caption", "0,0,0,26"},
                                                 {"shadowimage", "client_shadow.png"},
                                                 {"shadowcorner", "34,34,35,34"},
                                                 {"other", "x"}});
    QCOMPARE(s.size, QSize(350, 450));
    QCOMPARE(s.minSize.value_or(QSize()), QSize(350, 450));
    QVERIFY(!s.maxSize);
    QCOMPARE(s.caption.bottom, 26);
    QCOMPARE(s.shadowCorner.right, 35);
    QCOMPARE(s.shadowImage, QString("client_shadow.png"));
}

// The package built into the program: names found without regard to case, pictures decoded,
// and every layout in it parses.
void TestLayoutModel::embeddedPackage() {
    const auto package = SkinPackage::Embedded();
    QVERIFY(package->Contains("main_frame.xml"));
    QVERIFY(package->Contains("MAIN_FRAME.XML"));
    QCOMPARE(package->Read("Main_Frame.xml"), package->Read("main_frame.xml"));
    QVERIFY(!package->Contains("nothing.xml"));
    QVERIFY(package->Read("nothing.xml").isEmpty());
    QVERIFY(package->Image("nothing.png").isNull());
    const QImage close = package->Image("BTN_CLOSE.PNG");
    QCOMPARE(close.size(), QSize(60, 20));
    QCOMPARE(package->Image("btn_close.png").cacheKey(), close.cacheKey());  // decoded once
    for (const QString& name : package->EntryNames()) {
        if (!name.endsWith(".xml")) continue;
        QString error;
        QVERIFY2(ParseLayout(package->Read(name), &error), qPrintable(name + ": " + error));
    }
    // A damaged archive is an empty package, not a crash.
    const auto broken = SkinPackage::FromZipData(package->Read("main_frame.xml"));
    QVERIFY(broken->EntryNames().isEmpty());
    QVERIFY(broken->Read("main_frame.xml").isEmpty());
}

void TestLayoutModel::folderPackage() {
    QTemporaryDir dir;
    QFile f(dir.filePath("HaveRelax.xml"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("<Window/>");
    f.close();
    QFile bad(dir.filePath("broken.png"));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("not a picture");
    bad.close();
    const auto package = SkinPackage::FromFolder(dir.path());
    QCOMPARE(package->Read("HAVERELAX.XML"), QByteArray("<Window/>"));
    QCOMPARE(package->Read("haverelax.xml"), QByteArray("<Window/>"));
    QVERIFY(package->Image("broken.png").isNull());
    QVERIFY(package->Read("../etc/passwd").isEmpty());
}

QTEST_GUILESS_MAIN(TestLayoutModel)
#include "tst_layout_model.moc"
