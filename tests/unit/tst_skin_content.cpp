#include <QtTest>

#include "ui/layout_model.h"
#include "ui/skin_package.h"

using namespace ui;

// The package built into the program, checked as a whole: every picture a layout names is in
// it, every state strip is as large as its source rectangles need, and every picture drawn into
// a place of known size has exactly that size (a scaled picture comes out blurred).
class TestSkinContent : public QObject {
    Q_OBJECT

  private slots:
    void layoutPictures_data();
    void layoutPictures();
    void veil();
    void checkerCatches_data();
    void checkerCatches();
};

namespace {

// The attributes a node ends up with: its class defaults, then its own (the later one wins).
QHash<QString, QString> Effective(const LayoutNode& node, const LayoutDocument& doc) {
    QHash<QString, QString> attributes;
    if (const AttributeList* defaults = doc.DefaultsFor(node.tag))
        for (const auto& [name, value] : *defaults) attributes.insert(name, value);
    for (const auto& [name, value] : node.attributes) attributes.insert(name, value);
    return attributes;
}

// The control's size when the layout fixes it: a floating place, or both width and height.
std::optional<QSize> FixedSize(const QHash<QString, QString>& attributes) {
    if (ParseBool(attributes.value("float")).value_or(false)) {
        if (const auto pos = ParseEdges(attributes.value("pos")))
            return QSize(pos->right - pos->left, pos->bottom - pos->top);
    }
    const auto w = ParseInt(attributes.value("width"));
    const auto h = ParseInt(attributes.value("height"));
    if (w && h && *w > 0 && *h > 0) return QSize(*w, *h);
    return std::nullopt;
}

bool NamesPicture(const QString& tag, const QString& attribute) {
    return attribute.endsWith(QLatin1String("image")) ||
           (tag == QLatin1String("MenuElement") && attribute == QLatin1String("icon"));
}

void CheckImage(const SkinPackage& package, const QString& where, const QString& value,
                const std::optional<QSize>& controlSize, bool sizeMatters, QStringList& problems) {
    const SkinImage image = ParseImage(value);
    if (image.IsEmpty()) {
        if (!value.trimmed().isEmpty()) problems << where + ": unreadable image value";
        return;
    }
    const QImage picture = package.Image(image.file);
    if (picture.isNull()) {
        problems << where + ": no picture " + image.file;
        return;
    }
    QSize part = picture.size();
    if (image.source) {
        if (!picture.rect().contains(*image.source)) {
            problems << QString("%1: source %2,%3 %4x%5 outside %6 (%7x%8)")
                            .arg(where)
                            .arg(image.source->x())
                            .arg(image.source->y())
                            .arg(image.source->width())
                            .arg(image.source->height())
                            .arg(image.file)
                            .arg(picture.width())
                            .arg(picture.height());
            return;
        }
        part = image.source->size();
    }
    // Nine-part pictures are made to stretch; a bare background of unknown size may too.
    if (!sizeMatters || image.corner != Edges{}) return;
    const std::optional<QSize> drawn = image.dest ? std::optional(image.dest->size()) : controlSize;
    if (drawn && *drawn != part) {
        problems << QString("%1: %2 is %3x%4 where the layout draws it at %5x%6")
                        .arg(where, image.file)
                        .arg(part.width())
                        .arg(part.height())
                        .arg(drawn->width())
                        .arg(drawn->height());
    }
}

void CheckNode(const SkinPackage& package, const QString& file, const LayoutNode& node,
               const LayoutDocument& doc, QStringList& problems) {
    const QHash<QString, QString> attributes = Effective(node, doc);
    const QString name = attributes.value("name");
    const QString control =
        QString("%1 <%2%3>").arg(file, node.tag, name.isEmpty() ? "" : " " + name);
    const std::optional<QSize> size = FixedSize(attributes);
    for (auto it = attributes.constBegin(); it != attributes.constEnd(); ++it) {
        if (!NamesPicture(node.tag, it.key())) continue;
        // A menu icon sits in a place of the menu's own choosing, a gauge's thumb in the 18 px
        // box at the end of its arc.
        const bool ownPlace = it.key() == QLatin1String("thumbimage");
        CheckImage(package, control + " " + it.key(), it.value(),
                   ownPlace ? std::optional(QSize(18, 18)) : size,
                   node.tag != QLatin1String("MenuElement"), problems);
    }
    for (const LayoutNode& child : node.children) CheckNode(package, file, child, doc, problems);
}

// Every problem with the pictures of one layout; empty when all is well.
QStringList LayoutProblems(const SkinPackage& package, const QString& file) {
    QString error;
    const std::optional<LayoutDocument> doc = ParseLayout(package.Read(file), &error);
    if (!doc) return {file + ": " + error};
    QStringList problems;
    for (const auto& [name, value] : doc->windowAttributes) {
        if (NamesPicture("Window", name))
            CheckImage(package, file + " <Window> " + name, value, std::nullopt, false, problems);
    }
    CheckNode(package, file, doc->root, *doc, problems);
    return problems;
}

}  // namespace

