#include <QtTest>
class TestWindows : public QObject { Q_OBJECT };
QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
