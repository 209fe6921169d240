// The main window over a large ledger, started as a user starts it: the wait window shows the
// reading of the ledger as it goes, and the grid holds every entry with the last one chosen.
#include "core/wait.h"
#include "mainwindowsession.h"
#include "store/image.h"

#include <QLabel>
#include <QProgressBar>
#include <QTableView>

using namespace zovi;

namespace {

// Records what the wait window shows each time it is painted.
class PaintWatcher : public QObject {
public:
    QStringList labels;
    QList<int> gauge;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            auto* wait = static_cast<QWidget*>(watched);
            labels << wait->findChild<QLabel*>(QStringLiteral("Label1"))->text();
            gauge << wait->findChild<QProgressBar*>(QStringLiteral("Gauge1"))->value();
        }
        return false;
    }
};

// The number at the end of "Please, wait... 37%"; -1 for a label without one.
int Percent(const QString& label) {
    if (!label.endsWith(QLatin1Char('%')))
        return -1;
    return label.section(QLatin1Char(' '), -1).chopped(1).toInt();
}

} // namespace

class TestLargeLedger : public zovi::test::MainWindowSession {
    Q_OBJECT

private Q_SLOTS:
    void init() { sessionInit(); }
    void cleanup() { sessionCleanup(); }

    void openingShowsTheReadingAndEveryEntry() {
        const int entries = int(TableImage::kProgressRows) + 5000;
        zovi::test::ExecFile(
            m_db->file(QStringLiteral("Data.db")),
            QStringLiteral("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n "
                           "WHERE x < %1) INSERT INTO Data (Date, Name, Type, Gr1, Gr2, Value, "
                           "Rashod) SELECT date('2005-01-01', '+' || x || ' days'), "
                           "'entry ' || (x % 97), 'R', '[...]', 'Food', -x, x || ' $' FROM n")
                .arg(entries));
        PaintWatcher watcher;
        start(true, [this, &watcher](ChooserWindow* chooser) {
            m_window->waitWindow()->installEventFilter(&watcher);
            chooser->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
        });
        m_window->waitWindow()->removeEventFilter(&watcher);

        // The share read climbs, with the gauge, while the ledger is read; then the label is
        // the plain one again.
        QList<int> percents;
        int lastGauge = -1;
        for (qsizetype i = 0; i < watcher.labels.size(); ++i) {
            const int percent = Percent(watcher.labels[i]);
            if (percent < 0)
                continue;
            QVERIFY2(percents.isEmpty() || percent >= percents.last(),
                     qPrintable(watcher.labels[i]));
            QVERIFY(watcher.gauge[i] >= lastGauge);
            percents << percent;
            lastGauge = watcher.gauge[i];
        }
        QVERIFY2(percents.size() >= 10, qPrintable(watcher.labels.join(QLatin1Char('|'))));
        QVERIFY(percents.last() >= 90);
        QCOMPARE(Percent(watcher.labels.last()), -1);

        auto* grid = m_window->findChild<QTableView*>(QStringLiteral("Grid1"));
        QCOMPARE(grid->model()->rowCount(), entries);
        const QModelIndexList chosen = grid->selectionModel()->selectedRows();
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen.first().row(), entries - 1);
        QCOMPARE(grid->model()->index(entries - 1, 8).data().toString(), QString::number(entries));
    }
};

QTEST_MAIN(TestLargeLedger)
#include "tst_largeledger.moc"
