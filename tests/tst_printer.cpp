#include <QtTest>
class TestPrinter : public QObject { Q_OBJECT };
QTEST_MAIN(TestPrinter)
#include "tst_printer.moc"
