#include <QApplication>
#include <QTest>

int runCmdButtonTests(int argc, char **argv);
int runTopButtonsTests(int argc, char **argv);
int runClipAndBagTests(int argc, char **argv);

// The skinned controls and the platform pieces they stand on, one test class each.
int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    int failed = 0;
    failed += runClipAndBagTests(argc, argv);
    failed += runCmdButtonTests(argc, argv);
    failed += runTopButtonsTests(argc, argv);
    return failed;
}
