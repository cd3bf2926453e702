// The cipher primitives: XXTEA against published answers, the key derivation, and pages.
#include <QRandomGenerator>
#include <QtTest>
#include <vector>

#include "data/page_cipher.h"

using PageCipher::Key;

class TestPageCipher : public QObject {
    Q_OBJECT
  private slots:
    void knownAnswers_data();
    void knownAnswers();
    void roundTrip_data();
    void roundTrip();
    void keyDerivation_data();
    void keyDerivation();
    void pagesAreLittleEndianWords();
    void everyWordDependsOnTheWholePage();
};

void TestPageCipher::knownAnswers_data() {
    QTest::addColumn<QList<uint>>("key");
    QTest::addColumn<QList<uint>>("plain");
    QTest::addColumn<QList<uint>>("cipher");
    // The published vector of corrected block TEA: zero key, two zero words.
    QTest::newRow("zero key, two words")
        << QList<uint>{0, 0, 0, 0} << QList<uint>{0, 0} << QList<uint>{0x053704AB, 0x575D8C80};
}

void TestPageCipher::knownAnswers() {
    QFETCH(QList<uint>, key);
    QFETCH(QList<uint>, plain);
    QFETCH(QList<uint>, cipher);
    Key k;
    for (int i = 0; i < 4; ++i) k.k[i] = key[i];
    std::vector<uint32_t> v(plain.begin(), plain.end());
    PageCipher::Encipher(v.data(), v.size(), k);
    QCOMPARE(QList<uint>(v.begin(), v.end()), cipher);
    PageCipher::Decipher(v.data(), v.size(), k);
    QCOMPARE(QList<uint>(v.begin(), v.end()), plain);
}

void TestPageCipher::roundTrip_data() {
    QTest::addColumn<int>("bytes");
    // Word counts around the point where the cycle count stops falling (6 + 52 / n).
    for (int bytes : {8, 12, 16, 52, 208, 212, 512, 1024, 4096, 65536})
        QTest::addRow("%d bytes", bytes) << bytes;
}

void TestPageCipher::roundTrip() {
    QFETCH(int, bytes);
    const Key key = PageCipher::DeriveKey("round trip");
    std::vector<unsigned char> page(static_cast<size_t>(bytes));
    for (auto& b : page) b = static_cast<unsigned char>(QRandomGenerator::global()->generate());
    const auto original = page;
    PageCipher::EncipherPage(page.data(), page.size(), key);
    QVERIFY(page != original);
    // A wrong key does not give the page back.
    auto wrong = page;
    PageCipher::DecipherPage(wrong.data(), wrong.size(), PageCipher::DeriveKey("round trip."));
    QVERIFY(wrong != original);
    PageCipher::DecipherPage(page.data(), page.size(), key);
    QVERIFY(page == original);
}

void TestPageCipher::keyDerivation_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<uint>>("words");
    const QString program = QStringLiteral("MeadowLantern");
    const QByteArray utf16(reinterpret_cast<const char*>(program.utf16()), program.size() * 2);
    QTest::newRow("program key, UTF-16LE")
        << utf16 << QList<uint>{0x37029de6, 0xc6b63556, 0x89518ae1, 0xeb24188d};
    // RFC 1321 test suite: MD5("abc") = 900150983cd24fb0d6963f7d28e17f72.
    QTest::newRow("abc") << QByteArray("abc")
                         << QList<uint>{0x98500190, 0xb04fd23c, 0x7d3f96d6, 0x727fe128};
}

void TestPageCipher::keyDerivation() {
    QFETCH(QByteArray, bytes);
    QFETCH(QList<uint>, words);
    if (QByteArray(QTest::currentDataTag()).startsWith("program")) QCOMPARE(bytes.size(), 26);
    const Key key = PageCipher::DeriveKey(bytes);
    QCOMPARE((QList<uint>{key.k[0], key.k[1], key.k[2], key.k[3]}), words);
}

void TestPageCipher::pagesAreLittleEndianWords() {
    const Key key = PageCipher::DeriveKey("words");
    std::vector<uint32_t> words = {0x04030201, 0x08070605, 0x0c0b0a09};
    std::vector<unsigned char> bytes = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    PageCipher::Encipher(words.data(), words.size(), key);
    // Through an unaligned buffer as well as an aligned one.
    std::vector<unsigned char> shifted(bytes.size() + 1);
    std::copy(bytes.begin(), bytes.end(), shifted.begin() + 1);
    PageCipher::EncipherPage(bytes.data(), bytes.size(), key);
    PageCipher::EncipherPage(shifted.data() + 1, bytes.size(), key);
    for (size_t i = 0; i < words.size(); ++i) {
        const uint32_t w = uint32_t(bytes[4 * i]) | uint32_t(bytes[4 * i + 1]) << 8 |
                           uint32_t(bytes[4 * i + 2]) << 16 | uint32_t(bytes[4 * i + 3]) << 24;
        QCOMPARE(w, words[i]);
    }
    QVERIFY(std::equal(bytes.begin(), bytes.end(), shifted.begin() + 1));
}

void TestPageCipher::everyWordDependsOnTheWholePage() {
    // One flipped bit anywhere must change every word: a page leaks nothing of its plain text.
    const Key key = PageCipher::DeriveKey("diffusion");
    std::vector<uint32_t> a(256, 0);
    auto b = a;
    b[200] ^= 1;
    PageCipher::Encipher(a.data(), a.size(), key);
    PageCipher::Encipher(b.data(), b.size(), key);
    int same = 0;
    for (size_t i = 0; i < a.size(); ++i) same += a[i] == b[i];
    QVERIFY2(same <= 2, qPrintable(QString("%1 words unchanged").arg(same)));
}

QTEST_APPLESS_MAIN(TestPageCipher)
#include "tst_page_cipher.moc"
