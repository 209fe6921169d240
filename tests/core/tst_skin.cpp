// The shipped skin as the whole program wears it: drawn lists must stay readable.

#include "ledger/accounttabs.h"
#include "ledger/ledgerdelegate.h"
#include "ledger/ledgergrid.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QHash>
#include <QHeaderView>
#include <QImage>
#include <QMenu>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// A skin file of the built program folder.
QString ShippedSkin(const QString& name = u"Longhorn.sui"_s) {
    QFile file(qEnvironmentVariable("ZOVI_PROGRAM_DIR") + u"/Skins/"_s + name);
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

// Whether a colour is dark: a light text reads on it.
bool IsDark(QRgb colour) {
    return qGray(colour) < 90;
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

    // Under the Dark skin a ticked box shows a tick and a chosen option a dot: inside the
    // indicator's frame a mark stands out from the fill, and an unticked one shows none.
    void darkIndicatorShowsMark_data() {
        QTest::addColumn<bool>("radio");
        QTest::newRow("check box") << false;
        QTest::newRow("radio button") << true;
    }
    void darkIndicatorShowsMark() {
        QFETCH(bool, radio);
        const QString skin = ShippedSkin(u"Dark.sui"_s);
        QVERIFY2(!skin.isEmpty(), "the program folder holds no Skins/Dark.sui");
        qApp->setStyleSheet(skin);

        QDialog window;
        auto* layout = new QVBoxLayout(&window);
        QList<QAbstractButton*> buttons;
        for (int i = 0; i < 2; ++i) {
            QAbstractButton* button =
                radio ? static_cast<QAbstractButton*>(new QRadioButton) : new QCheckBox;
            button->setText(u"Date"_s);
            button->setAutoExclusive(false);
            button->setChecked(i == 1);
            layout->addWidget(button);
            buttons << button;
        }
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QList<Drawn> drawn;
        for (QAbstractButton* button : buttons) {
            QStyleOptionButton option;
            option.initFrom(button);
            const QRect indicator = button->style()->subElementRect(
                radio ? QStyle::SE_RadioButtonIndicator : QStyle::SE_CheckBoxIndicator, &option,
                button);
            // The middle of the indicator, clear of its frame.
            const QSize half = indicator.size() / 2;
            const QRect inside(indicator.topLeft() + QPoint(half.width(), half.height()) / 2, half);
            drawn << Inspect(button->grab().toImage(), inside);
        }
        QVERIFY2(Distance(drawn[0].text, drawn[0].background) < 60,
                 "the unticked indicator shows a mark");
        QVERIFY2(Distance(drawn[1].text, drawn[1].background) >= 100,
                 qPrintable(u"the ticked indicator's mark %1 is lost on its fill %2"_s.arg(
                     QColor(drawn[1].text).name(), QColor(drawn[1].background).name())));
    }

    // Under the Dark skin menus and grids are dark with readable texts: a menu's items, a
    // table's and a tree's rows (both alternating), their headers; the chosen item or row
    // stands out and stays readable.
    void darkMenusAndGrids_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("menu") << u"menu"_s;
        QTest::newRow("table") << u"table"_s;
        QTest::newRow("ledger grid") << u"ledger"_s;
        QTest::newRow("tree") << u"tree"_s;
    }
    void darkMenusAndGrids() {
        QFETCH(QString, kind);
        const QString skin = ShippedSkin(u"Dark.sui"_s);
        QVERIFY2(!skin.isEmpty(), "the program folder holds no Skins/Dark.sui");
        qApp->setStyleSheet(skin);
        const QStringList texts = {u"Cash"_s, u"Bank card"_s, u"Savings"_s, u"Wallet"_s};

        QDialog window;
        auto* layout = new QVBoxLayout(&window);
        QMenu menu;
        QAbstractItemView* view = nullptr;
        if (kind == u"table"_s || kind == u"ledger"_s) {
            auto* table = new QTableWidget(int(texts.size()), 2, &window);
            table->setHorizontalHeaderLabels({u"Account"_s, u"Sum"_s});
            // The ledger grid draws its rows itself, coloured by the kind of entry: an income,
            // two charges, a planned charge.
            const QStringList marks = {u"+D"_s, u"-D"_s, u"-D"_s, u"-P"_s};
            for (int row = 0; row < texts.size(); ++row)
                for (int column = 0; column < 2; ++column) {
                    auto* item = new QTableWidgetItem(texts[row]);
                    item->setData(zovi::LedgerGridModel::MarkRole, marks[row]);
                    table->setItem(row, column, item);
                }
            if (kind == u"ledger"_s) {
                table->setItemDelegate(new zovi::LedgerDelegate(table));
                zovi::LedgerDelegate::styleHeader(table->horizontalHeader());
            }
            view = table;
        } else if (kind == u"tree"_s) {
            auto* tree = new QTreeWidget(&window);
            tree->setHeaderLabels({u"Account"_s, u"Sum"_s});
            for (const QString& text : texts)
                tree->addTopLevelItem(new QTreeWidgetItem({text, text}));
            view = tree;
        }
        QImage image;
        QList<QRect> items;
        QRect header;
        QImage headerImage;
        if (view) {
            view->setAlternatingRowColors(true);
            view->setSelectionBehavior(QAbstractItemView::SelectRows);
            view->setCurrentIndex(view->model()->index(2, 0));
            layout->addWidget(view);
            window.resize(400, 300);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            image = view->viewport()->grab().toImage();
            for (int row = 0; row < texts.size(); ++row)
                items << view->visualRect(view->model()->index(row, 0));
            QHeaderView* headerView = kind != u"tree"_s
                                          ? static_cast<QTableWidget*>(view)->horizontalHeader()
                                          : static_cast<QTreeWidget*>(view)->header();
            headerImage = headerView->grab().toImage();
            header = QRect(headerView->sectionViewportPosition(0), 0, headerView->sectionSize(0),
                           headerView->height());
        } else {
            QList<QAction*> actions;
            for (const QString& text : texts)
                actions << menu.addAction(text);
            menu.popup(QPoint(0, 0));
            QVERIFY(QTest::qWaitForWindowExposed(&menu));
            menu.setActiveAction(actions[2]);
            QTRY_COMPARE(menu.activeAction(), actions[2]);
            image = menu.grab().toImage();
            for (QAction* action : actions)
                items << menu.actionGeometry(action);
        }

        for (int i : {0, 1, 3}) {
            const Drawn plain = Inspect(image, items[i]);
            QVERIFY2(IsDark(plain.background),
                     qPrintable(u"item %1 is drawn light: %2"_s.arg(i).arg(
                         QColor(plain.background).name())));
            QVERIFY2(Distance(plain.text, plain.background) >= 100,
                     qPrintable(u"item %1's text %2 is too close to its background %3"_s.arg(i).arg(
                         QColor(plain.text).name(), QColor(plain.background).name())));
        }
        const Drawn chosen = Inspect(image, items[2]);
        QVERIFY2(Distance(chosen.background, Inspect(image, items[0]).background) >= 60,
                 "the chosen item does not stand out");
        QVERIFY2(Distance(chosen.text, chosen.background) >= 100,
                 "the chosen item's text is too close to its background");
        if (!headerImage.isNull()) {
            const Drawn title = Inspect(headerImage, header);
            QVERIFY2(IsDark(title.background), qPrintable(u"the header is drawn light: %1"_s.arg(
                                                   QColor(title.background).name())));
            QVERIFY2(Distance(title.text, title.background) >= 100,
                     "the header's text is too close to its background");
        }
    }

    // Account buttons show which account is chosen in every skin, the Plain one too, where
    // the skin gives a chosen tab no look of its own: the chosen button is drawn differently
    // from the same button not chosen.
    void chosenAccountButtonStandsOut_data() {
        QTest::addColumn<QString>("skin");
        QTest::addColumn<int>("style");
        for (const QString& skin : {u"Plain.sui"_s, u"Longhorn.sui"_s, u"Dark.sui"_s})
            for (int style : {1, 2})
                QTest::addRow("%s, style %d", qPrintable(skin), style) << skin << style;
    }
    void chosenAccountButtonStandsOut() {
        QFETCH(QString, skin);
        QFETCH(int, style);
        const QString sheet = ShippedSkin(skin);
        QVERIFY2(!sheet.isEmpty(), qPrintable(u"the program folder holds no Skins/"_s + skin));
        qApp->setStyleSheet(sheet);

        zovi::AccountTabs tabs;
        tabs.addTab(u"Cash"_s);
        tabs.addTab(u"Cash"_s);
        tabs.applyStyle(style);
        tabs.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tabs));
        // The first button drawn chosen, then drawn while the second one is chosen.
        const auto drawn = [&tabs](int chosen) {
            tabs.setCurrentIndex(chosen);
            return tabs.grab(tabs.tabRect(0)).toImage();
        };
        const QImage chosen = drawn(0);
        const QImage plain = drawn(1);
        // A bold chosen text widens the button: compare the part both pictures cover.
        const QSize both = chosen.size().boundedTo(plain.size());
        int differing = 0;
        for (int y = 0; y < both.height(); ++y)
            for (int x = 0; x < both.width(); ++x)
                differing += Distance(chosen.pixel(x, y), plain.pixel(x, y)) >= 60;
        QVERIFY2(
            differing >= chosen.width(),
            qPrintable(u"only %1 pixels tell the chosen account button apart"_s.arg(differing)));
    }
};

QTEST_MAIN(TestSkin)
#include "tst_skin.moc"
