#include <QTest>
class TestStoreUi : public QObject {
    Q_OBJECT
};
QTEST_MAIN(TestStoreUi)
#include "tst_store_ui.moc"
