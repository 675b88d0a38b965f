#include "tst_FrameInteraction.h"
#include "tst_FrameLayout.h"

#include <QApplication>
#include <QTest>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    int failures = 0;
    {
        FrameLayoutTest test;
        failures += QTest::qExec(&test, argc, argv);
    }
    {
        FrameInteractionTest test;
        failures += QTest::qExec(&test, argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
