#include <QCoreApplication>
#include <QTextStream>

#include <cstring>

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            QTextStream(stdout) << "Filewright " << FILEWRIGHT_VERSION << Qt::endl;
            return 0;
        }
    }
    QCoreApplication app(argc, argv);
    QTextStream(stdout) << "Filewright " << FILEWRIGHT_VERSION << Qt::endl;
    return 0;
}
