// The start-up floor: a Qt Core program that makes its application object, prints one line and
// ends, built with the programs' flags.
#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream(stdout) << "ok\n";
    return 0;
}
