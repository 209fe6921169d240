// The shipped skin as the whole program wears it: drawn lists must stay readable.

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QTest>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// The skin file of the built program folder.
QString ShippedSkin() {
    QFile file(qEnvironmentVariable("ZOVI_PROGRAM_DIR") + u"/Skins/Longhorn.sui"_s);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

// How far apart two colours are, on the scale of one channel (0..255).
int Distance(QRgb a, QRgb b) {
    return qMax(qMax(qAbs(qRed(a) - qRed(b)), qAbs(qGreen(a) - qGreen(b))),
                qAbs(qBlue(a) - qBlue(b)));
}

// An item as drawn: the colour that fills most of it, and the drawn colour farthest from it
// (the text).
struct Drawn {
    QRgb background = 0;
    QRgb text = 0;
};

Drawn Inspect(const QImage& image, const QRect& item) {
    const QRect rect = item & image.rect();
    QHash<QRgb, int> counts;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            ++counts[image.pixel(x, y) | 0xff000000];
    Drawn drawn;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) {
            most = it.value();
            drawn.background = it.key();
        }
    drawn.text = drawn.background;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (Distance(it.key(), drawn.background) > Distance(drawn.text, drawn.background))
            drawn.text = it.key();
    return drawn;
}

} // namespace

class TestSkin : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { qApp->setStyleSheet(QString()); }

    // The item of an open drop-down list that the mouse or the keyboard is on stands out from
    // the other items, and its text stays readable on it.
    void dropDownItemStandsOut_data() {
        QTest::addColumn<bool>("mouse");
        QTest::newRow("under the mouse") << true;
        QTest::newRow("chosen with the keyboard") << false;
    }
    void dropDownItemStandsOut() {
        QFETCH(bool, mouse);
        const QString skin = ShippedSkin();
        QVERIFY2(!skin.isEmpty(), "the program folder holds no Skins/Longhorn.sui");
        qApp->setStyleSheet(skin);

        QDialog window;
        auto* list = new QComboBox(&window);
        list->addItems({u"Cash"_s, u"Bank card"_s, u"Savings"_s, u"Wallet"_s});
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(list);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        list->showPopup();
        QAbstractItemView* view = list->view();
        QTRY_VERIFY(view->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(view->window()));

        const QModelIndex chosen = view->model()->index(2, 0);
        const QModelIndex other = view->model()->index(1, 0);
        if (mouse) {
            const QPoint at = view->visualRect(chosen).center();
            QTest::mouseMove(view->viewport(), at - QPoint(0, 1));
            QTest::mouseMove(view->viewport(), at);
        } else {
            QTest::keyClick(view, Qt::Key_Down);
            QTest::keyClick(view, Qt::Key_Down);
        }
        QTRY_COMPARE(view->currentIndex(), chosen);

        // The highlight is drawn once the view has taken in the move: wait for it to show (or
        // for the time-out), then say which colour falls short.
        Drawn lit;
        Drawn plain;
        static_cast<void>(QTest::qWaitFor([&] {
            const QImage image = view->viewport()->grab().toImage();
            lit = Inspect(image, view->visualRect(chosen));
            plain = Inspect(image, view->visualRect(other));
            return Distance(lit.background, plain.background) >= 60;
        }));
        QVERIFY2(Distance(lit.background, plain.background) >= 60,
                 qPrintable(u"the item's background %1 is too close to the others' %2"_s.arg(
                     QColor(lit.background).name(), QColor(plain.background).name())));
        QVERIFY2(Distance(lit.text, lit.background) >= 100,
                 qPrintable(u"the item's text %1 is too close to its background %2"_s.arg(
                     QColor(lit.text).name(), QColor(lit.background).name())));
        QVERIFY2(Distance(plain.text, plain.background) >= 100,
                 qPrintable(u"the other items' text %1 is too close to their background %2"_s.arg(
                     QColor(plain.text).name(), QColor(plain.background).name())));
        list->hidePopup();
    }
};

QTEST_MAIN(TestSkin)
#include "tst_skin.moc"