void TestSkinContent::layoutPictures_data() {
    QTest::addColumn<QString>("file");
    const auto package = SkinPackage::Embedded();
    int layouts = 0;
    for (const QString& name : package->EntryNames()) {
        if (!name.endsWith(".xml", Qt::CaseInsensitive)) continue;
        QTest::newRow(qPrintable(name)) << name;
        ++layouts;
    }
    QVERIFY(layouts > 0);
}

void TestSkinContent::layoutPictures() {
    QFETCH(QString, file);
    const QStringList problems = LayoutProblems(*SkinPackage::Embedded(), file);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
}

// The lock's veil is one colour at one alpha in every pixel: stretched over a screen it must not
// show a seam, a gradient or a lighter edge.
void TestSkinContent::veil() {
    const QImage veil = QImage::fromData(SkinPackage::Embedded()->Read("bk_fullscreen.png"))
                            .convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(veil.size(), QSize(140, 140));
    int wrong = 0;
    for (int y = 0; y < veil.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(veil.constScanLine(y));
        for (int x = 0; x < veil.width(); ++x) wrong += row[x] != qRgba(38, 57, 73, 242);
    }
    QCOMPARE(wrong, 0);
}

// The checker itself, on a small folder package: each fault is reported, a sound layout is not.
void TestSkinContent::checkerCatches_data() {
    QTest::addColumn<QString>("element");
    QTest::addColumn<QString>("expected");  // part of the report; empty: no problem
    QTest::newRow("sound strip")
        << R"(<Button float="true" pos="0,0,20,20" normalimage="file='s.png' source='0,0,20,20'" pushedimage="file='s.png' source='20,0,40,20'"/>)"
        << "";
    QTest::newRow("missing picture")
        << R"(<Label float="true" pos="0,0,20,20" bkimage="gone.png"/>)"
        << "no picture gone.png";
    QTest::newRow("strip too short")
        << R"(<Button float="true" pos="0,0,20,20" pushedimage="file='s.png' source='40,0,60,20'"/>)"
        << "outside s.png";
    QTest::newRow("picture scaled")
        << R"(<Label float="true" pos="0,0,30,20" bkimage="file='s.png' source='0,0,20,20'"/>)"
        << "draws it at 30x20";
    QTest::newRow("dest of another size")
        << R"(<Label bkimage="file='s.png' source='0,0,20,20' dest='5,5,15,15'"/>)"
        << "draws it at 10x10";
    QTest::newRow("whole picture in its place")
        << R"(<Label width="40" height="20" bkimage="s.png"/>)"
        << "";
    QTest::newRow("nine parts stretch")
        << R"(<Label float="true" pos="0,0,90,90" bkimage="file='s.png' corner='4,4,4,4'"/>)"
        << "";
    QTest::newRow("unknown size") << R"(<Label bkimage="s.png"/>)"
                                  << "";
    QTest::newRow("class default") << R"(<CheckBox float="true" pos="0,0,20,20"/>)"
                                   << "no picture off.png";
    QTest::newRow("menu icon") << R"(<MenuElement icon="tick.png"/>)"
                               << "no picture tick.png";
}

void TestSkinContent::checkerCatches() {
    QFETCH(QString, element);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    QImage strip(40, 20, QImage::Format_ARGB32);
    strip.fill(Qt::red);
    QVERIFY(strip.save(dir.filePath("s.png")));
    QFile layout(dir.filePath("t.xml"));
    QVERIFY(layout.open(QIODevice::WriteOnly));
    layout.write(QString(R"(<Window size="100,100" shadowimage="s.png">)"
                         R"(<Default name="CheckBox" value="normalimage=&quot;off.png&quot;"/>)"
                         R"(<VerticalLayout>%1</VerticalLayout></Window>)")
                     .arg(element)
                     .toUtf8());
    layout.close();
    const QStringList problems = LayoutProblems(*SkinPackage::FromFolder(dir.path()), "t.xml");
    if (expected.isEmpty()) {
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    } else {
        QCOMPARE(problems.size(), 1);
        QVERIFY2(problems.first().contains(expected), qPrintable(problems.first()));
    }
}

QTEST_GUILESS_MAIN(TestSkinContent)
#include "tst_skin_content.moc"
