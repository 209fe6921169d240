// The skins as the program wears them: only a readable style sheet is a skin, and each shipped
// skin gives the main window a look of its own.
#include "core/locale.h"
#include "core/messages.h"
#include "core/settings.h"
#include "core/skin.h"
#include "mainwindowsession.h"

#include <QApplication>
#include <QImage>

using namespace zovi;
using namespace Qt::StringLiterals;

namespace {

QString ShippedSkin(const QString& name) {
    return qEnvironmentVariable("ZOVI_PROGRAM_DIR") + u"/Skins/"_s + name;
}

// The share of pixels, in per cent, in which two pictures of one size differ.
double DifferingShare(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.isNull())
        return 100;
    qint64 differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            differing += a.pixel(x, y) != b.pixel(x, y);
    return 100.0 * double(differing) / double(qint64(a.width()) * a.height());
}

} // namespace

class TestSkins : public test::MainWindowSession {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        AppLocale::set(QLatin1Char(','), QStringLiteral("dd.MM.yyyy"));
        Messages::setTestMode(true);
    }
    void init() { sessionInit(); }
    void cleanup() { sessionCleanup(); }

    // A file that cannot be read, or is not a style sheet, is not ready and leaves the skin
    // worn before on.
    void notReady_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("only a comment") << QByteArray("/* nothing */");
        QTest::newRow("picture bytes") << QByteArray("BM\x36\x00\x00\x00\x01\x02{\x03}", 12);
        QTest::newRow("declarations without a selector") << QByteArray("color: red;");
        QTest::newRow("unclosed rule") << QByteArray("QWidget { color: red;");
        QTest::newRow("stray brace") << QByteArray("QWidget { color: red; } }");
        QTest::newRow("nested rules") << QByteArray("QWidget { QLabel { color: red; } }");
        QTest::newRow("text after the rules") << QByteArray("QWidget { color: red; } trailing");
    }
    void notReady() {
        QFETCH(QByteArray, bytes);
        const QString worn = ShippedSkin(u"Longhorn.sui"_s);
        QVERIFY(SkinEngine::load(worn));
        const QString sheet = qApp->styleSheet();
        const QString path = m_db->root() + u"/bad.sui"_s;
        test::WriteBytes(path, bytes);
        QVERIFY(!SkinEngine::load(path));
        QVERIFY(!SkinEngine::load(m_db->root() + u"/missing.sui"_s));
        QCOMPARE(SkinEngine::loaded(), worn);
        QCOMPARE(qApp->styleSheet(), sheet);
    }

    // The main window under each shipped skin, saved as a picture: every skin is ready, and
    // each looks different from the others; a skin setting that is not ready starts the
    // program in the default skin.
    void shippedSkinsLookDifferent() {
        start();
        m_window->resize(1000, 700);
        const QStringList names = {u"Longhorn.sui"_s, u"Dark.sui"_s, u"Plain.sui"_s};
        QList<QImage> pictures;
        for (const QString& name : names) {
            QVERIFY2(SkinEngine::load(ShippedSkin(name)), qPrintable(name));
            QApplication::processEvents();
            const QImage picture = m_window->grab().toImage();
            QVERIFY(picture.save(m_db->root() + u'/' + name + u".png"_s));
            pictures << picture;
        }
        for (int i = 0; i < pictures.size(); ++i) {
            for (int j = i + 1; j < pictures.size(); ++j) {
                const double share = DifferingShare(pictures[i], pictures[j]);
                QVERIFY2(share > 5, qPrintable(u"%1 and %2 differ in %3 % of the pixels"_s
                                                   .arg(names[i], names[j])
                                                   .arg(share)));
            }
        }

        Settings::writeString(u"skin"_s, m_db->root() + u"/missing.sui"_s);
        QDir().mkpath(m_db->programFolder() + u"/Skins"_s);
        QVERIFY(QFile::copy(ShippedSkin(u"Longhorn.sui"_s),
                            m_db->programFolder() + u"/Skins/Longhorn.sui"_s));
        m_window->applyAppearance();
        QCOMPARE(SkinEngine::loaded(), m_db->programFolder() + u"/Skins/Longhorn.sui"_s);
    }
};

QTEST_MAIN(TestSkins)
#include "tst_skins.moc"
