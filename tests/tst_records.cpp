#include <QtTest>
class TestRecords : public QObject { Q_OBJECT };
QTEST_GUILESS_MAIN(TestRecords)
#include "tst_records.moc"
