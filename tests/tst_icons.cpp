#include <QtTest>
class TestIcons : public QObject { Q_OBJECT };
QTEST_MAIN(TestIcons)
#include "tst_icons.moc"
