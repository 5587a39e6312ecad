#include <QtTest>
class TestControls : public QObject { Q_OBJECT };
QTEST_MAIN(TestControls)
#include "tst_controls.moc"
