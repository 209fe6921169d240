// Message boxes as they are really shown: above the wait window, and a text taller than the
// screen in a scrolling area, with OK always on screen.

#include "core/messages.h"
#include "core/wait.h"

#include <QApplication>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace zovi;

class TestMessages : public QObject {
    Q_OBJECT

    // What the box looked like when it was answered.
    struct Seen {
        bool answered = false;
        bool waitVisible = false;
        QRect box;
        QRect ok;
    };

    // Clicks OK of the next modal box once it is shown, noting where it and OK lie on screen.
    void answerNextBox(Seen* seen, const WaitWindow* wait) {
        auto* poll = new QTimer(this);
        connect(poll, &QTimer::timeout, this, [=] {
            QWidget* box = QApplication::activeModalWidget();
            if (!box || !box->isVisible())
                return;
            poll->deleteLater();
            for (QPushButton* button : box->findChildren<QPushButton*>()) {
                // OK as the translation table writes it ("Ok") or as Qt does.
                if (button->text().remove(u'&').compare(u"OK"_s, Qt::CaseInsensitive) != 0 ||
                    !button->isVisible())
                    continue;
                seen->answered = true;
                seen->waitVisible = wait->isVisible();
                seen->box = box->frameGeometry();
                seen->ok = QRect(button->mapToGlobal(QPoint(0, 0)), button->size());
                button->click();
                return;
            }
            box->close();
        });
        poll->start(10);
    }

private Q_SLOTS:
    void aboveWaitWindowAndOnScreen_data() {
        QTest::addColumn<int>("lines");
        QTest::newRow("short") << 1;
        QTest::newRow("300 periods") << 300;
    }
    void aboveWaitWindowAndOnScreen() {
        QFETCH(int, lines);
        QStringList text;
        for (int i = 1; i <= lines; ++i)
            text << u"Period %1: the end date lies before the start date."_s.arg(i);
        WaitWindow wait;
        wait.showNow();
        QVERIFY(wait.isVisible());
        Seen seen;
        answerNextBox(&seen, &wait);
        Messages::error(nullptr, text.join(u'\n'));
        QVERIFY(seen.answered);
        QVERIFY(!seen.waitVisible);
        QVERIFY(wait.isVisible()); // the work it announces goes on
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY2(screen.contains(seen.box), qPrintable(u"%1 px high"_s.arg(seen.box.height())));
        QVERIFY(screen.contains(seen.ok));
    }
};

QTEST_MAIN(TestMessages)
#include "tst_messages.moc"
