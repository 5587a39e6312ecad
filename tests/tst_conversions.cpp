#include <QtTest>
class TestConversions : public QObject { Q_OBJECT };
QTEST_GUILESS_MAIN(TestConversions)
#include "tst_conversions.moc"
