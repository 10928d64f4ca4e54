// The floor for `zentova --count N`: a bare Qt console program that starts
// and ends at once.
#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    return 0;
}
