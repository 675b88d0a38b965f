#include <QApplication>

int runDocumentsTests(int argc, char **argv);
int runCommandTests(int argc, char **argv);
int runPreviewTests(int argc, char **argv);

// Printing: the two documents, the print command and the preview window, one test class each.
int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    int failed = 0;
    failed += runDocumentsTests(argc, argv);
    failed += runCommandTests(argc, argv);
    failed += runPreviewTests(argc, argv);
    return failed;
}
