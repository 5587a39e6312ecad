#include <QtTest>
class TestReports : public QObject { Q_OBJECT };
QTEST_MAIN(TestReports)
#include "tst_reports.moc"
